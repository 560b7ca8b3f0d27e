// The settings file's rules: reading lines and values, writing the six lines.
#include "settings/Optionen.h"

#include "Hilfen.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

QString wertIn(const QByteArray &bytes, const char *name)
{
    return Optionen::wert(Optionen::lesen(bytes), QString::fromLatin1(name));
}

} // namespace

TEST(OptionenLesen, ZeilenNamenUndWerte)
{
    // The name runs to the first "=", nothing is trimmed, names match with case;
    // a later line wins; lines end at CR LF, a lone CR, a lone LF (hand-edited)
    // or the file's end, and the file itself at Ctrl-Z; texts are Windows-1252.
    const QByteArray f = "[Options]\r\nautoload = 1\r\nfutter=a=b\r\nMaximize=1\r\n";
    const QByteArray enden = "a=1\r\nb=2\rc=3\nd=4", mitCtrlZ = "a=1\r\nb=2\x1A\r\nc=3\r\n";
    const struct {
        QByteArray datei;
        const char *name;
        QString wert;
    } faelle[] = {
        {f, "autoload", QString()},
        {f, "autoload ", " 1"},
        {f, "futter", "a=b"},
        {f, "maximize", QString()},
        {"maximize=0\r\nmaximize=1\r\n", "maximize", "1"},
        {"maximize=1\r\nmaximize=\r\n", "maximize", QString()},
        {enden, "a", "1"},
        {enden, "b", "2"},
        {enden, "c", "3"},
        {enden, "d", "4"},
        {mitCtrlZ, "b", "2"},
        {mitCtrlZ, "c", QString()},
        {"futter=M\xE4use|K\xFCken|Ger\xE4t \x80\r\n", "futter", QStringLiteral("Mäuse|Küken|Gerät €")},
    };
    for (const auto &fall : faelle)
        EXPECT_EQ(wertIn(fall.datei, fall.name), fall.wert) << fall.datei.toStdString() << " / " << fall.name;
    EXPECT_EQ(Optionen::lesen(f).size(), 3u); // the bracket line gives no entry

    using L = QStringList;
    EXPECT_EQ(Optionen::futterListe(QStringLiteral("Maus|Ratte")), (L{"Maus", "Ratte"}));
    EXPECT_EQ(Optionen::futterListe(QString()), L{});
    EXPECT_EQ(Optionen::futterListe(QStringLiteral("a||b")), (L{"a", "", "b"}));
    EXPECT_EQ(Optionen::futterListe(QStringLiteral("a|")), L{"a"});
    EXPECT_EQ(Optionen::futterListe(QStringLiteral("|")), L{""});
}

TEST(OptionenSchreiben, SechsZeilenJederSchalterInSeinerZeile)
{
    // The defaults are exactly six lines; the dialog's one empty row is no food.
    Optionen::Werte leer;
    leer.futter = QStringList{QString()};
    EXPECT_EQ(Optionen::schreiben(leer),
              QByteArray("[Options]\r\nautoload=0\r\nfile=\r\nremember=0\r\nmaximize=0\r\nfutter=\r\n"));
    EXPECT_EQ(Optionen::schreiben({}), Optionen::schreiben(leer));

    Optionen::Werte w;
    w.datei = QStringLiteral("/daten/ö.vix");
    w.futter = QStringList{QStringLiteral("Maus"), QStringLiteral("Küken")};
    const auto datei = [](const char *a, const char *r, const char *m) {
        return QByteArray("[Options]\r\nautoload=") + a + "\r\nfile=/daten/\xF6.vix\r\nremember=" + r +
               "\r\nmaximize=" + m + "\r\nfutter=Maus|K\xFCken\r\n";
    };
    EXPECT_EQ(Optionen::schreiben(w), datei("0", "0", "0"));
    w.autoload = true;
    EXPECT_EQ(Optionen::schreiben(w), datei("1", "0", "0"));
    w.autoload = false;
    w.remember = true;
    EXPECT_EQ(Optionen::schreiben(w), datei("0", "1", "0"));
    w.remember = false;
    w.maximize = true;
    EXPECT_EQ(Optionen::schreiben(w), datei("0", "0", "1"));
    w.maximize = false;

    // A line end inside a value stays in its line.
    w.futter = QStringList{QStringLiteral("x\rautoload=1"), QStringLiteral("y\x1Az")};
    const QByteArray f = Optionen::schreiben(w);
    EXPECT_EQ(wertIn(f, "autoload"), QStringLiteral("0"));
    EXPECT_EQ(wertIn(f, "futter"), QStringLiteral("x autoload=1|y z"));
}

