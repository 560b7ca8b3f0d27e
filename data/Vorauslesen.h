#pragma once
// Reading the collection that the settings load at start while the window is
// still being built, on a helper thread of its own. The helper fills records
// of its own only; the thread that asks for them takes them over whole, and
// only if they are of the file it asks for and that file is still the one
// that was read. Otherwise, and after any failure, the caller reads the file
// itself, so every message and every outcome is the ordinary load's.
#include "data/Datendatei.h"
#include "data/TSchlange.h"

#include <QString>
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
    // thread; an empty name reads nothing), then reads it.
    explicit Vorauslesen(std::function<QString()> welcheDatei);
    // Stops a read still running at its next slice and waits for the helper.
    ~Vorauslesen();
    Vorauslesen(const Vorauslesen &) = delete;
    Vorauslesen &operator=(const Vorauslesen &) = delete;

    // The helper is done, whether it read the file or not.
    bool fertig() const;
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
    // read the whole file at `pfad`, and it is still the same file with the
    // same size and times; else nothing. Hands them over once only, with
    // what the file was when it was read in `stand`.
    std::optional<TSchlangen> abholen(const QString &pfad, Datendatei::Stand *stand = nullptr);

    // What a file is: compared before, after and at the hand-over.
    struct Kennung {
        std::uint64_t geraet = 0, knoten = 0, groesse = 0;
        std::int64_t geaendert = 0, umgeschrieben = 0; // modification and change time, in nanoseconds
        bool operator==(const Kennung &) const = default;
    };
    // Nothing for a missing file or anything but a regular file.
    static std::optional<Kennung> kennung(const QString &pfad);

private:
    void lesen(const std::function<QString()> &welcheDatei);

    std::atomic<std::uint64_t> erledigt{0}, gesamt{0};
    std::atomic<bool> aufhoeren{false};
    std::atomic<std::chrono::steady_clock::rep> beginn{0}; // when the file's read began
    mutable std::mutex schutz;
    std::condition_variable ende;
    // Written by the helper under schutz; all but pfad_ before fertig_ is set
    // and read only after.
    bool fertig_ = false;
    QString pfad_;
    std::optional<Kennung> gelesen;
    TSchlangen saetze;
    Datendatei::Stand stand_;
    bool abgeholt = false;
    std::thread helfer;
};
