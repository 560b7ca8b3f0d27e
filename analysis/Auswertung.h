#pragma once
// The three evaluations of the feeding journals: which snakes are overdue
// (Fress-Check), when each is next to be fed (Fress-Termine) and who has eaten
// most (Fress-Parade). Each is a plain result computed from the collection and
// a "today" handed in; the windows only show it.
#include "data/Fehler.h"
#include "data/TSchlange.h"

#include <QDate>
#include <QString>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Auswertung {

// The calendar date the evaluations count from, taken from a QDate.
inline std::chrono::year_month_day Kalendertag(const QDate &d)
{
    return std::chrono::year_month_day{std::chrono::year{d.year()}, std::chrono::month{unsigned(d.month())},
                                       std::chrono::day{unsigned(d.day())}};
}

// Reads a journal date by the rule every reader shares (JournalDatum): the
// evaluations' fast path for the form the journal commands write gives the
// same day for it.
std::optional<std::chrono::year_month_day> DatumLesen(std::string_view text, std::chrono::year diesesJahr);

// A feeding date that cannot be read. The message names the date, and on a
// second line the snake and its journal, so that the keeper of many snakes
// finds the entry: "'31.02.26' ist kein gültiges Datum." and
// "bei Schlange „Kaa“, Fresszeiten".
class EUnlesbaresDatum : public EConvertError {
public:
    EUnlesbaresDatum(const QString &datum, const QString &schlange);
    QString datum() const { return datumText; }
    QString schlange() const { return schlangenName; }

private:
    QString datumText;
    QString schlangenName;
};

// The latest of a snake's feeding dates, wherever it stands in the journal;
// nothing when the journal is empty. An unreadable date raises EUnlesbaresDatum.
std::optional<std::chrono::year_month_day> LetzteFuetterung(const TSchlange &s, std::chrono::year diesesJahr);

struct Farbe {
    int rot, gruen, blau;
    bool operator==(const Farbe &) const = default;
};

// The colour of the highlighted numbers in the sentences.
inline constexpr Farbe Hervorhebung{221, 0, 0};

// A bold run of characters in a line; `rot` also colours it in Hervorhebung.
struct Spanne {
    int anfang;
    int laenge;
    bool rot;
    bool operator==(const Spanne &) const = default;
};

// Every line has two spans: the name, and the number (or "sofort") that is highlighted.
struct Zeile {
    QString text;
    std::array<Spanne, 2> spannen;
    int index = -1; // tab index of the snake the line is about
};

struct Balken {
    std::int64_t wert;
    QString name;
    Farbe farbe;
};

struct Ergebnis {
    std::vector<Zeile> zeilen;  // in the order they are written
    std::vector<Balken> balken; // in adding order: the chart stacks them upward
};

// Fress-Check: the snakes overdue for feeding, most overdue first in the
// sentences, least overdue first among the bars.
Ergebnis FressCheck(const TSchlangen &schlangen, std::chrono::year_month_day heute);
// Fress-Termine: days until each snake with an interval is next to be fed,
// soonest first in the sentences, latest first among the bars.
Ergebnis FressTermine(const TSchlangen &schlangen, std::chrono::year_month_day heute);

// Bar colours: overdue days (green for few, red for many) and days to go
// (red for now, green for later).
Farbe CheckFarbe(std::int64_t ueberfaellig);
Farbe TerminFarbe(std::int64_t tageBis);

// Height of the chart holding `balken` bars: 74 pixels for up to four, 22 more for each further one.
int DiagrammHoehe(std::size_t balken);

// Fress-Parade: every snake gets a place of its own, ranked by its number of
// feeding entries; equal counts keep their tab order.
struct Platz {
    int platz;  // 1, 2, 3, ...
    int index;  // tab index
    int anzahl; // feeding entries
    QString name;
};
std::vector<Platz> FressParade(const TSchlangen &schlangen);
// "30 FEs"
QString FEsText(int anzahl);
// The places from 4 on, one line each ("4.Platz<tab>(7 FEs): Name"), no line
// break after the last.
QString WeiterePlaetze(const std::vector<Platz> &plaetze);

} // namespace Auswertung
