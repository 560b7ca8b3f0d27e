#pragma once
// Feedback while a load or save of a large collection runs: the wait cursor
// and a status-bar message at once, and a progress bar once the work has run
// for half a second. The work stays on the one thread; the bar and the
// message are repainted directly, no events are handled in between.
// Work that runs on while the window answers (the rest of a large collection,
// read by a helper) gets the message and the bar only, and reports its
// progress through melden() itself. Its message gives way to the hint of a
// control under the pointer and comes back when the hint goes.
#include "data/Fortschritt.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QString>
#include <cstdint>
#include <optional>

class QProgressBar;
class QStatusBar;

class Warteanzeige {
public:
    // Below this many bytes (about a thousand snakes) the work is over before
    // anyone could see a message.
    static constexpr std::uint64_t AbBytes = std::uint64_t(40) << 20;

    enum class Art { Warten, ImHintergrund };
    Warteanzeige(QStatusBar *leiste, QProgressBar *balken, const QString &text, std::uint64_t bytes,
                 Art art = Art::Warten);
    ~Warteanzeige();
    Warteanzeige(const Warteanzeige &) = delete;
    Warteanzeige &operator=(const Warteanzeige &) = delete;

    // "Lade 10.000 Schlangen …" for the number of records in `bytes`.
    static QString text(const QString &verb, std::uint64_t bytes);

    void melden(std::uint64_t erledigt, std::uint64_t gesamt);

private:
    Art art = Art::Warten;
    QStatusBar *leiste = nullptr;
    QProgressBar *balken = nullptr;
    QString meldung;
    QMetaObject::Connection wiederZeigen;
    QElapsedTimer uhr;
    QElapsedTimer gemalt; // since the bar was last painted
    std::optional<Fortschritt::Rahmen> rahmen;
};
