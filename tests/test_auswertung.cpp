// The feeding evaluations as plain results, with a fixed "today" (7.12.2026),
// and what the command line and the reminder at login make of them.
// Expected day counts come from QDate::daysTo, not from the code under test.
#include "Hilfen.h"
#include "Version.h"
#include "analysis/Auswertung.h"
#include "cli/Befehlszeile.h"
#include "cli/Erinnerung.h"
#include "data/Datendatei.h"
#include "data/Fehler.h"

#include <QDBusConnection>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <optional>
#include <tuple>
#include <cstring>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace Auswertung;
using namespace std::chrono;

namespace {
const QDate heuteQ(2026, 12, 7);
const year_month_day heute = Kalendertag(heuteQ);

QString text(const QDate &d)
{
    return d.toString(QStringLiteral("dd.MM.yy"));
}
QString vor(int tage)
{
    return text(heuteQ.addDays(-tage));
}

TSchlange schlange(const QString &name, int tage, const QStringList &daten)
{
    TSchlange s;
    s.setName(name);
    s.setTage(tage);
    for (int i = 0; i < daten.size(); ++i)
        s.setFutterDatum(i, daten[i]);
    return s;
}

struct Gelistet {
    QString name;
    std::int64_t wert;
};
std::vector<Gelistet> balken(const Ergebnis &e)
{
    std::vector<Gelistet> l;
    for (const Balken &b : e.balken)
        l.push_back({b.name, b.wert});
    return l;
}
bool operator==(const Gelistet &a, const Gelistet &b)
{
    return a.name == b.name && a.wert == b.wert;
}
void PrintTo(const Gelistet &g, std::ostream *os)
{
    *os << g.name.toStdString() << "=" << g.wert;
}
QStringList texte(const Ergebnis &e)
{
    QStringList l;
    for (const Zeile &z : e.zeilen)
        l << z.text;
    return l;
}
} // namespace

