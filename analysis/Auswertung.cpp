#include "analysis/Auswertung.h"

#include "data/Cp1252.h"
#include "data/Fehler.h"

#include <algorithm>
#include <climits>

using namespace std::chrono;

namespace Auswertung {

namespace {

constexpr std::size_t DatumFeld = TSchlange::DatumKap + 1;

// One or two decimal digits from `pos` on; -1 when there are none or more.
int zahl(std::string_view t, std::size_t &pos)
{
    int wert = 0;
    int ziffern = 0;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
        if (++ziffern > 2)
            return -1;
        wert = wert * 10 + (t[pos] - '0');
        ++pos;
    }
    return ziffern > 0 ? wert : -1;
}

// The hundred years that begin fifty years before this year.
struct JahrFenster {
    int beginn;
    int jahrhundert;
    explicit JahrFenster(year diesesJahr)
        : beginn(int(diesesJahr) - 50), jahrhundert(beginn - ((beginn % 100) + 100) % 100)
    {
    }
    int jahr(int zweistellig) const
    {
        const int j = jahrhundert + zweistellig;
        return j < beginn ? j + 100 : j;
    }
};

std::optional<year_month_day> lesen(std::string_view t, const JahrFenster &fenster)
{
    std::size_t pos = 0;
    const int tag = zahl(t, pos);
    if (tag < 0 || pos >= t.size() || t[pos] != '.')
        return std::nullopt;
    ++pos;
    const int monat = zahl(t, pos);
    if (monat < 0 || pos >= t.size() || t[pos] != '.')
        return std::nullopt;
    ++pos;
    const int jahr = zahl(t, pos);
    if (jahr < 0 || pos != t.size())
        return std::nullopt;
    const year_month_day d{year{fenster.jahr(jahr)}, month{unsigned(monat)}, day{unsigned(tag)}};
    if (!d.ok())
        return std::nullopt;
    return d;
}

// Orders the dates of one hundred-year window as the calendar does: by year,
// then month, then day. Never negative.
int schluessel(const JahrFenster &fenster, int jahr, unsigned monat, unsigned tag)
{
    return (jahr - fenster.beginn) * 512 + int(monat * 32 + tag);
}
year_month_day ausSchluessel(const JahrFenster &fenster, int s)
{
    return year_month_day{year{fenster.beginn + (s >> 9)}, month{unsigned(s >> 5) & 15u}, day{unsigned(s) & 31u}};
}

// The ordering key of a date's bytes, -1 when they are no date. The form the
// journal commands write ("dd.mm.yy") is read straight from the bytes; any
// other goes the general way.
int lesenSchluessel(const std::uint8_t *z, std::size_t n, const JahrFenster &fenster)
{
    if (n == 8 && z[2] == '.' && z[5] == '.') {
        const unsigned t1 = z[0] - 48u, t2 = z[1] - 48u, m1 = z[3] - 48u, m2 = z[4] - 48u, j1 = z[6] - 48u,
                       j2 = z[7] - 48u;
        if ((t1 > 9) | (t2 > 9) | (m1 > 9) | (m2 > 9) | (j1 > 9) | (j2 > 9))
            return -1;
        const unsigned tag = t1 * 10 + t2, monat = m1 * 10 + m2;
        const int jahr = fenster.jahr(int(j1 * 10 + j2));
        // Every month has days 1 to 28; only a later day needs the calendar.
        if (monat - 1 > 11 || tag - 1 > 27) {
            if (!year_month_day{year{jahr}, month{monat}, day{tag}}.ok())
                return -1;
        }
        return schluessel(fenster, jahr, monat, tag);
    }
    const auto d = lesen(std::string_view(reinterpret_cast<const char *>(z), n), fenster);
    return d ? schluessel(fenster, int(d->year()), unsigned(d->month()), unsigned(d->day())) : -1;
}

// Reads the date bytes in place: a check over thousands of snakes with two
// hundred feedings each must not build a string per date.
std::optional<year_month_day> letzte(const TSchlange &s, const JahrFenster &fenster)
{
    const std::uint8_t *slot = s.data() + TSchlange::OffFutterDatum;
    int spaeteste = -1;
    for (int i = 0; i < TSchlange::Slots; ++i, slot += DatumFeld) {
        const std::size_t laenge = std::min<std::size_t>(slot[0], TSchlange::DatumKap);
        if (laenge == 0)
            break;
        const int d = lesenSchluessel(slot + 1, laenge, fenster);
        if (d < 0)
            throw EConvertError(
                QStringLiteral("'%1' ist kein gültiges Datum").arg(Cp1252::decode(slot + 1, laenge)));
        spaeteste = std::max(spaeteste, d);
    }
    if (spaeteste < 0)
        return std::nullopt;
    return ausSchluessel(fenster, spaeteste);
}

struct Wert {
    std::int64_t wert;
    int index;
};

// Stable by value, so equal values keep their tab order.
void aufsteigend(std::vector<Wert> &w)
{
    std::stable_sort(w.begin(), w.end(), [](const Wert &a, const Wert &b) { return a.wert < b.wert; });
}

// Walks a list sorted by aufsteigend from the largest value down; equal values
// still in tab order.
template <typename F> void absteigend(const std::vector<Wert> &w, F f)
{
    std::size_t ende = w.size();
    while (ende > 0) {
        std::size_t anfang = ende - 1;
        while (anfang > 0 && w[anfang - 1].wert == w[ende - 1].wert)
            --anfang;
        for (std::size_t k = anfang; k < ende; ++k)
            f(w[k]);
        ende = anfang;
    }
}

// The name in bold, then `mitte`, then the highlighted span, then `schluss`.
Zeile zeile(int index, const QString &name, QStringView mitte, const QString &hervorgehoben, QStringView schluss)
{
    Zeile z;
    z.index = index;
    z.text.reserve(name.size() + mitte.size() + hervorgehoben.size() + schluss.size());
    z.text += name;
    z.text += mitte;
    z.text += hervorgehoben;
    z.text += schluss;
    const int n = int(name.size());
    z.spannen = {{{0, n, false}, {n + int(mitte.size()), int(hervorgehoben.size()), true}}};
    return z;
}

} // namespace

