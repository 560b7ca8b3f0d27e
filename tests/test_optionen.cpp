#include "settings/Optionen.h"
#include "settings/ui/TOptionen.h"

#include "Hilfen.h"
#include "data/Fehler.h"
#include "toolkit/Dialoge.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString NichtGefunden = QStringLiteral("Fehler|Optionsdatei \"options.ini\" nicht gefunden");

class OptionenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        TOptionen::setVerz(dir.path());
        DialogTest::zuruecksetzen();
        DialogTest::nieBlockieren(true);
    }
    void TearDown() override { DialogTest::nieBlockieren(false); }

    QString datei() const { return dir.path() + QStringLiteral("/options.ini"); }

    // Loads `bytes` as options.ini into a fresh dialog object.
    void ladeDatei(TOptionen &o, const QByteArray &bytes)
    {
        dateiSchreiben(datei(), bytes);
        o.OptionenLoad();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(OptionenTest, PfadIstVerzeichnisPlusDateiname)
{
    TOptionen::setVerz(QStringLiteral("/a/b/"));
    EXPECT_EQ(Optionen::pfad(), QStringLiteral("/a/b//options.ini"));
}

TEST_F(OptionenTest, FehlendeDateiMeldetUndLeertDieTabelle)
{
    TOptionen o;
    ladeDatei(o, "maximize=1\r\n");
    EXPECT_EQ(o.getOption(QStringLiteral("maximize")), QStringLiteral("1"));
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());

    QFile::remove(datei());
    DialogTest::naechsteAntwort(mbOK);
    o.OptionenLoad();
    EXPECT_EQ(DialogTest::protokoll(), QStringList{NichtGefunden});
    EXPECT_EQ(o.getOption(QStringLiteral("maximize")), QString());
    EXPECT_EQ(o.getOption(QStringLiteral("futter")), QString());
}

TEST_F(OptionenTest, SpeichernUndWiederLaden)
{
    TOptionen schreiber;
    schreiber.werte.autoload = true;
    schreiber.werte.datei = QStringLiteral("/home/ä/mysnakes.vix");
    schreiber.werte.maximize = true;
    schreiber.werte.futter = QStringList{QStringLiteral("Mäuse"), QString(), QStringLiteral("Küken")};
    schreiber.OptionenSave();
    EXPECT_TRUE(dateiLesen(datei()).contains("file=/home/\xE4/mysnakes.vix\r\n"));

    TOptionen leser;
    leser.OptionenLoad();
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());
    EXPECT_EQ(leser.getOption(QStringLiteral("autoload")), QStringLiteral("1"));
    EXPECT_EQ(leser.getOption(QStringLiteral("file")), schreiber.werte.datei);
    EXPECT_EQ(leser.getOption(QStringLiteral("remember")), QStringLiteral("0"));
    EXPECT_EQ(leser.getOption(QStringLiteral("maximize")), QStringLiteral("1"));
    EXPECT_EQ(Optionen::futterListe(leser.getOption(QStringLiteral("futter"))), schreiber.werte.futter);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("options.ini")});
}

TEST_F(OptionenTest, FehlgeschlagenesSpeichernLaesstDieAlteDateiStehen)
{
    // nobody may write the file but not the folder, and then the folder but
    // not the file: both refuse with code 5 and leave the old file as it was.
    const QByteArray alt = "maximize=1\r\n";
    const QString ordner = dir.path() + QStringLiteral("/gesperrt");
    ASSERT_TRUE(QDir().mkdir(ordner));
    TOptionen::setVerz(ordner);
    dateiSchreiben(Optionen::pfad(), alt);
    const QByteArray ordnerName = QFile::encodeName(ordner);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const auto versuch = [] {
        try {
            Optionen::speichern({});
        } catch (const EInOutError &e) {
            return e.code();
        }
        return 0;
    };

    ASSERT_EQ(::chmod(QFile::encodeName(Optionen::pfad()).constData(), 0666), 0);
    ASSERT_EQ(::chmod(ordnerName.constData(), 0555), 0);
    EXPECT_EQ(alsNobody(versuch), 5);
    EXPECT_EQ(dateiLesen(Optionen::pfad()), alt);

    ASSERT_EQ(::chmod(QFile::encodeName(Optionen::pfad()).constData(), 0444), 0);
    ASSERT_EQ(::chmod(ordnerName.constData(), 0777), 0);
    EXPECT_EQ(alsNobody(versuch), 5);
    EXPECT_EQ(dateiLesen(Optionen::pfad()), alt);
    EXPECT_EQ(QDir(ordner).entryList(QDir::Files), QStringList{QStringLiteral("options.ini")});
}

TEST_F(OptionenTest, GrosseBinaereOderFremdeDateienStoerenNicht)
{
    // Beyond the first MiB nothing is read, and the line cut there is dropped.
    QByteArray gross = "remember=1\r\nfutter=";
    gross.append(QByteArray(3 << 20, 'x'));
    gross.append("\r\nmaximize=1\r\n");
    TOptionen o;
    ladeDatei(o, gross);
    EXPECT_EQ(o.getOption(QStringLiteral("remember")), QStringLiteral("1"));
    EXPECT_EQ(o.getOption(QStringLiteral("futter")), QString());
    EXPECT_EQ(o.getOption(QStringLiteral("maximize")), QString());

    QByteArray binaer;
    for (int i = 0; i < 4096; ++i)
        binaer.append(char((i * 7919) & 0xFF));
    ladeDatei(o, "maximize=1\r\n" + binaer);
    EXPECT_EQ(o.getOption(QStringLiteral("maximize")), QStringLiteral("1"));
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());

    // A folder or a pipe of that name is a file that cannot be read; the pipe must not block.
    QFile::remove(datei());
    ASSERT_EQ(::mkfifo(QFile::encodeName(datei()).constData(), 0600), 0);
    DialogTest::naechsteAntwort(mbOK);
    o.OptionenLoad();
    QFile::remove(datei());
    ASSERT_TRUE(QDir().mkdir(datei()));
    DialogTest::naechsteAntwort(mbOK);
    o.OptionenLoad();
    EXPECT_EQ(DialogTest::protokoll(), (QStringList{NichtGefunden, NichtGefunden}));
    EXPECT_EQ(o.getOption(QStringLiteral("maximize")), QString());
}