TEST(JournalDatum, KurzeJahreImFensterLangeWieGeschrieben)
{
    struct Fall {
        const char *text;
        int diesesJahr;
        QDate erwartet;  // invalid: unreadable
        int laenge = -1; // the slot's length byte, when not the text's own: only the record is read
    };
    const Fall faelle[] = {
        {"05.12.26", 2026, QDate(2026, 12, 5)},
        {"05.12.26", 2026, QDate(2026, 12, 5), 9}, // a length past the field reads the field
        {"05.12.26", 2026, QDate(2026, 12, 5), 255},
        {"05.12.26", 2026, QDate(2002, 12, 5), 7}, // the bytes behind the length are not the date's
        {"05.12.2x", 2026, QDate(2002, 12, 5), 7},
        {"05.12.2x", 2026, QDate()},
        {"01.02.75", 2026, QDate(2075, 2, 1)},
        {"01.02.76", 2026, QDate(1976, 2, 1)},
        {"31.12.99", 2026, QDate(1999, 12, 31)},
        {"01.01.00", 2026, QDate(2000, 1, 1)},
        {"01.02.50", 2001, QDate(2050, 2, 1)},
        {"01.02.51", 2001, QDate(1951, 2, 1)},
        {"29.02.28", 2026, QDate(2028, 2, 29)},
        {"29.02.00", 2026, QDate(2000, 2, 29)},
        {"29.02.26", 2026, QDate()},
        {"29.02.24", 2026, QDate(2024, 2, 29)},
        {"29.02.00", 2060, QDate()}, // 2100: not a leap year
        {"28.02.00", 2060, QDate(2100, 2, 28)},
        {"29.02.96", 2026, QDate(1996, 2, 29)},
        {"29.02.97", 2026, QDate()},
        {"01.01.00", 2050, QDate(2000, 1, 1)},
        {"31.12.99", 2050, QDate(2099, 12, 31)},
        {"31.12.26", 2026, QDate(2026, 12, 31)},
        {"30.04.26", 2026, QDate(2026, 4, 30)},
        {"31.11.26", 2026, QDate()},
        {"0:.01.26", 2026, QDate()}, // the characters right after '9' and before '0', in every place
        {"/1.01.26", 2026, QDate()},
        {"01.1:.26", 2026, QDate()},
        {"01./1.26", 2026, QDate()},
        {"01.01.2:", 2026, QDate()},
        {"01.01./6", 2026, QDate()},
        {"01/01.26", 2026, QDate()},
        {"01.01-26", 2026, QDate()},
        {"01\xAE"
         "01.26",
         2026, QDate()}, // '.' with its top bit set
        {"\xB0"
         "1.01.26",
         2026, QDate()}, // '0' with its top bit set
        {"99.99.99", 2026, QDate()},
        {"33.01.26", 2026, QDate()}, // days past 31 are no days of the next month
        {"60.01.26", 2026, QDate()},
        {"99.01.26", 2026, QDate()},
        {"31.01.26", 2026, QDate(2026, 1, 31)},
        {"28.02.26", 2026, QDate(2026, 2, 28)},
        {"30.02.24", 2026, QDate()},
        {"1.1.26", 2026, QDate(2026, 1, 1)}, // three numbers with points, as the rule asks
        {"1.1.6", 2026, QDate(2006, 1, 1)},
        {"1.1.2026", 2026, QDate(2026, 1, 1)}, // files written by other means: the year as it stands
        {"01.01.2026", 2026, QDate(2026, 1, 1)},
        {"1.1.2075", 2026, QDate(2075, 1, 1)},
        {"1.1.2076", 2026, QDate(2076, 1, 1)},
        {"1.1.1890", 2026, QDate(1890, 1, 1)},
        {"29.2.2000", 2026, QDate(2000, 2, 29)},
        {"29.2.1900", 2026, QDate()},
        {"1.1.026", 2026, QDate(26, 1, 1)},
        {"1.1.0026", 2026, QDate(26, 1, 1)},
        {"1.1.0000", 2026, QDate()}, // there is no year 0
        {"1.1.000", 2026, QDate()},
        {"1.1.12345", 2026, QDate()},
        {"1.1.20 6", 2026, QDate()},
        {"aa.bb.cc", 2026, QDate()},
        {"", 2026, QDate()},
        {"00.01.26", 2026, QDate()},
        {"32.01.26", 2026, QDate()},
        {"31.04.26", 2026, QDate()},
        {"01.13.26", 2026, QDate()},
        {"01.00.26", 2026, QDate()},
        {" 1.1.26", 2026, QDate()},
        {"1.1.26 ", 2026, QDate()},
        {"1.1.26.", 2026, QDate()},
        {"1..26", 2026, QDate()},
        {"01-01-26", 2026, QDate()},
        {"+1.1.26", 2026, QDate()},
        {"001.1.26", 2026, QDate()},
    };
    auto alsQDate = [](const std::optional<year_month_day> &d) {
        return d ? QDate(int(d->year()), int(unsigned(d->month())), int(unsigned(d->day()))) : QDate();
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(testing::Message() << f.text << " length byte " << f.laenge);
        if (f.laenge < 0) {
            EXPECT_EQ(alsQDate(DatumLesen(f.text, year{f.diesesJahr})), f.erwartet);
        }
        // The same bytes read from a record's journal, where they fit one.
        if (std::strlen(f.text) == 0 || std::strlen(f.text) > TSchlange::DatumKap)
            continue;
        TSchlange s = schlange("A", 7, {});
        std::uint8_t *slot = s.data() + TSchlange::OffFutterDatum;
        slot[0] = std::uint8_t(f.laenge < 0 ? int(std::strlen(f.text)) : f.laenge);
        std::memcpy(slot + 1, f.text, std::strlen(f.text));
        try {
            const auto d = LetzteFuetterung(s, year{f.diesesJahr});
            EXPECT_TRUE(f.erwartet.isValid()) << "taken for a date";
            EXPECT_EQ(alsQDate(d), f.erwartet);
        } catch (const EUnlesbaresDatum &e) {
            EXPECT_FALSE(f.erwartet.isValid());
            EXPECT_EQ(e.datum(), s.futterDatum(0));
        }
    }
}

