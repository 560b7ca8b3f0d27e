#include "analysis/Auswertung.h"

#include "data/Cp1252.h"
#include "data/Datum.h"
#include "data/Fehler.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

using namespace std::chrono;

namespace Auswertung {

namespace {

constexpr std::size_t DatumFeld = TSchlange::DatumKap + 1;

// Orders dates as the calendar does: by year, then month, then day.
constexpr int schluessel(int jahr, unsigned monat, unsigned tag)
{
    return jahr * 2048 + int(monat * 128 + tag);
}
year_month_day ausSchluessel(int s)
{
    return year_month_day{year{s >> 11}, month{unsigned(s >> 7) & 15u}, day{unsigned(s) & 127u}};
}

bool schaltjahr(int jahr)
{
    return (jahr % 4 == 0 && jahr % 100 != 0) || jahr % 400 == 0;
}

// The journal dates of one evaluation, read with one "today": the window's
// years, their leap days and the valid days of each month are looked up, not
// computed per date. The tables reach over every value the seven bits kept of
// each number can give, so that bytes which are no date index them harmlessly
// before they are found out.
struct Leser {
    int diesesJahr;
    Jahrhundertfenster fenster;
    std::array<int, 128> jahrSchluessel{};  // schluessel(year of yy, 0, 0) for yy = 00..99
    std::array<std::uint8_t, 128> schalt{}; // 1 when the year of yy has a 29th of February
    // Per month * 128 + day (both 0..99): bit 0 set for a day of a common year,
    // bit 1 for a day of a leap year; the 29th of February has only the second.
    std::array<std::uint8_t, 16384> gueltig{};

