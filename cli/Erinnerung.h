#pragma once
// The reminder at login: when snakes of the start-up collection are due today,
// one desktop notification through the notification service on the session
// bus. It never opens a window, never writes a file and stays silent when
// there is nothing to say or nobody to say it to.
#include "data/TSchlange.h"

#include <QDBusConnection>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace Erinnerung {

struct Meldung {
    int anzahl = 0;          // snakes due
    QString zusammenfassung; // "Vivarix: 3 Schlangen sind fällig"
    QStringList zeilen;      // the first few, with their days, as the windows word them
};

// How many of the due snakes the notification names.
inline constexpr int HoechstensZeilen = 5;

// The snakes the feeding check lists, then those the schedule says are to be
// fed at once ("sofort"); nothing when none is due. An unreadable date raises
// EConvertError as in the windows.
std::optional<Meldung> meldung(const TSchlangen &schlangen, std::chrono::year_month_day heute);

// How long the reminder waits for the keeper to answer the notification
// before it ends; the notification itself stays.
inline constexpr std::chrono::milliseconds Wartezeit{120000};

// The whole reminder for the settings in `ordner`. Always returns 0: a login
// must not report failures. `oeffnen` starts the program when the keeper
// chooses "Öffnen" (by default this program, without arguments, in `ordner`).
int erinnern(QDBusConnection bus, const QString &ordner, std::chrono::year_month_day heute,
             std::chrono::milliseconds warten = Wartezeit, std::function<void()> oeffnen = {});

} // namespace Erinnerung