TEST(FressCheckUndTermine, GrenzenEinerSchlange)
{
    struct Fall {
        const char *was;
        int tage;
        QStringList daten;
        std::optional<std::int64_t> check;  // days overdue; 0: not listed
        std::optional<std::int64_t> termin; // days to the next feeding; -1: not listed
    };
    const std::optional<std::int64_t> kein;                             // not asked of that evaluation
    QStringList alle(TSchlange::Slots - 1, QStringLiteral("01.03.26")); // no end mark: every slot is read
    alle << QStringLiteral("02.03.26");
    const Fall faelle[] = {
        {"exactly the interval", 7, {vor(7)}, 0, 0},
        {"one day more", 7, {vor(8)}, 1, kein},
        {"interval 0", 0, {"01.01.80"}, 0, kein},
        {"no entries", 7, {}, 0, kein},
        {"latest in the second slot", 7, {"01.03.26", "10.03.26"}, QDate(2026, 3, 10).daysTo(heuteQ) - 7, kein},
        {"latest in the last of three",
         7,
         {"10.03.26", "01.03.26", "11.03.26"},
         QDate(2026, 3, 11).daysTo(heuteQ) - 7,
         kein},
        {"latest in the last of all 201 slots", 7, alle, QDate(2026, 3, 2).daysTo(heuteQ) - 7, kein},
        {"fed after today", 7, {vor(-3)}, 0, 10},
        {"year 75 lies ahead", 7, {"01.01.75"}, 0, kein},
        {"year 76 lies behind", 7, {"01.01.76"}, QDate(1976, 1, 1).daysTo(heuteQ) - 7, kein},
        {"a long interval", 1000000, {"01.01.76"}, 0, kein},
        {"a negative interval", -3, {vor(0)}, 3, kein},
        {"a four-digit year", 7, {"1.1.2026"}, QDate(2026, 1, 1).daysTo(heuteQ) - 7, kein},
        {"latest among both forms",
         7,
         {"01.01.26", "3.2.2026", "02.01.26"},
         QDate(2026, 2, 3).daysTo(heuteQ) - 7,
         kein},
        {"fed today", 7, {vor(0)}, kein, 7},
        {"fed 6 days ago", 7, {vor(6)}, kein, 1},
        {"long overdue", 7, {vor(30)}, kein, 0},
        {"never fed, no interval", 0, {}, kein, 0},
        {"no interval", 0, {vor(3)}, kein, -1},
        {"latest of two", 7, {vor(20), vor(1)}, kein, 6},
    };
    const auto tage = [](std::int64_t n) { return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? "Tag" : "Tagen"); };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.was);
        const TSchlangen s{schlange(QStringLiteral("Kaa"), f.tage, f.daten)};
        for (const bool check : {true, false}) {
            const std::optional<std::int64_t> erwartet = check ? f.check : f.termin;
            if (!erwartet)
                continue;
            const Ergebnis e = check ? FressCheck(s, heute) : FressTermine(s, heute);
            if (*erwartet == (check ? 0 : -1)) {
                EXPECT_TRUE(e.zeilen.empty() && e.balken.empty()) << check;
                continue;
            }
            ASSERT_EQ(e.balken.size(), 1u) << check;
            EXPECT_EQ(e.balken[0].wert, *erwartet) << check;
            if (check) {
                EXPECT_EQ(texte(e), QStringList{"Kaa: seit " + tage(*erwartet) + " überfällig !"});
                continue;
            }
            const QString wann = *erwartet == 0 ? QStringLiteral("sofort") : "in " + tage(*erwartet);
            EXPECT_EQ(texte(e), QStringList{"Kaa: sollte " + wann + " gefüttert werden !"});
            const Spanne hervor =
                *erwartet == 0 ? Spanne{12, 6, true} : Spanne{15, int(QString::number(*erwartet).size()), true};
            EXPECT_EQ(e.zeilen[0].spannen, (std::array<Spanne, 2>{{{0, 3, false}, hervor}}));
        }
    }
}

TEST(FressCheck, SatzSpannenUndReihenfolge)
{
    // Values in tab order: 3, 1, 3, none, 10, 2.
    const TSchlangen s = {schlange("A", 7, {vor(10)}), schlange("Bb", 7, {vor(8)}),    schlange("C", 7, {vor(10)}),
                          schlange("D", 7, {vor(2)}),  schlange("Eeee", 7, {vor(17)}), schlange("F", 5, {vor(7)})};
    const Ergebnis e = FressCheck(s, heute);
    EXPECT_EQ(texte(e), (QStringList{"Eeee: seit 10 Tagen überfällig !", "A: seit 3 Tagen überfällig !",
                                     "C: seit 3 Tagen überfällig !", "F: seit 2 Tagen überfällig !",
                                     "Bb: seit 1 Tag überfällig !"}));
    EXPECT_EQ(e.zeilen[0].spannen, (std::array<Spanne, 2>{{{0, 4, false}, {11, 2, true}}}));
    EXPECT_EQ(e.zeilen[4].spannen, (std::array<Spanne, 2>{{{0, 2, false}, {9, 1, true}}}));
    // Bars: least overdue first, equal values still in tab order.
    EXPECT_EQ(balken(e), (std::vector<Gelistet>{{"Bb", 1}, {"F", 2}, {"A", 3}, {"C", 3}, {"Eeee", 10}}));
    EXPECT_EQ(e.balken[4].farbe, (Farbe{255, 0, 0}));
    EXPECT_EQ(e.balken[0].farbe, (Farbe{0, 255, 0}));
}

TEST(FressTermine, ReihenfolgeSaetzeAufsteigendBalkenAbsteigend)
{
    // Values in tab order: 2, 0, 7, 2, none.
    const TSchlangen s = {schlange("A", 7, {vor(5)}), schlange("B", 7, {vor(9)}), schlange("C", 7, {vor(0)}),
                          schlange("D", 3, {vor(1)}), schlange("E", 0, {vor(1)})};
    const Ergebnis e = FressTermine(s, heute);
    EXPECT_EQ(texte(e),
              (QStringList{"B: sollte sofort gefüttert werden !", "A: sollte in 2 Tagen gefüttert werden !",
                           "D: sollte in 2 Tagen gefüttert werden !", "C: sollte in 7 Tagen gefüttert werden !"}));
    EXPECT_EQ(balken(e), (std::vector<Gelistet>{{"C", 7}, {"A", 2}, {"D", 2}, {"B", 0}}));
}