TEST(OptionenLesen, EinGrosserRestHinterCtrlZKostetKeineZeile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Optionen::setVerzeichnis(dir.path());
    Optionen::Werte w;
    w.remember = true;
    EXPECT_FALSE(Optionen::laden(w));
    EXPECT_FALSE(w.remember); // nothing read: the defaults
    // The file ends at Ctrl-Z, so the last line before it is whole, though
    // reading stops at 1 MiB in the middle of what follows.
    dateiSchreiben(Optionen::pfad(), "remember=1\r\nmaximize=1\x1A" + QByteArray(2 << 20, 'x'));
    EXPECT_TRUE(Optionen::laden(w));
    EXPECT_TRUE(w.remember);
    EXPECT_TRUE(w.maximize);
    Optionen::setVerzeichnis(QStringLiteral("."));
}

TEST(OptionenLesen, WerteMitVorgabenUndStartdatei)
{
    // A switch is on only at exactly "1"; a setting the file lacks has its default;
    // the start-up file needs automatic load on and a file other than "0".
    const struct {
        const char *datei;
        bool autoload, remember, maximize;
        const char *file;
        std::optional<const char *> start;
        QStringList futter;
    } faelle[] = {
        {"", false, false, false, "", {}, {}},
        {"[Options]\r\nautoload=1\r\nfile=a.vix\r\nremember=1\r\nmaximize=1\r\nfutter=Maus|Ratte\r\n",
         true,
         true,
         true,
         "a.vix",
         "a.vix",
         {"Maus", "Ratte"}},
        {"autoload=0\r\nfile=a.vix\r\n", false, false, false, "a.vix", {}, {}},
        {"autoload=1\r\nfile=0\r\n", true, false, false, "0", {}, {}},
        {"autoload=1\r\n", true, false, false, "", "", {}}, // the empty name is loaded and fails there
        {"autoload=1\r\nfile=b.vix\r\nautoload=0\r\n", false, false, false, "b.vix", {}, {}},
        {"autoload= 1\r\nremember=true\r\nmaximize=01\r\nfile= 0\r\n", false, false, false, " 0", {}, {}},
        {"remember=2\r\nmaximize=1 \r\nfutter=|\r\n", false, false, false, "", {}, {""}},
    };
    for (const auto &f : faelle) {
        SCOPED_TRACE(f.datei);
        const Optionen::Werte w = Optionen::werte(Optionen::lesen(f.datei));
        EXPECT_EQ(w.autoload, f.autoload);
        EXPECT_EQ(w.remember, f.remember);
        EXPECT_EQ(w.maximize, f.maximize);
        EXPECT_EQ(w.datei, QString::fromLatin1(f.file));
        EXPECT_EQ(w.startDatei(), f.start ? std::optional(QString::fromLatin1(*f.start)) : std::nullopt);
        EXPECT_EQ(w.futter, f.futter);
        // What is read is written back as read.
        EXPECT_EQ(Optionen::schreiben(Optionen::werte(Optionen::lesen(Optionen::schreiben(w)))),
                  Optionen::schreiben(w));
    }
    EXPECT_EQ(Optionen::pfad(QStringLiteral("/x")), QStringLiteral("/x/options.ini"));
}