std::optional<year_month_day> DatumLesen(std::string_view text, year diesesJahr)
{
    return lesen(text, JahrFenster(diesesJahr));
}

std::optional<year_month_day> LetzteFuetterung(const TSchlange &s, year diesesJahr)
{
    return letzte(s, JahrFenster(diesesJahr));
}

Farbe CheckFarbe(std::int64_t ueberfaellig)
{
    if (ueberfaellig <= 2)
        return {0, 255, 0};
    if (ueberfaellig <= 4)
        return {200, 255, 0};
    if (ueberfaellig <= 6)
        return {255, 255, 0};
    if (ueberfaellig <= 8)
        return {255, 128, 0};
    return {255, 0, 0};
}

Farbe TerminFarbe(std::int64_t tageBis)
{
    if (tageBis <= 0)
        return {255, 0, 0};
    if (tageBis <= 2)
        return {255, 128, 0};
    if (tageBis <= 4)
        return {255, 255, 0};
    if (tageBis <= 6)
        return {200, 255, 0};
    return {0, 255, 0};
}

int DiagrammHoehe(std::size_t balken)
{
    if (balken <= 4)
        return 74;
    const std::int64_t h = 74 + 22 * std::int64_t(std::min<std::size_t>(balken - 4, INT_MAX));
    return int(std::min<std::int64_t>(h, INT_MAX));
}