TEST(Auswertung, FarbtabellenUndDiagrammhoehe)
{
    const Farbe gruen{0, 255, 0}, gelbgruen{200, 255, 0}, gelb{255, 255, 0}, orange{255, 128, 0}, rot{255, 0, 0};
    const Farbe check[] = {gruen, gruen, gelbgruen, gelbgruen, gelb, gelb, orange, orange, rot, rot, rot};
    for (int v = 1; v <= 11; ++v)
        EXPECT_EQ(CheckFarbe(v), check[v - 1]) << v;
    EXPECT_EQ(CheckFarbe(1000000000000), rot);
    const Farbe termin[] = {rot, orange, orange, gelb, gelb, gelbgruen, gelbgruen, gruen, gruen};
    for (int v = 0; v <= 8; ++v)
        EXPECT_EQ(TerminFarbe(v), termin[v]) << v;
    const int hoehe[] = {74, 74, 74, 74, 74, 96, 118};
    for (int n = 0; n <= 6; ++n)
        EXPECT_EQ(DiagrammHoehe(std::size_t(n)), hoehe[n]) << n;
    EXPECT_EQ(DiagrammHoehe(10000), 74 + 22 * 9996);
}

TEST(Auswertung, UnlesbaresDatumBeendetBeideAuswertungen)
{
    // The first unreadable date in tab and slot order is named, also in a snake
    // without interval; slots behind a journal's end are never read.
    TSchlange hinterEnde = schlange("A", 7, {vor(1), "", "kaputt"});
    const TSchlangen s = {hinterEnde, schlange("B", 0, {vor(1), "aa.bb.cc"}), schlange("C", 7, {"31.02.26"})};
    for (auto auswertung : {&FressCheck, &FressTermine}) {
        try {
            auswertung(s, heute);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError &e) {
            // The report's own text, and a second line that names where the date stands.
            EXPECT_EQ(e.message(), "'aa.bb.cc' ist kein gültiges Datum.\nbei Schlange „B“, Fresszeiten");
        }
    }
    EXPECT_NO_THROW(FressCheck({hinterEnde}, heute));
    // The last of all 201 slots is read, also behind two hundred readable dates.
    QStringList voll(TSchlange::MaxEintraege, vor(1));
    voll << QStringLiteral("31.02.26");
    EXPECT_THROW(FressTermine({schlange("D", 7, voll)}, heute), EUnlesbaresDatum);
}

TEST(FressParade, PlaetzeGleichstaendeUndListe)
{
    auto mit = [](const QString &name, int n) {
        QStringList d;
        for (int i = 0; i < n; ++i)
            d << "01.01.80"; // the dates play no part
        return schlange(name, 7, d);
    };
    auto plaetze = [](const std::vector<Platz> &p) {
        QStringList l;
        for (const Platz &x : p)
            l << QStringLiteral("%1:%2:%3:%4")
                     .arg(QString::number(x.platz), x.name, QString::number(x.anzahl), QString::number(x.index));
        return l;
    };
    const auto drei = FressParade({mit("A", 12), mit("B", 30), mit("C", 5)});
    EXPECT_EQ(plaetze(drei), (QStringList{"1:B:30:1", "2:A:12:0", "3:C:5:2"}));
    EXPECT_EQ(WeiterePlaetze(drei), "");
    EXPECT_EQ(FEsText(30), "30 FEs");

    const auto fuenf = FressParade({mit("A", 4), mit("B", 4), mit("C", 4), mit("D", 4), mit("E", 4)});
    EXPECT_EQ(plaetze(fuenf), (QStringList{"1:A:4:0", "2:B:4:1", "3:C:4:2", "4:D:4:3", "5:E:4:4"}));
    EXPECT_EQ(WeiterePlaetze(fuenf), "4.Platz\t(4 FEs): D\n5.Platz\t(4 FEs): E");

    // Without the end mark a hand-made record counts all 201 slots; no entries ranks last.
    TSchlange voll = mit("Voll %1", 0);
    for (int i = 0; i < TSchlange::Slots; ++i)
        voll.setFutterDatum(i, QStringLiteral("01.01.80"));
    const auto gemischt = FressParade({mit("Leer", 0), mit("X %1", 7), mit("Y", 9), voll, mit("Z", 8)});
    EXPECT_EQ(plaetze(gemischt), (QStringList{"1:Voll %1:201:3", "2:Y:9:2", "3:Z:8:4", "4:X %1:7:1", "5:Leer:0:0"}));
    EXPECT_EQ(WeiterePlaetze(gemischt), "4.Platz\t(7 FEs): X %1\n5.Platz\t(0 FEs): Leer");
    EXPECT_TRUE(FressParade({}).empty());
}

// ---------------------------------------------------------------------------
// The command line and the reminder at login

namespace {
// A folder with a data file of `s` and settings that load it at start.
struct Sammlung {
    QTemporaryDir ordner;
    explicit Sammlung(const TSchlangen &s, const QString &optionen = QStringLiteral("autoload=1\r\nfile=s.vix"))
    {
        Datendatei::speichern(ordner.filePath("s.vix"), s);
        dateiSchreiben(ordner.filePath("options.ini"), "[Options]\r\n" + optionen.toLatin1() + "\r\n");
    }
    Befehlszeile::Ergebnis befehl(const QStringList &argumente) const
    {
        return Befehlszeile::ausfuehren(argumente, heute, ordner.path());
    }
};
} // namespace

