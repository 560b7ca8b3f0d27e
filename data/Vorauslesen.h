#pragma once
// Reading a collection on a helper thread of its own: the one the settings
// load at start while the window is still being built, and a large one after
// its first snake is on screen. The helper fills records of its own only; the
// thread that asks for them takes them over whole, and only if they are of the
// file it asks for and that file is still the one that was read. Otherwise,
// and after any failure, the caller reads the file itself, so every message
// and every outcome is the ordinary load's.
//
// Asked for a beginning, the helper reads a large file in two steps: first
// only what a window needs to show the first snake and the first tabs (the
// file's size, record 0 and the first names), then it waits, and reads the
// whole file once it is let go on.
#include "data/Datendatei.h"
#include "data/TSchlange.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class Vorauslesen {
public:
    // The helper first asks `welcheDatei` which file to read (on its own
    // thread; an empty name reads nothing), then reads it. With `anfangsNamen`
    // above 0, a file that anfangZuerst() admits is read in two steps, the
    // beginning with that many names.
    explicit Vorauslesen(std::function<QString()> welcheDatei, int anfangsNamen = 0);
    // Stops a read still running at its next slice and waits for the helper.
    ~Vorauslesen();
    Vorauslesen(const Vorauslesen &) = delete;
    Vorauslesen &operator=(const Vorauslesen &) = delete;

    // The helper is done, whether it read the file or not.
    bool fertig() const;
    // Calls `f` once when the helper is done: on the helper's thread, or at
    // once on the calling one when it is done already. For a window that would
    // rather be told than look again and again.
    void wennFertig(std::function<void()> f);
    // Done, or by the pace so far done within `frist`: then waiting for it
    // needs no feedback.
    bool baldFertig(std::chrono::milliseconds frist) const;
    // Whether a read that has moved `erledigt` of `gesamt` bytes in `bisher`
    // ends within `frist` at that pace. Nothing read yet: no telling, so no.
    static bool baldFertig(std::uint64_t erledigt, std::uint64_t gesamt, std::chrono::nanoseconds bisher,
                           std::chrono::milliseconds frist);
    // The file the helper reads or tried to read; empty until it knows.
    QString pfad() const;

    // Waits for the helper, meanwhile reporting its progress through
    // Fortschritt on the calling thread. Returns the records when the helper
    // read the whole file at `pfad`, and the file still holds those bytes;
    // else nothing. Hands them over once only, with
    // what the file was when it was read in `stand`.
    std::optional<TSchlangen> abholen(const QString &pfad, Datendatei::Stand *stand = nullptr);

    // Files up to this size are read whole at once: that costs less than a
    // quarter of a millisecond.
    static constexpr std::uint64_t GanzBis = std::uint64_t(1) << 20;
    // Whether a file of `groesse` bytes is read in two steps: larger than
    // GanzBis, and whole records only. A file of another size takes the
    // ordinary load, which keeps what it could read.
    static bool anfangZuerst(std::uint64_t groesse);
    // How many names a beginning holds: more tabs than a strip as wide as a
    // large screen shows at once.
    static constexpr int ErsteNamen = 128;

    // What the first paint of a collection needs.
    struct Anfang {
        std::uint64_t anzahl = 0;                 // records in the file
        TSchlange erste{TSchlange::Ungefuellt{}}; // record 0
        QStringList namen;                        // the names of records 0, 1, ...: as many as asked for, or all
        Datendatei::Kennung kennung;              // what the file was when they were read
        // Whether the records `alle` are those this beginning was read from.
        bool gehoertZu(const TSchlangen &alle) const;
    };
    // Waits for the first step only. The beginning of the file at `pfad`, when
    // the helper reads that file in two steps; else nothing (the helper then
    // reads the whole file at once, and abholen() hands it over).
    std::optional<Anfang> anfang(const QString &pfad);
    // Lets the helper go on from the beginning to the whole file. abholen()
    // lets it go on as well.
    void weiter();
    // How far the whole read has got: bytes done and in all.
    std::uint64_t erledigtBytes() const { return erledigt; }
    std::uint64_t gesamtBytes() const { return gesamt; }

private:
    void lesen(const std::function<QString()> &welcheDatei);
    std::optional<Anfang> anfangLesen(const QString &pfad, const Datendatei::Kennung &vorher) const;

    std::atomic<std::uint64_t> erledigt{0}, gesamt{0};
    std::atomic<bool> aufhoeren{false};
    std::atomic<std::chrono::steady_clock::rep> beginn{0}; // when the file's read began
    const int anfangsNamen;
    mutable std::mutex schutz;
    std::condition_variable ende, los;
    // Written by the helper under schutz; all but pfad_ and anfang_ before
    // fertig_ is set and read only after; anfang_ before anfangFertig.
    bool fertig_ = false;
    bool anfangFertig = false;
    bool weiter_ = false; // set by the asking thread
    std::optional<Anfang> anfang_;
    QString pfad_;
    bool gelesen = false;
    TSchlangen saetze;
    Datendatei::Stand stand_;
    bool abgeholt = false;
    std::function<void()> fertigMelden;
    std::thread helfer;
};
