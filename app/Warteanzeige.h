#pragma once
// Feedback while a load or save of a large collection runs: the wait cursor
// and a status-bar message at once, and a progress bar once the work has run
// for half a second. The work stays on the one thread; the bar and the
// message are repainted directly, no events are handled in between.
#include "data/Fortschritt.h"

#include <QElapsedTimer>
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

    Warteanzeige(QStatusBar *leiste, QProgressBar *balken, const QString &text, std::uint64_t bytes);
    ~Warteanzeige();
    Warteanzeige(const Warteanzeige &) = delete;
    Warteanzeige &operator=(const Warteanzeige &) = delete;

    // "Lade 10.000 Schlangen …" for the number of records in `bytes`.
    static QString text(const QString &verb, std::uint64_t bytes);

private:
    void melden(std::uint64_t erledigt, std::uint64_t gesamt);

    QStatusBar *leiste = nullptr;
    QProgressBar *balken = nullptr;
    QElapsedTimer uhr;
    std::optional<Fortschritt::Rahmen> rahmen;
};