TEST(Befehlszeile, SaetzeStartdateiUndRueckgabewerte)
{
    // Overdue by 10 and 1; one snake is to be fed at once without ever having eaten.
    const Sammlung sammlung({schlange("Kaa", 7, {vor(17)}), schlange("Nagini", 7, {vor(8)}), schlange("Ohne", 0, {})});
    struct Fall {
        QStringList argumente;
        const char *aus;
        QByteArray fehler;
        int status;
    };
    const QString datei = sammlung.ordner.filePath("s.vix");
    const QByteArray rohr = QFile::encodeName(sammlung.ordner.filePath("rohr.vix"));
    ASSERT_EQ(::mkfifo(rohr.constData(), 0600), 0);
    const QByteArray aufruf = "Aufruf: vivarix [DATEI]\n       vivarix OPTION [DATEI]\n\"vivarix --help\" zeigt "
                              "die Optionen.\n";
    const QByteArray fehlt = "Datei nicht gefunden.\n\"" + sammlung.ordner.filePath("fehlt.vix").toUtf8() + "\"\n";
    const QByteArray keineDatei =
        "Ungültiger Dateiname.\n\"" + rohr + "\" ist keine gewöhnliche Datei.\n"; // as the window says it
    const Fall faelle[] = {
        {{"--fress-check"}, "Kaa: seit 10 Tagen überfällig !\nNagini: seit 1 Tag überfällig !\n", "", 1},
        {{"--fress-check", datei}, "Kaa: seit 10 Tagen überfällig !\nNagini: seit 1 Tag überfällig !\n", "", 1},
        {{"--fress-check", "s.vix"}, "Kaa: seit 10 Tagen überfällig !\nNagini: seit 1 Tag überfällig !\n", "", 1},
        {{"--fress-termine"},
         "Kaa: sollte sofort gefüttert werden !\nNagini: sollte sofort gefüttert werden !\n"
         "Ohne: sollte sofort gefüttert werden !\n",
         "",
         1},
        {{"--fress-check", sammlung.ordner.filePath("fehlt.vix")}, "", fehlt, 2},
        {{"--fress-termine", "rohr.vix"}, "", keineDatei, 2},
        {{"--version"}, "Vivarix " VIVARIX_VERSION "\n", "", 0},
        {{"--fress-check", datei, "mehr"}, "", "Zu viele Angaben nach --fress-check\n" + aufruf, 2},
        {{"--versio"}, "", "Unbekannte Option „--versio“\n" + aufruf, 2},
        {{"s.vix", "--fress-check"}, "", "Zu viele Angaben: Das Programmfenster öffnet eine Datei\n" + aufruf, 2},
    };
    for (const Fall &f : faelle) {
        const Befehlszeile::Ergebnis e = sammlung.befehl(f.argumente);
        EXPECT_EQ(QString::fromUtf8(e.aus), QString::fromUtf8(f.aus)) << f.argumente.join(' ').toStdString();
        EXPECT_EQ(QString::fromUtf8(e.fehler), QString::fromUtf8(f.fehler)) << f.argumente.join(' ').toStdString();
        EXPECT_TRUE(Befehlszeile::istBefehl(f.argumente)) << "no window for " << f.argumente.join(' ').toStdString();
        EXPECT_EQ(e.status, f.status) << f.argumente.join(' ').toStdString();
    }
    EXPECT_TRUE(sammlung.befehl({"--help"}).aus.contains("--fress-termine [DATEI]"));

    // Nothing listed; an empty file; a name with a line end stays on its line.
    const Sammlung puenktlich({schlange("A\nB", 7, {vor(3)}), schlange("C", 0, {vor(3)})});
    EXPECT_EQ(puenktlich.befehl({"--fress-check"}).status, 0);
    EXPECT_EQ(puenktlich.befehl({"--fress-termine"}).aus, "A B: sollte in 4 Tagen gefüttert werden !\n");
    EXPECT_EQ(Sammlung({}).befehl({"--fress-termine"}).status, 0);

    // Without a start-up file there is nothing to read: said, not taken for "nothing due".
    for (const char *optionen : {"autoload=0\r\nfile=s.vix", "autoload=1\r\nfile=0"}) {
        const Befehlszeile::Ergebnis e = Sammlung({}, QString::fromLatin1(optionen)).befehl({"--fress-check"});
        EXPECT_EQ(e.fehler, "In der Optionsdatei \"options.ini\" ist keine Datei zum Laden beim Start eingestellt\n");
        EXPECT_EQ(e.status, 2);
    }
    // Loading at start, with no file named: as in the window, no such file.
    EXPECT_EQ(Sammlung({}, "autoload=1\r\nfile=").befehl({"--fress-check"}).fehler, "Datei nicht gefunden.\n");
    QTemporaryDir leer;
    const Befehlszeile::Ergebnis ohne = Befehlszeile::ausfuehren({"--fress-termine"}, heute, leer.path());
    EXPECT_EQ(ohne.fehler, "Optionsdatei \"options.ini\" nicht gefunden\n");
    EXPECT_EQ(ohne.status, 2);

    // The window takes nothing, or one data file.
    for (const QStringList &fenster : {QStringList{}, {"s.vix"}, {"--", "-s.vix"}, {"--"}})
        EXPECT_FALSE(Befehlszeile::istBefehl(fenster)) << fenster.join(' ').toStdString();
    EXPECT_EQ(Befehlszeile::fensterDatei({"--", "-s.vix"}), "-s.vix");
    EXPECT_EQ(Befehlszeile::fensterDatei({"/a/s.vix"}), "/a/s.vix");
    EXPECT_EQ(Befehlszeile::fensterDatei({"--fress-check"}), std::nullopt);
}