Ergebnis FressCheck(const TSchlangen &schlangen, year_month_day heute)
{
    const JahrFenster fenster(heute.year());
    const sys_days tag{heute};
    std::vector<Wert> ueberfaellig;
    for (std::size_t i = 0; i < schlangen.size(); ++i) {
        const auto letzteFuetterung = letzte(schlangen[i], fenster);
        const std::int32_t intervall = schlangen[i].tage();
        if (!letzteFuetterung || intervall == 0)
            continue;
        const std::int64_t wert = std::int64_t((tag - sys_days{*letzteFuetterung}).count()) - intervall;
        if (wert >= 1)
            ueberfaellig.push_back({wert, int(i)});
    }
    aufsteigend(ueberfaellig);

    Ergebnis e;
    std::vector<QString> namen(schlangen.size());
    e.balken.reserve(ueberfaellig.size());
    for (const Wert &w : ueberfaellig) {
        namen[std::size_t(w.index)] = schlangen[std::size_t(w.index)].name();
        e.balken.push_back({w.wert, namen[std::size_t(w.index)], CheckFarbe(w.wert)});
    }
    e.zeilen.reserve(ueberfaellig.size());
    absteigend(ueberfaellig, [&](const Wert &w) {
        e.zeilen.push_back(zeile(w.index, namen[std::size_t(w.index)], u": seit ", QString::number(w.wert),
                                 w.wert == 1 ? u" Tag überfällig !" : u" Tagen überfällig !"));
    });
    return e;
}

Ergebnis FressTermine(const TSchlangen &schlangen, year_month_day heute)
{
    const JahrFenster fenster(heute.year());
    const sys_days tag{heute};
    std::vector<Wert> termine;
    for (std::size_t i = 0; i < schlangen.size(); ++i) {
        const auto letzteFuetterung = letzte(schlangen[i], fenster);
        const std::int32_t intervall = schlangen[i].tage();
        std::int64_t wert = 0; // never fed: feed at once, interval or not
        if (letzteFuetterung) {
            if (intervall == 0)
                continue; // no interval: not in the schedule
            wert = std::max<std::int64_t>(0, intervall + std::int64_t((sys_days{*letzteFuetterung} - tag).count()));
        }
        termine.push_back({wert, int(i)});
    }
    aufsteigend(termine);

    Ergebnis e;
    std::vector<QString> namen(schlangen.size());
    e.zeilen.reserve(termine.size());
    for (const Wert &w : termine) {
        const QString &name = namen[std::size_t(w.index)] = schlangen[std::size_t(w.index)].name();
        if (w.wert == 0)
            e.zeilen.push_back(zeile(w.index, name, u": sollte ", QStringLiteral("sofort"), u" gefüttert werden !"));
        else
            e.zeilen.push_back(zeile(w.index, name, u": sollte in ", QString::number(w.wert),
                                     w.wert == 1 ? u" Tag gefüttert werden !" : u" Tagen gefüttert werden !"));
    }
    e.balken.reserve(termine.size());
    absteigend(termine, [&](const Wert &w) {
        e.balken.push_back({w.wert, namen[std::size_t(w.index)], TerminFarbe(w.wert)});
    });
    return e;
}

std::vector<Platz> FressParade(const TSchlangen &schlangen)
{
    std::vector<Wert> anzahlen;
    anzahlen.reserve(schlangen.size());
    for (std::size_t i = 0; i < schlangen.size(); ++i)
        anzahlen.push_back({schlangen[i].futterAnzahl(), int(i)});
    aufsteigend(anzahlen);
    std::vector<Platz> plaetze;
    plaetze.reserve(anzahlen.size());
    absteigend(anzahlen, [&](const Wert &w) {
        plaetze.push_back({int(plaetze.size()) + 1, w.index, int(w.wert), schlangen[std::size_t(w.index)].name()});
    });
    return plaetze;
}

QString FEsText(int anzahl)
{
    return QString::number(anzahl) + QStringLiteral(" FEs");
}

QString WeiterePlaetze(const std::vector<Platz> &plaetze)
{
    QString text;
    for (std::size_t k = 3; k < plaetze.size(); ++k) {
        const Platz &p = plaetze[k];
        if (k > 3)
            text += u'\n';
        // The name is appended, never formatted: a "%1" in it stays as typed.
        text += QStringLiteral("%1.Platz\t(%2 FEs): ").arg(p.platz).arg(p.anzahl);
        text += p.name;
    }
    return text;
}

} // namespace Auswertung
