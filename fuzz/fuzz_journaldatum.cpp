// Feeds hostile records to the feeding evaluations. The first two bytes pick
// "today" (a year from 1900 to 2155 and a day in it), the third how many
// records there are (one to four); the rest fills the records, repeated when
// it is shorter, so the fuzzer reaches the journal dates without having to
// grow an input of 44,432 bytes per record.
//
// Every date is checked against a small parse of its own written here, and the
// evaluations' results against what that parse says they must be: the same
// error for the first unreadable date, the same values in the same order, the
// spans inside their lines, the colours of the tables.
#include "analysis/Auswertung.h"
#include "data/Fehler.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

using namespace std::chrono;

namespace {

void pruefen(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// ---- The reference: a date as day and month of one or two digits, a year of one, two or four, blanks around each ----

struct Tag {
    int jahr, monat, tag;
    auto operator<=>(const Tag &) const = default;
};

int tageImMonat(int jahr, int monat)
{
    static const int tage[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool schalt = (jahr % 4 == 0 && jahr % 100 != 0) || jahr % 400 == 0;
    return monat == 2 && schalt ? 29 : tage[monat - 1];
}

std::optional<Tag> referenz(std::string_view t, int diesesJahr)
{
    int teile[3];
    bool kurz = true;
    std::size_t pos = 0;
    for (int k = 0; k < 3; ++k) {
        const std::size_t ende = k < 2 ? t.find('.', pos) : t.size();
        if (ende == std::string_view::npos)
            return std::nullopt;
        std::string_view teil = t.substr(pos, ende - pos);
        while (!teil.empty() && (teil.front() == ' ' || teil.front() == '\t'))
            teil.remove_prefix(1);
        while (!teil.empty() && (teil.back() == ' ' || teil.back() == '\t'))
            teil.remove_suffix(1);
        if (teil.empty() || teil.size() > (k < 2 ? 2u : 4u) || (k == 2 && teil.size() == 3))
            return std::nullopt;
        if (k == 2)
            kurz = teil.size() <= 2;
        teile[k] = 0;
        for (char c : teil) {
            if (c < '0' || c > '9')
                return std::nullopt;
            teile[k] = teile[k] * 10 + (c - '0');
        }
        pos = ende + 1;
    }
    // Only a short year is placed in the window; a long one stands, but there is no year 0.
    int jahr = teile[2];
    if (kurz) {
        const int s = diesesJahr - 50;
        jahr += 100 * (s / 100);
        if (jahr < s)
            jahr += 100;
    } else if (jahr == 0) {
        return std::nullopt;
    }
    if (teile[1] < 1 || teile[1] > 12 || teile[0] < 1 || teile[0] > tageImMonat(jahr, teile[1]))
        return std::nullopt;
    return Tag{jahr, teile[1], teile[0]};
}

std::int64_t tagNummer(const Tag &t)
{
    return sys_days{year{t.jahr} / t.monat / t.tag}.time_since_epoch().count();
}

std::string_view datumText(const TSchlange &s, int slot)
{
    const std::uint8_t *p = s.data() + TSchlange::OffFutterDatum + std::size_t(slot) * (TSchlange::DatumKap + 1);
    return {reinterpret_cast<const char *>(p + 1), std::min<std::size_t>(p[0], TSchlange::DatumKap)};
}

void datumVergleichen(std::string_view text, int diesesJahr)
{
    const auto ist = Auswertung::DatumLesen(text, year{diesesJahr});
    const auto soll = referenz(text, diesesJahr);
    pruefen(ist.has_value() == soll.has_value());
    if (ist)
        pruefen(int(ist->year()) == soll->jahr && unsigned(ist->month()) == unsigned(soll->monat) &&
                unsigned(ist->day()) == unsigned(soll->tag));
}

// What the reference says of one snake's journal: its latest feeding, or the
// slot of its first unreadable date.
struct Journal {
    std::optional<Tag> letzte;
    int unlesbar = -1;
};

Journal journal(const TSchlange &s, int diesesJahr)
{
    Journal j;
    for (int i = 0; i < TSchlange::Slots; ++i) {
        const std::string_view text = datumText(s, i);
        if (text.empty())
            break;
        const auto d = referenz(text, diesesJahr);
        if (!d) {
            j.unlesbar = i;
            return j;
        }
        if (!j.letzte || *d > *j.letzte)
            j.letzte = d;
    }
    return j;
}

// ---- The expected results ----

struct Wert {
    std::int64_t wert;
    std::size_t index;
};

// By value, equal values in tab order.
std::vector<Wert> geordnet(std::vector<Wert> w, bool absteigend)
{
    std::sort(w.begin(), w.end(), [absteigend](const Wert &a, const Wert &b) {
        if (a.wert != b.wert)
            return absteigend ? a.wert > b.wert : a.wert < b.wert;
        return a.index < b.index;
    });
    return w;
}

void zeilePruefen(const Auswertung::Zeile &z, const QString &name, const QString &mitte, const QString &zahl,
                  const QString &schluss)
{
    pruefen(z.text == name + mitte + zahl + schluss);
    for (const Auswertung::Spanne &s : z.spannen)
        pruefen(s.anfang >= 0 && s.laenge >= 0 && s.anfang + s.laenge <= z.text.size());
    pruefen(z.spannen[0] == Auswertung::Spanne{0, int(name.size()), false});
    pruefen(z.spannen[1] == Auswertung::Spanne{int(name.size() + mitte.size()), int(zahl.size()), true});
}

void balkenPruefen(const std::vector<Auswertung::Balken> &ist, const std::vector<Wert> &soll, const TSchlangen &s,
                   Auswertung::Farbe (*farbe)(std::int64_t))
{
    pruefen(ist.size() == soll.size());
    for (std::size_t k = 0; k < soll.size(); ++k)
        pruefen(ist[k].wert == soll[k].wert && ist[k].name == s[soll[k].index].name() &&
                ist[k].farbe == farbe(soll[k].wert));
}

// Runs an evaluation; true when it failed with the error the reference
// expects for the first unreadable date in tab order.
template <typename F>
bool scheitert(F f, const TSchlangen &s, const std::vector<Journal> &j)
{
    std::size_t erste = s.size();
    for (std::size_t i = 0; i < s.size() && erste == s.size(); ++i)
        if (j[i].unlesbar >= 0)
            erste = i;
    try {
        f();
    } catch (const EConvertError &e) {
        pruefen(erste < s.size());
        pruefen(e.message() == QLatin1Char('\'') + s[erste].futterDatum(j[erste].unlesbar) +
                                   QStringLiteral("' ist kein gültiges Datum.\nbei Schlange „") + s[erste].name() +
                                   QStringLiteral("“, Fresszeiten"));
        return true;
    }
    pruefen(erste == s.size());
    return false;
}

void fressCheck(const TSchlangen &s, const std::vector<Journal> &j, year_month_day heute)
{
    Auswertung::Ergebnis e;
    if (scheitert([&] { e = Auswertung::FressCheck(s, heute); }, s, j))
        return;
    std::vector<Wert> w;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!j[i].letzte || s[i].tage() == 0)
            continue;
        const std::int64_t v = sys_days{heute}.time_since_epoch().count() - tagNummer(*j[i].letzte) - s[i].tage();
        if (v >= 1)
            w.push_back({v, i});
    }
    const std::vector<Wert> saetze = geordnet(w, true);
    pruefen(e.zeilen.size() == saetze.size() && e.balken.size() == e.zeilen.size());
    for (std::size_t k = 0; k < saetze.size(); ++k)
        zeilePruefen(e.zeilen[k], s[saetze[k].index].name(), QStringLiteral(": seit "), QString::number(saetze[k].wert),
                     saetze[k].wert == 1 ? QStringLiteral(" Tag überfällig !") : QStringLiteral(" Tagen überfällig !"));
    balkenPruefen(e.balken, geordnet(w, false), s, Auswertung::CheckFarbe);
}

void fressTermine(const TSchlangen &s, const std::vector<Journal> &j, year_month_day heute)
{
    Auswertung::Ergebnis e;
    if (scheitert([&] { e = Auswertung::FressTermine(s, heute); }, s, j))
        return;
    std::vector<Wert> w;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!j[i].letzte) {
            w.push_back({0, i});
            continue;
        }
        if (s[i].tage() == 0)
            continue;
        const std::int64_t d = s[i].tage() + tagNummer(*j[i].letzte) - sys_days{heute}.time_since_epoch().count();
        w.push_back({std::max<std::int64_t>(d, 0), i});
    }
    const std::vector<Wert> saetze = geordnet(w, false);
    pruefen(e.zeilen.size() == saetze.size() && e.balken.size() == e.zeilen.size());
    for (std::size_t k = 0; k < saetze.size(); ++k) {
        const std::int64_t v = saetze[k].wert;
        const QString name = s[saetze[k].index].name();
        if (v == 0)
            zeilePruefen(e.zeilen[k], name, QStringLiteral(": sollte "), QStringLiteral("sofort"),
                         QStringLiteral(" gefüttert werden !"));
        else
            zeilePruefen(e.zeilen[k], name, QStringLiteral(": sollte in "), QString::number(v),
                         v == 1 ? QStringLiteral(" Tag gefüttert werden !")
                                : QStringLiteral(" Tagen gefüttert werden !"));
    }
    balkenPruefen(e.balken, geordnet(w, true), s, Auswertung::TerminFarbe);
}