TEST(Befehlszeile, SteuerzeichenSichtbar)
{
    const struct {
        const char16_t *text, *gedruckt;
    } faelle[] = {
        {u"\x1b]0;Titel\x07Kaa", u"\\x1b]0;Titel\\x07Kaa"},
        {u"A\x1b[2J\x1b[3JB\x7f", u"A\\x1b[2J\\x1b[3JB\\x7f"},
        {u"C1\x9b"
         "2J\x85",
         u"C1\\x9b2J\\x85"},
        {u"\u202egnalhcS\u202c \u2066x\u2069\u200f", u"\\u202egnalhcS\\u202c \\u2066x\\u2069\\u200f"},
        {u"Tab\tZeile\r\nEnde", u"Tab\\tZeile  Ende"},
        {u"Müller’s Kaa 🐍 \u00a0", u"Müller’s Kaa 🐍 \u00a0"},
    };
    for (const auto &f : faelle)
        EXPECT_EQ(Befehlszeile::sichtbar(QString::fromUtf16(f.text)), QString::fromUtf16(f.gedruckt));
}

TEST(Befehlszeile, LaeuftOhneBildschirmUndOhneFenster)
{
    // The program itself, with no display of any kind: the evaluation needs none.
    const Sammlung sammlung({schlange("Ohne", 0, {})});
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    for (const char *weg : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        umgebung.remove(QString::fromLatin1(weg));
    const auto lauf = [&](const QStringList &argumente) {
        QProcess p;
        p.setProcessEnvironment(umgebung);
        p.setWorkingDirectory(sammlung.ordner.path());
        p.start(QStringLiteral(VIVARIX_PROGRAMM), argumente);
        EXPECT_TRUE(p.waitForFinished(20000));
        return std::tuple{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                          QString::fromUtf8(p.readAllStandardError())};
    };
    EXPECT_EQ(lauf({"--fress-termine"}),
              std::tuple(1, QStringLiteral("Ohne: sollte sofort gefüttert werden !\n"), QString()));
    EXPECT_EQ(lauf({"--version"}), std::tuple(0, QStringLiteral("Vivarix " VIVARIX_VERSION "\n"), QString()));
    EXPECT_EQ(lauf({"--fress-check", "fehlt.vix"}),
              std::tuple(2, QString(), "Datei nicht gefunden.\n\"" + sammlung.ordner.filePath("fehlt.vix") + "\"\n"));
    // A wrong call is answered on the terminal, never with a window (which without a display would abort).
    for (const QStringList &falsch : {QStringList{"--fress-chek"}, {"-x", "s.vix"}, {"s.vix", "t.vix"}}) {
        const auto [status, aus, fehler] = lauf(falsch);
        EXPECT_EQ(status, 2) << falsch.join(' ').toStdString();
        EXPECT_TRUE(aus.isEmpty());
        EXPECT_TRUE(fehler.contains("Aufruf: vivarix [DATEI]")) << fehler.toStdString();
    }
    EXPECT_TRUE(std::get<2>(lauf({"--fress-chek"})).startsWith("Unbekannte Option „--fress-chek“\n"));
    // Output that cannot be written is a failure, not "nothing listed".
    {
        QProcess p;
        p.setProcessEnvironment(umgebung);
        p.setWorkingDirectory(sammlung.ordner.path());
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(VIVARIX_PROGRAMM), {"--fress-termine"});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_EQ(p.readAllStandardError(), "Die Ausgabe kann nicht geschrieben werden: Zu wenig Speicherplatz.\n");
    }
    // A name that would steer the terminal reaches it as visible text, byte for byte.
    Datendatei::speichern(sammlung.ordner.filePath("boese.vix"),
                          {schlange("\x1b[2J\x1b]0;weg\x07Kaa", 0, {}), schlange("Nagini\x1b[1A\x1b[2K", 0, {})});
    QProcess p;
    p.setProcessEnvironment(umgebung);
    p.setWorkingDirectory(sammlung.ordner.path());
    p.start(QStringLiteral(VIVARIX_PROGRAMM), {"--fress-termine", "boese.vix"});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.readAllStandardOutput(), "\\x1b[2J\\x1b]0;weg\\x07Kaa: sollte sofort gefüttert werden !\n"
                                         "Nagini\\x1b[1A\\x1b[2K: sollte sofort gefüttert werden !\n");
    // No bus to tell, named or at its usual place: the reminder ends quietly.
    umgebung.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + sammlung.ordner.filePath("kein-bus"));
    EXPECT_EQ(lauf({"--erinnern"}), std::tuple(0, QString(), QString()));
    umgebung.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    umgebung.insert(QStringLiteral("XDG_RUNTIME_DIR"), sammlung.ordner.path());
    EXPECT_EQ(lauf({"--erinnern"}), std::tuple(0, QString(), QString()));
}

