// The snake's picture on the card: every failure told the same way, relative
// paths, and the picture chooser of the master data dialog.
#include "Fenster.h"
#include "Hilfen.h"
#include "JpegKodieren.h"
#include "app/TDateneingabe.h"
#include "data/Datendatei.h"
#include "toolkit/TWertLabel.h"
#include "bild/Bild.h"
#include "bild/Libjpeg.h"
#include "bild/Metadatei.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

QString meldung(const QString &pfad)
{
    return "Fehler|Das Bild \"" + pfad + "\" konnte nicht geladen werden.\nBitte überprüfe deine Einstellungen!";
}

QImage standard()
{
    return QPixmap::fromImage(Bild::standardBild()).toImage();
}

// A 64 × 64 JPEG in one colour.
QByteArray jpeg(QColor farbe)
{
    return rgbJpeg(64, 64, farbe);
}

class BildFenster : public FensterTest {
protected:
    void SetUp() override
    {
        FensterTest::SetUp();
        vorher = QDir::currentPath();
    }
    void TearDown() override
    {
        QDir::setCurrent(vorher);
        FensterTest::TearDown();
    }
    QString vorher;
};

TEST_F(BildFenster, JederFehlerGehtDurchMeldungUndKarte)
{
    const QByteArray gut = jpeg(QColor(200, 40, 30));
    QByteArray bombe = gut;
    const qsizetype sof = bombe.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    bombe[sof + 5] = bombe[sof + 6] = bombe[sof + 7] = bombe[sof + 8] = char(0xEA); // 60,138 × 60,138
    dateiSchreiben(pfad("gut.jpg"), gut);
    dateiSchreiben(pfad("abgeschnitten.jpg"), gut.left(gut.size() / 2));
    dateiSchreiben(pfad("leer.jpg"), {});
    dateiSchreiben(pfad("text.jpg"), "Das ist kein Bild.\n");
    dateiSchreiben(pfad("bombe.jpg"), bombe);
    ASSERT_TRUE(QDir(ordner.path()).mkdir("ordner.bmp"));
    dateiSchreiben(pfad("bild.png"), gut); // a kind the card does not offer
    // Named as pictures: a file that never ends though the system gives its size
    // as 0, an endless device, a named pipe. Each is told at once.
    ASSERT_EQ(::symlink("/proc/self/pagemap", QFile::encodeName(pfad("pagemap.emf")).constData()), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(pfad("null.jpg")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.wmf")).constData(), 0600), 0);

    const QStringList kaputt = {pfad("abgeschnitten.jpg"), pfad("leer.jpg"),  pfad("text.jpg"), pfad("bombe.jpg"),
                                pfad("ordner.bmp"),        pfad("fehlt.jpg"), pfad("bild.png"), pfad("pagemap.emf"),
                                pfad("null.jpg"),          pfad("rohr.wmf")};
    // A good picture before each bad one: the card must never keep it.
    TSchlangen schlangen;
    for (int i = 0; i < kaputt.size(); ++i) {
        TSchlange s = schlange(QStringLiteral("Gut %1").arg(i));
        s.setBild(pfad("gut.jpg"));
        schlangen.push_back(s);
        TSchlange k = schlange(QStringLiteral("Kaputt %1").arg(i), i + 1);
        k.setBild(kaputt[i]);
        schlangen.push_back(k);
    }
    // Without a picture, and one whose kind is named in capitals.
    QImage rot(10, 20, QImage::Format_RGB32);
    rot.fill(Qt::red);
    ASSERT_TRUE(rot.save(pfad("rot.BMP"), "BMP"));
    schlangen.push_back(schlange("Ohne"));
    schlangen.push_back(schlange("Rot"));
    schlangen.back().setBild(pfad("rot.BMP"));
    TVivarix &f = geladen("bilder.vix", schlangen);
    EXPECT_TRUE(gesagt().isEmpty());

    for (int i = 0; i < kaputt.size(); ++i) {
        SCOPED_TRACE(kaputt[i].toStdString());
        f.Upd(2 * i);
        EXPECT_EQ(f.Image1->pixmap().size(), QSize(64, 64));
        f.Upd(2 * i + 1);
        EXPECT_EQ(gesagt(), QStringList{meldung(kaputt[i])});
        EXPECT_EQ(f.Image1->pixmap().toImage(), standard());
        EXPECT_EQ(f.name->text(), QStringLiteral("Kaputt %1").arg(i)) << "the rest of the card is shown";
        EXPECT_EQ(f.StringGrid1->RowCount(), i + 2);
        EXPECT_EQ(f.Bilddatei, kaputt[i]);
        EXPECT_FALSE(f.Geaendert);
    }
    f.Upd(2 * int(kaputt.size()));
    EXPECT_EQ(f.Image1->pixmap().toImage(), standard());
    f.Upd(2 * int(kaputt.size()) + 1);
    EXPECT_EQ(f.Image1->pixmap().size(), QSize(10, 20)) << "drawn at its own size";
    EXPECT_TRUE(gesagt().isEmpty());

    // Through "Ändern...": the message, the default picture, and the path is
    // stored in the record all the same, so labels and record agree.
    f.Upd(0);
    stammdaten(QStringLiteral("Gut 0"), QStringLiteral("Python"), pfad("text.jpg"));
    ASSERT_TRUE(f.Button1->isEnabled());
    f.Button1->click();
    EXPECT_EQ(gesagt(), QStringList{meldung(pfad("text.jpg"))});
    EXPECT_EQ(f.Image1->pixmap().toImage(), standard());
    EXPECT_EQ(f.Schlangen[0].bild(), pfad("text.jpg"));
    EXPECT_TRUE(f.Geaendert);

    // A new snake with a damaged picture: it gets its tab and record first.
    stammdaten(QStringLiteral("Neu"), {}, pfad("leer.jpg"));
    ausloesen(f.NeueSchlange1);
    EXPECT_EQ(gesagt(), QStringList{meldung(pfad("leer.jpg"))});
    EXPECT_EQ(f.TabControl1->count(), int(schlangen.size()) + 1);
    EXPECT_EQ(f.TabControl1->currentIndex(), int(schlangen.size()));
    EXPECT_EQ(f.Schlangen.back().name(), "Neu");
    EXPECT_EQ(f.Schlangen.back().bild(), pfad("leer.jpg"));
    EXPECT_EQ(f.Image1->pixmap().toImage(), standard());
}

TEST_F(BildFenster, OhneLibjpegMeldungUndStandardbild)
{
    dateiSchreiben(pfad("rot.jpg"), jpeg(Qt::red));
    TSchlange s = schlange("Kaa");
    s.setBild(pfad("rot.jpg"));
    datei("ohne.vix", {s});
    optionen({"autoload=1", "file=" + pfad("ohne.vix")});
    const QString gebaut = Libjpeg::bibliothek();
    Libjpeg::bibliothekSetzen(pfad("fehlt/libjpeg.so.62"));
    TVivarix &f = starten();
    Libjpeg::bibliothekSetzen(gebaut);
    EXPECT_EQ(gesagt(), QStringList{meldung(pfad("rot.jpg"))});
    EXPECT_EQ(f.Image1->pixmap().toImage(), standard());
    EXPECT_EQ(f.name->text(), "Kaa");
}

TEST_F(BildFenster, RelativerPfadZuerstNebenDerDatendatei)
{
    QDir d(ordner.path());
    ASSERT_TRUE(d.mkpath("sammlung/bilder") && d.mkpath("anderswo/bilder"));
    ASSERT_TRUE(QImage(10, 20, QImage::Format_RGB32).save(pfad("sammlung/bilder/kaa.bmp"), "BMP"));
    ASSERT_TRUE(QImage(30, 40, QImage::Format_RGB32).save(pfad("anderswo/bilder/kaa.bmp"), "BMP"));
    ASSERT_TRUE(QImage(50, 60, QImage::Format_RGB32).save(pfad("anderswo/bilder/nur-hier.bmp"), "BMP"));
    TSchlange a = schlange("A"), b = schlange("B"), c = schlange("C");
    a.setBild(QStringLiteral("bilder/kaa.bmp"));
    b.setBild(QStringLiteral("bilder/nur-hier.bmp"));
    c.setBild(QStringLiteral("bilder/nirgends.bmp"));
    Datendatei::speichern(pfad("sammlung/mysnakes.vix"), {a, b, c});
    ASSERT_TRUE(QDir::setCurrent(pfad("anderswo")));
    optionen({"[Options]", "autoload=0"});

    TVivarix &f = starten();
    EXPECT_TRUE(gesagt().isEmpty());
    DialogTest::naechsterDateiname(pfad("sammlung/mysnakes.vix"));
    ausloesen(f.Laden1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(f.Image1->pixmap().size(), QSize(10, 20)) << "the first snake, shown while loading, finds its picture";
    f.Upd(1);
    EXPECT_EQ(f.Image1->pixmap().size(), QSize(50, 60)) << "below the current directory";
    f.Upd(2);
    EXPECT_EQ(gesagt(), QStringList{meldung("bilder/nirgends.bmp")}) << "the stored path, as the keeper typed it";
    EXPECT_EQ(f.Bilddatei, "bilder/nirgends.bmp");
}

TEST_F(BildFenster, SpeichernUnterFuehrtDieBildpfadeMitOderSagtWerSeinBildVerliert)
{
    QDir d(ordner.path());
    ASSERT_TRUE(d.mkpath("sammlung/tief/Bilder_meiner_Schlangen_2026") && d.mkpath("usb/weit/weg") &&
                d.mkpath("anderswo"));
    ASSERT_TRUE(
        QImage(10, 20, QImage::Format_RGB32).save(pfad("sammlung/tief/Bilder_meiner_Schlangen_2026/kaa_mai.bmp")));
    ASSERT_TRUE(QImage(30, 40, QImage::Format_RGB32).save(pfad("sammlung/tief/b.bmp")));
    const QString absolutA = pfad("sammlung/tief/Bilder_meiner_Schlangen_2026/kaa_mai.bmp");
    const QString absolutB = pfad("sammlung/tief/b.bmp");
    ASSERT_GT(absolutA.size(), TSchlange::BildKap) << "only a relative path reaches it";
    ASSERT_LE(absolutB.size(), TSchlange::BildKap) << "the whole path fits";
    TSchlange a = schlange("A"), b = schlange("B"), c = schlange("C");
    a.setBild(QStringLiteral("Bilder_meiner_Schlangen_2026/kaa_mai.bmp"));
    b.setBild(QStringLiteral("b.bmp"));
    c.setBild(QStringLiteral("gibtsnicht.bmp")); // reached nothing before: left as it is
    Datendatei::speichern(pfad("sammlung/tief/alt.vix"), {a, b, c});
    ASSERT_TRUE(QDir::setCurrent(pfad("anderswo")));
    optionen({"[Options]", "autoload=0"});
    const auto bilder = [&](const QString &datei) {
        TSchlangen s;
        Datendatei::laden(datei, s);
        return QStringList{s[0].bild(), s[1].bild(), s[2].bild()};
    };

    TVivarix &f = starten();
    DialogTest::naechsterDateiname(pfad("sammlung/tief/alt.vix"));
    ausloesen(f.findChild<QAction *>("Laden1"));
    // One folder up: the paths are restated below it, or whole where that fits.
    const QString neuB = absolutB;
    DialogTest::naechsterDateiname(pfad("sammlung/neu.vix"));
    ausloesen(f.findChild<QAction *>("SpeichernUnter1"));
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(bilder(pfad("sammlung/neu.vix")),
              (QStringList{"tief/Bilder_meiner_Schlangen_2026/kaa_mai.bmp", neuB, "gibtsnicht.bmp"}));

    // The next start finds both pictures from the new file.
    TVivarix &g = starten();
    DialogTest::naechsterDateiname(pfad("sammlung/neu.vix"));
    ausloesen(g.findChild<QAction *>("Laden1"));
    const auto *image1 = g.findChild<QLabel *>("Image1");
    EXPECT_EQ(image1->pixmap().size(), QSize(10, 20));
    g.Upd(1);
    EXPECT_EQ(image1->pixmap().size(), QSize(30, 40));
    EXPECT_TRUE(gesagt().isEmpty());

    // Far away no path of 50 characters reaches A's picture: the keeper is told
    // before anything is written, and may stop.
    const QString frage = QStringLiteral("Warnung|Vom neuen Ordner aus ist kein Pfad von höchstens 50 Zeichen zum "
                                         "Bild dieser Schlangen möglich; sie verlieren ihr Bild: „A“.\nTrotzdem "
                                         "speichern?");
    g.Upd(0);
    DialogTest::naechsterDateiname(pfad("usb/weit/weg/x.vix"));
    DialogTest::naechsteAntwort(mbAbbrechen);
    ausloesen(g.findChild<QAction *>("SpeichernUnter1"));
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_FALSE(QFileInfo::exists(pfad("usb/weit/weg/x.vix")));
    EXPECT_EQ(g.Schlangen[1].bild(), neuB);
    DialogTest::naechsterDateiname(pfad("usb/weit/weg/x.vix"));
    DialogTest::naechsteAntwort(mbJa);
    ausloesen(g.findChild<QAction *>("SpeichernUnter1"));
    EXPECT_EQ(gesagt(), QStringList{frage});
    const QStringList weg = bilder(pfad("usb/weit/weg/x.vix"));
    EXPECT_EQ(weg, (QStringList{"tief/Bilder_meiner_Schlangen_2026/kaa_mai.bmp", absolutB, "gibtsnicht.bmp"}));
}

TEST_F(BildFenster, WaehlerStartetBeimBildOderImBilderordner)
{
    QDir d(ordner.path());
    const QString tief = "sammlung/" + QString(30, u'b') + "/" + QString(20, u'c');
    ASSERT_TRUE(d.mkpath(tief) && d.mkpath("bilder") && d.mkpath("ausserhalb") && d.mkpath("Fotos") &&
                d.mkpath("Dokumente") && d.mkpath("konfig"));
    const QByteArray vorher[] = {qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_PICTURES_DIR"), qgetenv("XDG_DOCUMENTS_DIR")};
    qputenv("XDG_CONFIG_HOME", pfad("konfig").toLocal8Bit());
    qputenv("XDG_PICTURES_DIR", pfad("Fotos").toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", pfad("Dokumente").toLocal8Bit());
    const QString datendatei = pfad("sammlung/mysnakes.vix");
    dateiSchreiben(pfad("bilder/kaa.jpg"), jpeg(Qt::red));
    ASSERT_TRUE(QDir::setCurrent(pfad("ausserhalb")));

    TDateneingabe dlg(nullptr);
    auto startOrdner = [&](const QString &bild, const QString &daten) {
        dlg.Edit4->setText(bild);
        dlg.Datendatei = daten;
        DialogTest::naechsterDateiname(std::nullopt);
        dlg.Button1->click();
        EXPECT_EQ(dlg.Edit4->text(), bild) << "cancelled: the field keeps its text";
        return dlg.OpenPictureDialog1.verzeichnis;
    };
    EXPECT_EQ(startOrdner(pfad("bilder/kaa.jpg"), datendatei), pfad("bilder"));
    EXPECT_EQ(dlg.OpenPictureDialog1.vorschlag, "kaa.jpg");
    EXPECT_EQ(startOrdner(pfad("bilder/weg.jpg"), datendatei), pfad("bilder")) << "its folder is still there";
    // Else the keeper's pictures folder, never the folder the program runs in.
    EXPECT_EQ(startOrdner(pfad("nichtda/weg.jpg"), datendatei), pfad("Fotos"));
    EXPECT_EQ(startOrdner(QString(), datendatei), pfad("Fotos"));
    EXPECT_EQ(startOrdner(QString(), QString()), pfad("Fotos"));
    dateiSchreiben(pfad("konfig/user-dirs.dirs"), "XDG_PICTURES_DIR=\"" + pfad("bilder").toUtf8() + "\"\n");
    EXPECT_EQ(startOrdner(QString(), QString()), pfad("bilder")) << "the keeper's own setting comes first";
    qputenv("XDG_PICTURES_DIR", pfad("weg").toLocal8Bit());
    dateiSchreiben(pfad("konfig/user-dirs.dirs"), "");
    const QString qtBilder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(qtBilder).isDir() || QDir(qtBilder) == QDir::home())
        EXPECT_EQ(startOrdner(QString(), QString()), pfad("Dokumente")) << "no pictures folder: the documents";
    const char *namen[] = {"XDG_CONFIG_HOME", "XDG_PICTURES_DIR", "XDG_DOCUMENTS_DIR"};
    for (int i = 0; i < 3; ++i)
        vorher[i].isEmpty() ? qunsetenv(namen[i]) : qputenv(namen[i], vorher[i]);

    // The chooser lists exactly the kinds the card shows.
    EXPECT_EQ(dlg.OpenPictureDialog1.muster, "*.jpg *.jpeg *.bmp *.ico *.emf *.wmf");

    // A path too long for the record, in or below the data file's folder, is
    // kept relative to it when that fits; otherwise it is refused as before.
    dlg.Datendatei = datendatei;
    struct Fall {
        QString gewaehlt, gespeichert;
    };
    const QString passt = QString(25, u'p') + "/kaa.jpg", zuLang = QString(45, u'z') + "/kaa.jpg";
    const QString draussen = pfad(QString(45, u'd') + "/kaa.jpg");
    ASSERT_TRUE(d.mkpath("sammlung/" + QString(25, u'p')) && d.mkpath("sammlung/" + QString(45, u'z')));
    ASSERT_GT(pfad("sammlung/" + passt).size(), 50);
    ASSERT_LE(passt.size(), 50);
    ASSERT_GT(zuLang.size(), 50);
    const Fall faelle[] = {
        {pfad("sammlung/" + passt), passt},
        {pfad("sammlung/" + zuLang), QString()},
        {draussen, QString()},
        {pfad("bilder/kaa.jpg").size() <= 50 ? pfad("bilder/kaa.jpg") : QString(), pfad("bilder/kaa.jpg")},
    };
    for (const Fall &f : faelle) {
        if (f.gewaehlt.isEmpty())
            continue; // a temporary folder too deep for the short case
        SCOPED_TRACE(f.gewaehlt.toStdString());
        dlg.Edit4->setText(QStringLiteral("vorher.jpg"));
        DialogTest::zuruecksetzen();
        DialogTest::nieBlockieren(true);
        DialogTest::naechsterDateiname(f.gewaehlt);
        dlg.Button1->click();
        if (f.gespeichert.isEmpty()) {
            EXPECT_EQ(dlg.Edit4->text(), "vorher.jpg");
            EXPECT_EQ(
                DialogTest::protokoll(),
                QStringList{QStringLiteral("Fehler|Der Pfad der Bilddatei ist %1 Zeichen lang; gespeichert werden "
                                           "können höchstens 50 Zeichen. Bitte wähle eine Datei mit kürzerem "
                                           "Pfad.")
                                .arg(f.gewaehlt.size())});
        } else {
            EXPECT_EQ(dlg.Edit4->text(), f.gespeichert);
            EXPECT_TRUE(DialogTest::protokoll().isEmpty());
        }
    }
}

// A helper that notes each start in "laeufe" and goes on only once the file
// "tor" exists: to the real helper, or to a crash.
QString torHelfer(const QString &ordner, const QString &name, bool absturz)
{
    const QString skript = QDir(ordner).filePath(name);
    const QString weiter = absturz ? QStringLiteral("kill -SEGV $$")
                                   : QStringLiteral("exec '%1' \"$@\"").arg(QStringLiteral(VIVARIX_BILDHELFER));
    dateiSchreiben(skript, QStringLiteral("#!/bin/sh\necho x >> '%1/laeufe'\nwhile [ ! -e '%1/tor' ]; do sleep "
                                          "0.01; done\n%2\n")
                               .arg(ordner, weiter)
                               .toUtf8());
    EXPECT_TRUE(QFile::setPermissions(skript, QFile::ReadOwner | QFile::ExeOwner));
    return skript;
}

TEST_F(BildFenster, MetadateiStehtDieKarteNieAufUndWirdEinmalGewandelt)
{
    // Two pictures of different content (the same content is converted once).
    const QString korpus = QStringLiteral(VIVARIX_SOURCE_DIR "/fuzz/korpus/bild_wmf/");
    ASSERT_TRUE(QFile::copy(korpus + "rechteck.wmf", pfad("a.wmf")));
    ASSERT_TRUE(QFile::copy(korpus + "zwei.wmf", pfad("b.wmf")));
    TSchlange a = schlange("A"), b = schlange("B"), c = schlange("C");
    a.setBild(pfad("a.wmf"));
    b.setBild(pfad("gut.jpg"));
    c.setBild(pfad("b.wmf"));
    dateiSchreiben(pfad("gut.jpg"), jpeg(Qt::green));
    datei("meta.vix", {a, b, c});
    optionen({"autoload=1", "file=" + pfad("meta.vix")});
    QDir(ordner.path()).mkdir("langsam");
    QDir(ordner.path()).mkdir("absturz");
    const QString vorher = Metadatei::helfer();
    Metadatei::helferSetzen(torHelfer(pfad("langsam"), "helfer.sh", false));
    Metadatei::Wandlungen::alle().vergessen();
    QCoreApplication::processEvents(); // what earlier conversions still had to tell
    QSignalSpy fertig(&Metadatei::Wandlungen::alle(), &Metadatei::Wandlungen::fertig);

    // The conversion takes longer than the window waits: the card is shown at
    // once with the default picture and the hint, and nothing is told.
    TVivarix &f = starten(true);
    // The default picture with the hint across its foot, which screen readers hear too.
    auto laedt = [&] {
        const QImage jetzt = f.Image1->pixmap().toImage();
        return f.Image1->accessibleDescription() == "wird geladen…" && jetzt.size() == standard().size() &&
               jetzt != standard() && jetzt.copy(0, 0, 120, 100) == standard().copy(0, 0, 120, 100);
    };
    EXPECT_EQ(f.name->text(), "A");
    EXPECT_TRUE(laedt());
    EXPECT_TRUE(gesagt().isEmpty());

    // Once it is done, the card swaps the picture in by itself.
    dateiSchreiben(pfad("langsam/tor"), {});
    ASSERT_TRUE(fertig.wait(10000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(laedt());
    EXPECT_NE(f.Image1->pixmap().toImage(), standard());
    EXPECT_TRUE(gesagt().isEmpty());

    // Shown again: the kept result, at once, without another conversion.
    const QImage gezeichnet = f.Image1->pixmap().toImage();
    reiterKlicken(f, 1);
    reiterKlicken(f, 0);
    EXPECT_EQ(f.Image1->pixmap().toImage(), gezeichnet);
    EXPECT_FALSE(laedt());
    EXPECT_EQ(dateiLesen(pfad("langsam/laeufe")).count('\n'), 1);

    // A helper that crashes: the picture is damaged, told once when the crash
    // comes, and again only when the snake is shown again, from the kept result.
    Metadatei::helferSetzen(torHelfer(pfad("absturz"), "helfer.sh", true));
    fertig.clear();
    reiterKlicken(f, 2);
    EXPECT_TRUE(laedt());
    EXPECT_TRUE(gesagt().isEmpty());
    dateiSchreiben(pfad("absturz/tor"), {});
    ASSERT_TRUE(fertig.wait(10000));
    QCoreApplication::processEvents();
    fertig.wait(200); // anything late would come now
    EXPECT_EQ(gesagt(), QStringList{meldung(pfad("b.wmf"))});
    EXPECT_FALSE(laedt());
    EXPECT_EQ(f.Image1->pixmap().toImage(), standard());
    reiterKlicken(f, 0);
    reiterKlicken(f, 2);
    EXPECT_EQ(gesagt(), QStringList{meldung(pfad("b.wmf"))});
    EXPECT_EQ(dateiLesen(pfad("absturz/laeufe")).count('\n'), 1);

    Metadatei::helferSetzen(vorher);
    Metadatei::Wandlungen::alle().vergessen();
}

TEST_F(BildFenster, VorschauDesWaehlersLiestNurBilddateien)
{
    // The chooser's preview reads through the same loader as the card: a file
    // that never ends, a named pipe and an endless device show nothing, at once.
    dateiSchreiben(pfad("gut.jpg"), jpeg(Qt::red));
    ASSERT_EQ(::symlink("/proc/self/pagemap", QFile::encodeName(pfad("pagemap.emf")).constData()), 0);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(pfad("null.bmp")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.jpg")).constData(), 0600), 0);
    DateiDialog d;
    d.filterName = QStringLiteral("Bilder");
    d.muster = QStringLiteral("*.jpg *.bmp *.emf");
    d.vorschau = true;
    d.verzeichnis = ordner.path();
    QStringList gezeigt;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        auto *vorschau = dlg->findChild<QLabel *>("vorschau");
        ASSERT_NE(vorschau, nullptr);
        QAbstractItemView *liste = dlg->findChild<QAbstractItemView *>("treeView");
        if (!liste || !liste->isVisible())
            liste = dlg->findChild<QAbstractItemView *>("listView");
        ASSERT_NE(liste, nullptr);
        const QAbstractItemModel *m = liste->model();
        (void)QTest::qWaitFor([&] { return m->rowCount(liste->rootIndex()) >= 2; }, 5000);
        // A good picture before each other one: the preview must never keep it.
        // The dialog may not list a pipe or a device at all; then it cannot be chosen.
        for (const QString name : {"gut.jpg", "rohr.jpg", "gut.jpg", "pagemap.emf", "gut.jpg", "null.bmp"}) {
            bool gelistet = false;
            for (int r = 0; r < m->rowCount(liste->rootIndex()); ++r) {
                const QModelIndex i = m->index(r, 0, liste->rootIndex());
                if (i.data().toString() == name) {
                    gelistet = true;
                    liste->scrollTo(i);
                    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualRect(i).center());
                }
            }
            if (gelistet)
                gezeigt << name + (vorschau->pixmap().isNull() ? ": nichts" : ": Bild");
            else if (name == "pagemap.emf" || name == "gut.jpg")
                gezeigt << name + ": nicht gelistet";
        }
        dlg->reject();
    });
    DialogTest::nieBlockieren(false); // the real dialog, answered by the timer above
    EXPECT_EQ(d.oeffnen(nullptr), std::nullopt);
    for (const QString &g : gezeigt)
        EXPECT_EQ(g, g.startsWith("gut.jpg") ? "gut.jpg: Bild" : g.section(u':', 0, 0) + ": nichts");
    EXPECT_TRUE(gezeigt.contains("pagemap.emf: nichts")) << gezeigt.join(", ").toStdString();
    EXPECT_TRUE(gezeigt.contains("gut.jpg: Bild")) << gezeigt.join(", ").toStdString();
}

} // namespace