    explicit Leser(year jahr) : diesesJahr(int(jahr)), fenster(diesesJahr)
    {
        for (int yy = 0; yy < 100; ++yy) {
            jahrSchluessel[std::size_t(yy)] = schluessel(fenster.jahr(yy), 0, 0);
            schalt[std::size_t(yy)] = schaltjahr(fenster.jahr(yy));
        }
        const unsigned tage[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (unsigned monat = 1; monat <= 12; ++monat)
            for (unsigned tag = 1; tag <= tage[monat - 1]; ++tag)
                gueltig[monat * 128 + tag] = 3;
        gueltig[2 * 128 + 29] = 2;
    }

    // The form the journal commands write, "dd.mm.yy", read as one 64-bit word
    // without a branch: the three numbers come out of one multiplication, and
    // `form` has none of the top bits of FormFehler set only when the six
    // digits and both points are there (each byte, less what it should be,
    // stays below its bound). Only the numbers' low seven bits are kept, all
    // a date's numbers have; other bytes are found out by `form`.
    static constexpr std::uint64_t FormFehler = 0x8080808080808080ull;
    struct Teile {
        std::uint64_t form;
        unsigned monatTag; // month * 128 + day: a day past 31 never reaches the next month
        unsigned yy;
    };
    static Teile zerlegen(const std::uint8_t *zeichen)
    {
        std::uint64_t x;
        std::memcpy(&x, zeichen, 8);
        if constexpr (std::endian::native != std::endian::little)
            x = __builtin_bswap64(x);
        // Digits become 0..9 and points 0; everything else something larger.
        const std::uint64_t t = x ^ 0x30302E30302E3030ull;
        // Per byte: 0x76 carries a digit's value of 10 or more into the top bit, 0x7F a point's 1 or more.
        const std::uint64_t form = t | (t + 0x76767F76767F7676ull);
        const std::uint64_t paare = t * 10 + (t >> 8); // tens and units of each pair, in its first byte
        return {form, unsigned((paare >> 17) & 0x3F80) | unsigned(paare & 0x7F), unsigned(paare >> 48) & 0x7F};
    }
    // 1 when the parts name a day of the calendar, else 0.
    unsigned tagDa(const Teile &t) const { return unsigned(gueltig[t.monatTag] >> schalt[t.yy]) & 1u; }
    int schluesselVon(const Teile &t) const { return jahrSchluessel[t.yy] + int(t.monatTag); }

    // The ordering key of the date in a slot; false when it is no date.
    bool lesen(const std::uint8_t *slot, int &s) const
    {
        const std::size_t n = std::min<std::size_t>(slot[0], TSchlange::DatumKap);
        const Teile t = zerlegen(slot + 1);
        if (n == TSchlange::DatumKap && (t.form & FormFehler) == 0 && tagDa(t)) {
            s = schluesselVon(t);
            return true;
        }
        // Any other form goes by the rule every reader of journal dates shares.
        const auto d = JournalDatum(std::string_view(reinterpret_cast<const char *>(slot + 1), n), diesesJahr);
        if (d)
            s = schluessel(int(d->year()), unsigned(d->month()), unsigned(d->day()));
        return d.has_value();
    }
};

// The latest feeding of a record, read in place in one pass up to the
// journal's end: a check over thousands of snakes with two hundred feedings
// each must not build a string per date, nor branch on one. Every date is
// taken in the fixed form, what speaks against that form gathered, and the
// greatest key kept; only a journal with a date in another form (or none) is
// read again, the general way, which also names the first date that is none.
std::optional<year_month_day> letzte(const TSchlange &s, const Leser &leser)
{
    const std::uint8_t *const anfang = s.data() + TSchlange::OffFutterDatum;
    const std::uint8_t *const ende = anfang + DatumFeld * TSchlange::Slots;
    if (anfang[0] == 0)
        return std::nullopt;
    int spaeteste = INT_MIN;
    std::uint64_t form = 0;
    unsigned tage = 1, kuerzeste = UINT_MAX;
    for (const std::uint8_t *slot = anfang; slot != ende && slot[0] != 0; slot += DatumFeld) {
        const Leser::Teile t = Leser::zerlegen(slot + 1);
        form |= t.form;
        tage &= leser.tagDa(t);
        kuerzeste = std::min<unsigned>(kuerzeste, slot[0]);
        spaeteste = std::max(spaeteste, leser.schluesselVon(t));
    }
    if ((form & Leser::FormFehler) != 0 || tage == 0 || kuerzeste < TSchlange::DatumKap) {
        spaeteste = INT_MIN;
        for (const std::uint8_t *slot = anfang; slot != ende && slot[0] != 0; slot += DatumFeld) {
            int d;
            if (!leser.lesen(slot, d))
                throw EUnlesbaresDatum(Cp1252::decode(slot + 1, std::min<std::size_t>(slot[0], TSchlange::DatumKap)),
                                       s.name());
            spaeteste = std::max(spaeteste, d);
        }
    }
    return ausSchluessel(spaeteste);
}

// Walks the records in tab order, the name and the feeding dates of the
// record a few ahead already asked of memory: the records lie 44 KB apart, so
// the processor's own prefetching starts afresh at each and would otherwise
// wait for every first line of a journal.
template <typename F>
void durchlaufen(const TSchlangen &schlangen, F f)
{
    constexpr std::size_t Voraus = 2;
    constexpr std::size_t Linie = 64;
    for (std::size_t i = 0; i < schlangen.size(); ++i) {
        if (i + Voraus < schlangen.size()) {
            const std::uint8_t *r = schlangen[i + Voraus].data();
            __builtin_prefetch(r);
            for (std::size_t o = TSchlange::OffFutterDatum;
                 o < TSchlange::OffFutterDatum + DatumFeld * TSchlange::Slots; o += Linie)
                __builtin_prefetch(r + o);
        }
        f(i, schlangen[i]);
    }
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
template <typename F>
void absteigend(const std::vector<Wert> &w, F f)
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
Zeile zeile(int index, const QString &name, QStringView mitte, QStringView hervorgehoben, QStringView schluss)
{
    Zeile z;
    z.index = index;
    // Written in one piece into a string of the right length.
    z.text = QString(name.size() + mitte.size() + hervorgehoben.size() + schluss.size(), Qt::Uninitialized);
    QChar *p = z.text.data();
    for (const QStringView teil : {QStringView(name), mitte, hervorgehoben, schluss}) {
        std::copy(teil.begin(), teil.end(), p);
        p += teil.size();
    }
    const int n = int(name.size());
    z.spannen = {{{0, n, false}, {n + int(mitte.size()), int(hervorgehoben.size()), true}}};
    return z;
}

// A number's decimal digits, written into `platz` rather than a string of
// their own: ten thousand lines need no ten thousand strings for them.
QStringView ziffern(std::int64_t wert, std::array<char16_t, 24> &platz)
{
    std::size_t p = platz.size();
    std::uint64_t rest = wert < 0 ? 0 - std::uint64_t(wert) : std::uint64_t(wert);
    do {
        platz[--p] = char16_t(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (wert < 0)
        platz[--p] = u'-';
    return QStringView(platz.data() + p, qsizetype(platz.size() - p));
}

} // namespace

EUnlesbaresDatum::EUnlesbaresDatum(const QString &datum, const QString &schlange)
    : EConvertError(
          QStringLiteral("'%1' ist kein gültiges Datum.\nbei Schlange „%2“, Fresszeiten").arg(datum, schlange)),
      datumText(datum), schlangenName(schlange)
{
}

std::optional<year_month_day> DatumLesen(std::string_view text, year diesesJahr)
{
    return JournalDatum(text, int(diesesJahr));
}

std::optional<year_month_day> LetzteFuetterung(const TSchlange &s, year diesesJahr)
{
    return letzte(s, Leser(diesesJahr));
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
    const Leser leser(heute.year());
    const sys_days tag{heute};
    std::vector<Wert> ueberfaellig;
    std::vector<QString> namen(schlangen.size());
    durchlaufen(schlangen, [&](std::size_t i, const TSchlange &s) {
        const auto letzteFuetterung = letzte(s, leser);
        const std::int32_t intervall = s.tage();
        if (!letzteFuetterung || intervall == 0)
            return;
        const std::int64_t wert = std::int64_t((tag - sys_days{*letzteFuetterung}).count()) - intervall;
        if (wert >= 1) {
            ueberfaellig.push_back({wert, int(i)});
            namen[i] = s.name(); // while the record is at hand
        }
    });
    aufsteigend(ueberfaellig);

    // Each name is read once: into its line, then handed on to its bar.
    Ergebnis e;
    std::array<char16_t, 24> platz;
    e.zeilen.reserve(ueberfaellig.size());
    absteigend(ueberfaellig, [&](const Wert &w) {
        e.zeilen.push_back(zeile(w.index, namen[std::size_t(w.index)], u": seit ", ziffern(w.wert, platz),
                                 w.wert == 1 ? u" Tag überfällig !" : u" Tagen überfällig !"));
    });
    e.balken.reserve(ueberfaellig.size());
    for (const Wert &w : ueberfaellig)
        e.balken.push_back({w.wert, std::move(namen[std::size_t(w.index)]), CheckFarbe(w.wert)});
    return e;
}

Ergebnis FressTermine(const TSchlangen &schlangen, year_month_day heute)
{
    const Leser leser(heute.year());
    const sys_days tag{heute};
    std::vector<Wert> termine;
    std::vector<QString> namen(schlangen.size());
    durchlaufen(schlangen, [&](std::size_t i, const TSchlange &s) {
        const auto letzteFuetterung = letzte(s, leser);
        const std::int32_t intervall = s.tage();
        std::int64_t wert = 0; // never fed: feed at once, interval or not
        if (letzteFuetterung) {
            if (intervall == 0)
                return; // no interval: not in the schedule
            wert = std::max<std::int64_t>(0, intervall + std::int64_t((sys_days{*letzteFuetterung} - tag).count()));
        }
        termine.push_back({wert, int(i)});
        namen[i] = s.name(); // while the record is at hand
    });
    aufsteigend(termine);

    // Each name is read once: into its line, then handed on to its bar.
    Ergebnis e;
    std::array<char16_t, 24> platz;
    e.zeilen.reserve(termine.size());
    for (const Wert &w : termine) {
        const QString &name = namen[std::size_t(w.index)];
        if (w.wert == 0)
            e.zeilen.push_back(zeile(w.index, name, u": sollte ", u"sofort", u" gefüttert werden !"));
        else
            e.zeilen.push_back(zeile(w.index, name, u": sollte in ", ziffern(w.wert, platz),
                                     w.wert == 1 ? u" Tag gefüttert werden !" : u" Tagen gefüttert werden !"));
    }
    e.balken.reserve(termine.size());
    absteigend(termine, [&](const Wert &w) {
        e.balken.push_back({w.wert, std::move(namen[std::size_t(w.index)]), TerminFarbe(w.wert)});
    });
    return e;
}

std::vector<Platz> FressParade(const TSchlangen &schlangen)
{
    std::vector<Wert> anzahlen;
    anzahlen.reserve(schlangen.size());
    std::vector<QString> namen(schlangen.size());
    durchlaufen(schlangen, [&](std::size_t i, const TSchlange &s) {
        anzahlen.push_back({s.futterAnzahl(), int(i)});
        namen[i] = s.name();
    });
    aufsteigend(anzahlen);
    std::vector<Platz> plaetze;
    plaetze.reserve(anzahlen.size());
    absteigend(anzahlen, [&](const Wert &w) {
        plaetze.push_back({int(plaetze.size()) + 1, w.index, int(w.wert), std::move(namen[std::size_t(w.index)])});
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