TEST(Erinnerung, ZusammenfassungUndZeilen)
{
    EXPECT_FALSE(Erinnerung::meldung({schlange("A", 7, {vor(3)}), schlange("B", 0, {vor(3)})}, heute));
    // Due today without being overdue, and overdue: the overdue one first, with its days.
    const auto zwei = Erinnerung::meldung({schlange("Heute", 7, {vor(7)}), schlange("Kaa", 7, {vor(9)})}, heute);
    ASSERT_TRUE(zwei);
    EXPECT_EQ(zwei->zusammenfassung, "Vivarix: 2 Schlangen sind fällig");
    EXPECT_EQ(zwei->zeilen, (QStringList{"Kaa: seit 2 Tagen überfällig !", "Heute: sollte sofort gefüttert werden !"}));
    const auto eine = Erinnerung::meldung({schlange("Nie", 7, {})}, heute);
    ASSERT_TRUE(eine);
    EXPECT_EQ(eine->zusammenfassung, "Vivarix: 1 Schlange ist fällig");
    TSchlangen viele;
    for (int i = 0; i < 8; ++i)
        viele.push_back(schlange(QStringLiteral("S%1").arg(i), 7, {vor(8 + i)}));
    const auto acht = Erinnerung::meldung(viele, heute);
    ASSERT_TRUE(acht);
    EXPECT_EQ(acht->anzahl, 8);
    EXPECT_EQ(acht->zeilen.size(), Erinnerung::HoechstensZeilen + 1);
    EXPECT_EQ(acht->zeilen.front(), "S7: seit 8 Tagen überfällig !");
    EXPECT_EQ(acht->zeilen.back(), "… und 3 weitere");
}

namespace {
// A desktop's notification service, as far as the reminder uses it: it notes
// every notification and then, as a keeper would, chooses "Öffnen" or closes it.
class Benachrichtigungen : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notiz {
        QString app, zusammenfassung, text;
        QStringList aktionen;
    };
    std::vector<Notiz> notizen() const
    {
        const QMutexLocker sperre(&mutex);
        return gemeldet;
    }
    QString antwort; // the action key the keeper chooses; empty: closes the notification
    QStringList faehig{QStringLiteral("actions"), QStringLiteral("body")};

public slots:
    QStringList GetCapabilities() { return faehig; }
    uint Notify(const QString &app, uint, const QString &, const QString &zusammenfassung, const QString &text,
                const QStringList &aktionen, const QVariantMap &, int)
    {
        {
            const QMutexLocker sperre(&mutex);
            gemeldet.push_back({app, zusammenfassung, text, aktionen});
        }
        QTimer::singleShot(0, this, [this] {
            if (antwort.isEmpty())
                emit NotificationClosed(42, 2);
            else
                emit ActionInvoked(42, antwort);
        });
        return 42;
    }

signals:
    void ActionInvoked(uint id, const QString &schluessel);
    void NotificationClosed(uint id, uint grund);

private:
    mutable QMutex mutex;
    std::vector<Notiz> gemeldet;
};