void fressParade(const TSchlangen &s)
{
    const std::vector<Auswertung::Platz> p = Auswertung::FressParade(s);
    std::vector<Wert> w;
    for (std::size_t i = 0; i < s.size(); ++i) {
        // The entries reach up to the first empty date.
        int n = 0;
        while (n < TSchlange::Slots && !datumText(s[i], n).empty())
            ++n;
        w.push_back({n, i});
    }
    const std::vector<Wert> soll = geordnet(w, true);
    pruefen(p.size() == soll.size());
    for (std::size_t k = 0; k < soll.size(); ++k) {
        pruefen(p[k].platz == int(k) + 1 && p[k].index == int(soll[k].index) && p[k].anzahl == soll[k].wert &&
                p[k].name == s[soll[k].index].name());
        pruefen(k == 0 || p[k].anzahl <= p[k - 1].anzahl);
    }
    const QString weitere = Auswertung::WeiterePlaetze(p);
    pruefen(p.size() > 3 || weitere.isEmpty());
    pruefen(p.size() <= 3 || weitere.startsWith(QStringLiteral("4.Platz\t(")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const int diesesJahr = 1900 + data[0];
    const year_month_day heute{sys_days{year{diesesJahr} / 1 / 1} + days{data[1] * 365 / 255}};
    const std::size_t anzahl = 1 + data[2] % 4;
    const std::uint8_t *rest = data + 3;
    const std::size_t restGroesse = size - 3;

    // Any text, the date reader on its own.
    datumVergleichen(std::string_view(reinterpret_cast<const char *>(rest), std::min<std::size_t>(restGroesse, 12)),
                     diesesJahr);

    TSchlangen s(anzahl);
    std::size_t quelle = 0;
    for (TSchlange &r : s)
        for (std::size_t k = 0; k < TSchlange::Groesse; ++k)
            r.data()[k] = rest[quelle++ % restGroesse];

    std::vector<Journal> j;
    for (const TSchlange &r : s) {
        j.push_back(journal(r, int(heute.year())));
        for (int i = 0; i < TSchlange::Slots && !datumText(r, i).empty(); ++i)
            datumVergleichen(datumText(r, i), diesesJahr);
        // The latest feeding, or the error.
        try {
            const auto l = Auswertung::LetzteFuetterung(r, heute.year());
            pruefen(j.back().unlesbar < 0 && l.has_value() == j.back().letzte.has_value());
            if (l)
                pruefen(int(l->year()) == j.back().letzte->jahr &&
                        unsigned(l->month()) == unsigned(j.back().letzte->monat) &&
                        unsigned(l->day()) == unsigned(j.back().letzte->tag));
        } catch (const EConvertError &) {
            pruefen(j.back().unlesbar >= 0);
        }
    }

    fressCheck(s, j, heute);
    fressTermine(s, j, heute);
    fressParade(s);
    return 0;
}