// A session bus of the test's own, so nothing reaches the machine's desktop.
class ErinnerungTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        const QString konfiguration = ordner.filePath(QStringLiteral("bus.conf"));
        dateiSchreiben(konfiguration,
                       "<busconfig><type>session</type><listen>unix:tmpdir=" + ordner.path().toUtf8() +
                           "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                           "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                           "<allow own=\"*\"/>"
                           "</policy></busconfig>");
        daemon.start(QStringLiteral("dbus-daemon"), {"--config-file=" + konfiguration, "--print-address", "--nofork"});
        ASSERT_TRUE(daemon.waitForReadyRead(10000)) << daemon.readAllStandardError().toStdString();
        adresse = QString::fromUtf8(daemon.readLine().trimmed());
        bus = QDBusConnection::connectToBus(adresse, QStringLiteral("erinnerung"));
        ASSERT_TRUE(bus.isConnected());
    }
    void TearDown() override
    {
        if (faden.isRunning()) {
            QMetaObject::invokeMethod(
                &dienst,
                [] {
                    QDBusConnection(QStringLiteral("dienst"))
                        .unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
                    QDBusConnection::disconnectFromBus(QStringLiteral("dienst"));
                },
                Qt::BlockingQueuedConnection);
            faden.quit();
            faden.wait();
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("erinnerung"));
        daemon.kill();
        daemon.waitForFinished();
    }
    // The notification service runs on a thread of its own, as it would in a process of its own.
    void dienstStarten()
    {
        dienst.moveToThread(&faden);
        faden.start();
        bool angemeldet = false;
        QMetaObject::invokeMethod(
            &dienst,
            [&] {
                QDBusConnection d = QDBusConnection::connectToBus(adresse, QStringLiteral("dienst"));
                angemeldet = d.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &dienst,
                                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
                             d.registerService(QStringLiteral("org.freedesktop.Notifications"));
            },
            Qt::BlockingQueuedConnection);
        ASSERT_TRUE(angemeldet);
    }
    int erinnern(const TSchlangen &s)
    {
        const Sammlung sammlung(s);
        return Erinnerung::erinnern(bus, sammlung.ordner.path(), heute, std::chrono::seconds(20),
                                    [this] { ++geoeffnet; });
    }

    QTemporaryDir ordner;
    QProcess daemon;
    QString adresse;
    QDBusConnection bus{QString()};
    QThread faden;
    Benachrichtigungen dienst;
    int geoeffnet = 0;
};
} // namespace

TEST_F(ErinnerungTest, EineBenachrichtigungWennFaellig)
{
    dienstStarten();
    dienst.antwort = QStringLiteral("oeffnen");
    EXPECT_EQ(
        erinnern({schlange("Kaa", 7, {vor(9)}), schlange("A & <b>B</b>", 7, {vor(7)}), schlange("C", 7, {vor(1)})}), 0);
    const auto notizen = dienst.notizen();
    ASSERT_EQ(notizen.size(), 1u);
    EXPECT_EQ(notizen[0].app, "Vivarix");
    EXPECT_EQ(notizen[0].zusammenfassung, "Vivarix: 2 Schlangen sind fällig");
    EXPECT_EQ(notizen[0].text, "Kaa: seit 2 Tagen überfällig !\nA & <b>B</b>: sollte sofort gefüttert werden !");
    EXPECT_EQ(notizen[0].aktionen, (QStringList{"oeffnen", "Öffnen"}));
    EXPECT_EQ(geoeffnet, 1) << "\"Öffnen\" starts the program";

    // Closed without a choice: nothing is started. A service that reads markup gets the names as text.
    dienst.antwort.clear();
    dienst.faehig << QStringLiteral("body-markup");
    EXPECT_EQ(erinnern({schlange("A & <b>B</b>", 7, {vor(7)})}), 0);
    ASSERT_EQ(dienst.notizen().size(), 2u);
    EXPECT_EQ(dienst.notizen()[1].zusammenfassung, "Vivarix: 1 Schlange ist fällig");
    EXPECT_EQ(dienst.notizen()[1].text, "A &amp; &lt;b&gt;B&lt;/b&gt;: sollte sofort gefüttert werden !");
    EXPECT_EQ(geoeffnet, 1);
}

TEST_F(ErinnerungTest, StillWennNichtsFaelligOderNiemandZuhoert)
{
    // No service on the bus: quiet, status 0, nothing started.
    EXPECT_EQ(erinnern({schlange("Kaa", 7, {vor(9)})}), 0);
    EXPECT_EQ(geoeffnet, 0);

    dienstStarten();
    EXPECT_EQ(erinnern({schlange("Kaa", 7, {vor(3)}), schlange("Ohne", 0, {vor(30)})}), 0);
    EXPECT_EQ(erinnern({schlange("Kaputt", 7, {"aa.bb.cc"})}), 0);
    EXPECT_EQ(erinnern({}), 0);
    QTemporaryDir ohneOptionen;
    EXPECT_EQ(Erinnerung::erinnern(bus, ohneOptionen.path(), heute), 0);
    EXPECT_TRUE(dienst.notizen().empty());

    // A start-up file that is there but cannot be read is told once, in the window's words.
    const Sammlung kaputt({schlange("Kaa", 7, {vor(9)})});
    QFile::remove(kaputt.ordner.filePath("s.vix"));
    ASSERT_TRUE(QDir(kaputt.ordner.path()).mkdir("s.vix"));
    EXPECT_EQ(Erinnerung::erinnern(bus, kaputt.ordner.path(), heute, std::chrono::seconds(20), [] {}), 0);
    ASSERT_EQ(dienst.notizen().size(), 1u);
    EXPECT_EQ(dienst.notizen()[0].zusammenfassung, "Vivarix: Die Sammlung kann nicht gelesen werden");
    EXPECT_EQ(dienst.notizen()[0].text,
              "Ungültiger Dateiname.\n\"" + kaputt.ordner.filePath("s.vix") + "\" ist ein Ordner.");
}

#include "test_auswertung.moc"
