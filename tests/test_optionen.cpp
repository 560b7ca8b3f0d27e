#include "settings/Optionen.h"
#include "settings/ui/TOptionen.h"

#include "Fenster.h"
#include "Hilfen.h"
#include "data/Cp1252.h"
#include "data/Fehler.h"
#include "toolkit/Dialoge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString NichtGefunden = QStringLiteral("Fehler|Optionsdatei \"options.ini\" nicht gefunden");

class OptionenTest : public DialogTestBasis {
protected:
    void SetUp() override
    {
        DialogTestBasis::SetUp();
        ASSERT_TRUE(dir.isValid());
        Optionen::setVerzeichnis(dir.path());
    }

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
    // options.ini in the folder, whether the folder is given with a final slash or not.
    for (const QString &ordner : {dir.path(), dir.path() + u'/'}) {
        Optionen::setVerzeichnis(ordner);
        EXPECT_EQ(QDir::cleanPath(Optionen::pfad()), dir.filePath(QStringLiteral("options.ini")));
    }
}

TEST_F(OptionenTest, DialogZeigtDieDateiUndSchreibtGenauSechsZeilen)
{
    dateiSchreiben(datei(), "autoload=1\r\nfile=/home/\xE4/mysnakes.vix\r\nremember=0\r\nmaximize=1\r\n"
                            "futter=M\xE4use||K\xFCken\r\n");
    TOptionen dlg;
    dlg.FormActivate();
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());
    EXPECT_TRUE(dlg.CheckBox1->isChecked());
    EXPECT_TRUE(dlg.Edit1->isEnabled());
    EXPECT_TRUE(dlg.Button1->isEnabled());
    EXPECT_FALSE(dlg.CheckBox2->isChecked());
    EXPECT_TRUE(dlg.CheckBox3->isChecked());
    EXPECT_EQ(dlg.Edit1->text(), QStringLiteral("/home/ä/mysnakes.vix"));
    EXPECT_EQ(dlg.futterZeilen(), (QStringList{QStringLiteral("Mäuse"), QString(), QStringLiteral("Küken")}));

    // Automatic load off keeps the path, greyed; the check after load on.
    dlg.CheckBox1->click();
    EXPECT_FALSE(dlg.Edit1->isEnabled());
    EXPECT_FALSE(dlg.Button1->isEnabled());
    dlg.CheckBox2->click();
    dlg.OptionenSave();
    EXPECT_EQ(dateiLesen(datei()), QByteArray("[Options]\r\n"
                                              "autoload=0\r\n"
                                              "file=/home/\xE4/mysnakes.vix\r\n"
                                              "remember=1\r\n"
                                              "maximize=1\r\n"
                                              "futter=M\xE4use||K\xFCken\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("options.ini")});
}

TEST_F(OptionenTest, FehlgeschlagenesSpeichernLaesstDieAlteDateiStehen)
{
    // nobody may write the file but not the folder: it is rewritten in place.
    // Then the folder but not the file: refused as access denied, the old file kept.
    const QByteArray alt = "maximize=1\r\n";
    const QString ordner = dir.path() + QStringLiteral("/gesperrt");
    ASSERT_TRUE(QDir().mkdir(ordner));
    Optionen::setVerzeichnis(ordner);
    dateiSchreiben(Optionen::pfad(), alt);
    const QByteArray ordnerName = QFile::encodeName(ordner);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const auto versuch = [] { return code([] { Optionen::speichern({}); }); };

    ASSERT_EQ(::chmod(QFile::encodeName(Optionen::pfad()).constData(), 0666), 0);
    ASSERT_EQ(::chmod(ordnerName.constData(), 0555), 0);
    EXPECT_EQ(alsNobody(versuch), 0);
    EXPECT_EQ(dateiLesen(Optionen::pfad()), Optionen::schreiben({}));
    dateiSchreiben(Optionen::pfad(), alt);

    ASSERT_EQ(::chmod(QFile::encodeName(Optionen::pfad()).constData(), 0444), 0);
    ASSERT_EQ(::chmod(ordnerName.constData(), 0777), 0);
    EXPECT_EQ(alsNobody(versuch), EInOutError::ZugriffVerweigert);
    EXPECT_EQ(dateiLesen(Optionen::pfad()), alt);
    EXPECT_EQ(QDir(ordner).entryList(QDir::Files), QStringList{QStringLiteral("options.ini")});
}

TEST_F(OptionenTest, FehlendeGrosseBinaereOderFremdeDateienStoerenNicht)
{
    // Beyond the first MiB nothing is read, and the line cut there is dropped: said.
    QByteArray gross = "remember=1\r\nfutter=";
    gross.append(QByteArray(3 << 20, 'x'));
    gross.append("\r\nmaximize=1\r\n");
    TOptionen o;
    DialogTest::naechsteAntwort(mbOK);
    ladeDatei(o, gross);
    EXPECT_TRUE(o.geladen().remember);
    EXPECT_TRUE(o.geladen().futter.isEmpty());
    EXPECT_FALSE(o.geladen().maximize);
    EXPECT_EQ(DialogTest::protokoll(), QStringList{OptionenZuGross});
    DialogTest::zuruecksetzen();

    QByteArray binaer;
    for (int i = 0; i < 4096; ++i)
        binaer.append(char((i * 7919) & 0xFF));
    ladeDatei(o, "maximize=1\r\n" + binaer);
    EXPECT_TRUE(o.geladen().maximize);
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());

    // No file is reported and empties the table; so is a folder or a pipe of
    // that name, a file that cannot be read; the pipe must not block.
    QFile::remove(datei());
    DialogTest::naechsteAntwort(mbOK);
    o.OptionenLoad();
    EXPECT_FALSE(o.geladen().maximize);
    EXPECT_TRUE(o.geladen().futter.isEmpty());
    ASSERT_EQ(::mkfifo(QFile::encodeName(datei()).constData(), 0600), 0);
    DialogTest::naechsteAntwort(mbOK);
    o.OptionenLoad();
    QFile::remove(datei());
    ASSERT_TRUE(QDir().mkdir(datei()));
    DialogTest::naechsteAntwort(mbOK);
    o.OptionenLoad();
    EXPECT_EQ(DialogTest::protokoll(), (QStringList{NichtGefunden, NichtGefunden, NichtGefunden}));
    EXPECT_FALSE(o.geladen().maximize);
}

TEST_F(OptionenTest, FutterlisteHinzufuegenVerschiebenLoeschen)
{
    dateiSchreiben(datei(), "futter=\r\n");
    TOptionen dlg;
    dlg.FormActivate();
    using L = QStringList;
    EXPECT_EQ(dlg.futterZeilen(), L{QString()});

    dlg.ok1->click(); // nothing typed: nothing added
    EXPECT_EQ(dlg.futterZeilen(), L{QString()});
    for (const char *neu : {"Maus", "Ratte", "Küken", "Heimchen"}) {
        dlg.futter1->setText(QString::fromUtf8(neu));
        dlg.ok1->click();
        EXPECT_TRUE(dlg.futter1->text().isEmpty());
    }
    // The first food took the empty row's place; each later one went on top.
    EXPECT_EQ(dlg.futterZeilen(), (L{"Heimchen", "Küken", "Ratte", "Maus"}));
    dlg.futter1->setText(QString(101, u'x'));
    EXPECT_EQ(dlg.futter1->text().size(), 100);
    dlg.futter1->clear();

    // Which move items the pop-up menu offers, by selected row.
    const struct {
        int zeile;
        bool oben, unten;
    } freigabe[] = {{0, false, true}, {1, true, true}, {3, true, false}};
    for (const auto &f : freigabe) {
        dlg.StringGrid1->setCurrentRow(f.zeile);
        menueOeffnen(dlg.StringGrid1, dlg.PopupMenu1);
        EXPECT_EQ(dlg.Nachoben1->isEnabled(), f.oben) << f.zeile;
        EXPECT_EQ(dlg.Nachunten1->isEnabled(), f.unten) << f.zeile;
        EXPECT_TRUE(dlg.Lschen1->isEnabled());
    }

    dlg.StringGrid1->setCurrentRow(2);
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Nachoben1);
    EXPECT_EQ(dlg.futterZeilen(), (L{"Heimchen", "Ratte", "Küken", "Maus"}));
    EXPECT_EQ(dlg.StringGrid1->currentRow(), 1);
    dlg.StringGrid1->setCurrentRow(2);
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Nachunten1);
    EXPECT_EQ(dlg.futterZeilen(), (L{"Heimchen", "Ratte", "Maus", "Küken"}));
    EXPECT_EQ(dlg.StringGrid1->currentRow(), 3);

    dlg.StringGrid1->setCurrentRow(1);
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Lschen1);
    EXPECT_EQ(dlg.futterZeilen(), (L{"Heimchen", "Maus", "Küken"}));
    EXPECT_EQ(dlg.StringGrid1->currentRow(), 1);
    dlg.StringGrid1->setCurrentRow(2);
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Lschen1); // the last row: the selection moves up to the new last one
    EXPECT_EQ(dlg.futterZeilen(), (L{"Heimchen", "Maus"}));
    EXPECT_EQ(dlg.StringGrid1->currentRow(), 1);
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Lschen1);
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Lschen1); // the only row is emptied, not removed
    EXPECT_EQ(dlg.futterZeilen(), L{QString()});
    imMenue(dlg.StringGrid1, dlg.PopupMenu1, dlg.Lschen1);
    EXPECT_EQ(dlg.futterZeilen(), L{QString()});

    dlg.OptionenSave();
    EXPECT_EQ(dateiLesen(datei()),
              QByteArray("[Options]\r\nautoload=0\r\nfile=\r\nremember=0\r\nmaximize=0\r\nfutter=\r\n"));
}

TEST_F(OptionenTest, OhneDateiEnterFuegtHinzuEscapeSchliesstNichtOkLegtDieDateiAn)
{
    const QString gewaehlt = dir.path() + QStringLiteral("/mysnakes.vix");
    const auto klick = [](QWidget *w, QPoint wo = {}) { QTest::mouseClick(w, Qt::LeftButton, {}, wo); };
    bool geschlossen = false;
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        EXPECT_EQ(DialogTest::protokoll(), QStringList{NichtGefunden});
        EXPECT_EQ(d->PageControl1->currentIndex(), 0);
        EXPECT_FALSE(d->CheckBox1->isChecked() || d->CheckBox2->isChecked() || d->CheckBox3->isChecked());
        EXPECT_FALSE(d->Edit1->isEnabled() || d->Button1->isEnabled());
        EXPECT_EQ(d->futterZeilen(), QStringList{QString()});
        QApplication::setActiveWindow(d);

        // A file chosen with "ändern...", then Enter on this page: nothing closes.
        klick(d->CheckBox1);
        DialogTest::naechsterDateiname(gewaehlt);
        klick(d->Button1);
        EXPECT_EQ(d->Edit1->text(), gewaehlt);
        // "ändern..." starts at the start-up file's folder, wherever the last file dialog was.
        d->OpenDialog1.verzeichnis = QDir::rootPath();
        DialogTest::naechsterDateiname(std::nullopt);
        klick(d->Button1);
        EXPECT_EQ(d->OpenDialog1.verzeichnis, QFileInfo(gewaehlt).absolutePath());
        EXPECT_EQ(d->Edit1->text(), gewaehlt);
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        QTest::keyClick(d->CheckBox2, Qt::Key_Enter);
        EXPECT_TRUE(d->isVisible());

        // Then to the foods with the mouse: Enter in the food field adds the food.
        QTabBar *reiter = d->PageControl1->tabBar();
        klick(reiter, reiter->tabRect(1).center());
        ASSERT_EQ(d->PageControl1->currentIndex(), 1);
        klick(d->futter1);
        QTest::keyClicks(d->futter1, QStringLiteral("Maus"));
        QTest::keyClick(d->futter1, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->futterZeilen(), QStringList{QStringLiteral("Maus")});
        EXPECT_TRUE(d->futter1->text().isEmpty());

        // A "|" would split the food in two at the next start: refused, the text kept to correct.
        QTest::keyClicks(d->futter1, QStringLiteral("Ratte|Maus"));
        QTest::keyClick(d->futter1, Qt::Key_Return);
        EXPECT_EQ(DialogTest::protokoll().last(),
                  QStringLiteral("Fehler|Eine Futterart darf keinen senkrechten Strich \"|\" enthalten."));
        EXPECT_EQ(d->futterZeilen(), QStringList{QStringLiteral("Maus")});
        EXPECT_EQ(d->futter1->text(), QStringLiteral("Ratte|Maus"));
        QTest::keyClick(d->futter1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(d->futter1, Qt::Key_Backspace);

        QTest::keyClick(d->StringGrid1, Qt::Key_Escape);
        QTest::keyClick(d->StringGrid1, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->futterZeilen(), QStringList{QStringLiteral("Maus")});
        // Only the food's own button is the default; none turns into one on focus.
        for (QPushButton *b : d->findChildren<QPushButton *>()) {
            EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
            EXPECT_EQ(b->isDefault(), b == d->ok1) << b->objectName().toStdString();
        }
        EXPECT_FALSE(QFile::exists(datei()));
        klick(d->Button2);
        geschlossen = !d->isVisible();
    });
    TOptionen dlg;
    EXPECT_EQ(Modal(&dlg), QDialog::Accepted);
    EXPECT_TRUE(geschlossen);
    EXPECT_EQ(dateiLesen(datei()), "[Options]\r\nautoload=1\r\nfile=" + QFile::encodeName(gewaehlt) +
                                       "\r\nremember=0\r\nmaximize=0\r\nfutter=Maus\r\n");
}

TEST_F(OptionenTest, WasDieDateiNichtHaltenKannWirdGesagt)
{
    // Windows-1252 has "ó" but neither "Ł" nor "ź" nor "ś". A path that would be
    // written otherwise is refused; a food is stored with "?" after one notice.
    const QString polnisch = dir.path() + QStringLiteral("/Łódź/mysnakes.vix");
    const QString deutsch = dir.path() + QStringLiteral("/Köln/mysnakes.vix");
    DialogTest::naechsteAntwort(mbOK); // no settings file yet
    int offenNachPfad = -1;
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        QApplication::setActiveWindow(d);
        QTest::mouseClick(d->CheckBox1, Qt::LeftButton);
        QTest::mouseClick(d->Edit1, Qt::LeftButton);
        tippen(d->Edit1, polnisch);
        QTabBar *reiter = d->PageControl1->tabBar();
        QTest::mouseClick(reiter, Qt::LeftButton, {}, reiter->tabRect(1).center());
        QTest::mouseClick(d->futter1, Qt::LeftButton);
        for (const QString &futter : {QStringLiteral("Łosoś"), QStringLiteral("Maus"), QStringLiteral("Śledź")}) {
            tippen(d->futter1, futter);
            QTest::keyClick(d->futter1, Qt::Key_Return);
        }
        QTest::mouseClick(d->Button2, Qt::LeftButton);
        offenNachPfad = d->isVisible() && d->PageControl1->currentIndex() == 0 && d->Edit1->hasFocus();
        EXPECT_FALSE(QFile::exists(datei())) << "nothing written";

        QTest::keyClick(d->Edit1, Qt::Key_A, Qt::ControlModifier);
        tippen(d->Edit1, deutsch);
        DialogTest::naechsteAntwort(mbOK);
        QTest::mouseClick(d->Button2, Qt::LeftButton);
    });
    TOptionen dlg;
    EXPECT_EQ(Modal(&dlg), QDialog::Accepted);
    EXPECT_EQ(offenNachPfad, 1);
    EXPECT_EQ(DialogTest::protokoll(),
              (QStringList{NichtGefunden,
                           "Fehler|Der Pfad \"" + polnisch +
                               "\" kann in der Optionsdatei nicht gespeichert werden, sie kann diese Zeichen nicht "
                               "aufnehmen: \"Ł\", \"ź\".\nBitte wähle eine Datei, deren Pfad ohne sie auskommt.",
                           "Warnung|Die Optionsdatei kann diese Zeichen der Futterarten nicht speichern: \"Ś\", "
                           "\"ź\", \"Ł\", \"ś\".\nSie werden als \"?\" gespeichert."}));
    EXPECT_EQ(dateiLesen(datei()), "[Options]\r\nautoload=1\r\nfile=" + Cp1252::encode(deutsch) +
                                       "\r\nremember=0\r\nmaximize=0\r\nfutter=?led?|Maus|?oso?\r\n");
    EXPECT_EQ(Optionen::nichtSpeicherbar(QStringLiteral("a\r\nb\x1A🐍")),
              (QStringList{QStringLiteral("🐍"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\x1A")}));
}

TEST_F(OptionenTest, OkMitFehlschlagendemSchreibenBleibtOffen)
{
    Optionen::setVerzeichnis(dir.path() + QStringLiteral("/fehlt"));
    bool offen = false;
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        d->CheckBox3->click();
        d->Edit1->setText(QStringLiteral("/x/y.vix"));
        d->Button2->click();
        offen = d->isVisible() && d->CheckBox3->isChecked() && d->Edit1->text() == u"/x/y.vix";
        d->Button3->click();
    });
    TOptionen dlg;
    EXPECT_EQ(Modal(&dlg), QDialog::Rejected);
    EXPECT_TRUE(offen);
    const QStringList gesagt = DialogTest::protokoll();
    ASSERT_EQ(gesagt.size(), 2);
    EXPECT_EQ(gesagt[0], NichtGefunden);
    EXPECT_EQ(gesagt[1], QStringLiteral("Bericht|Datei nicht gefunden."));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(OptionenTest, OkSchreibtNieUeberWasNichtGelesenWurde)
{
    // 110,000 foods: more than the reader takes. "OK" leaves the file as it is,
    // the dialog open; once the file is small again, "OK" writes.
    QStringList futter;
    for (int i = 0; i < 110000; ++i)
        futter << QStringLiteral("Futter %1").arg(i);
    const QByteArray gross =
        "[Options]\r\nautoload=0\r\nfile=\r\nremember=0\r\nmaximize=0\r\nfutter=" + futter.join(u'|').toLatin1() +
        "\r\n";
    ASSERT_GT(gross.size(), 1 << 20);
    dateiSchreiben(datei(), gross);
    bool offen = false;
    DialogTest::naechsteAntwort(mbOK);
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        auto *maximiert = d->findChild<QCheckBox *>(QStringLiteral("CheckBox3"));
        auto *ok = d->findChild<QPushButton *>(QStringLiteral("Button2"));
        ASSERT_NE(maximiert, nullptr);
        ASSERT_NE(ok, nullptr);
        QTest::mouseClick(maximiert, Qt::LeftButton);
        DialogTest::naechsteAntwort(mbOK);
        QTest::mouseClick(ok, Qt::LeftButton);
        offen = d->isVisible();
        d->findChild<QPushButton *>(QStringLiteral("Button3"))->click();
    });
    TOptionen dlg;
    EXPECT_EQ(Modal(&dlg), QDialog::Rejected);
    EXPECT_TRUE(offen);
    EXPECT_EQ(DialogTest::protokoll(), (QStringList{OptionenZuGross, OptionenZuGross}));
    EXPECT_TRUE(dateiLesen(datei()) == gross) << "the file is kept byte for byte";
    DialogTest::zuruecksetzen();

    dateiSchreiben(datei(), "maximize=0\r\n");
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        QTest::mouseClick(d->findChild<QCheckBox *>(QStringLiteral("CheckBox3")), Qt::LeftButton);
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
    });
    TOptionen wieder;
    EXPECT_EQ(Modal(&wieder), QDialog::Accepted);
    EXPECT_TRUE(dateiLesen(datei()).contains("maximize=1\r\n"));
    EXPECT_TRUE(DialogTest::protokoll().isEmpty());
}

namespace {
class OptionenFensterTest : public FensterTest {};
} // namespace

TEST_F(OptionenFensterTest, AbbrechenSchreibtNichtsOkGibtDemHauptfensterDieNeueListe)
{
    optionen({"[Options]", "autoload=0", "file=", "remember=0", "maximize=0", "futter=Maus|Ratte"});
    TVivarix &f = starten();
    f.futter1->setEditText(QStringLiteral("Grille")); // typed, not yet added
    const QByteArray vorher = dateiLesen(pfad("options.ini"));

    for (const bool schliessfeld : {false, true}) {
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *d = static_cast<TOptionen *>(w);
            d->StringGrid1->setCurrentRow(0);
            imMenue(d->StringGrid1, d->PopupMenu1, d->Lschen1);
            d->CheckBox3->click();
            if (schliessfeld)
                d->close();
            else
                d->Button3->click();
        });
        ausloesen(f.Optionen1);
        EXPECT_EQ(dateiLesen(pfad("options.ini")), vorher);
        EXPECT_EQ(futterAuswahl(f), (QStringList{"Maus", "Ratte"}));
    }

    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        d->StringGrid1->setCurrentRow(0);
        imMenue(d->StringGrid1, d->PopupMenu1, d->Lschen1);
        d->futter1->setText(QStringLiteral("Heimchen"));
        d->ok1->click();
        d->Button2->click();
    });
    ausloesen(f.Optionen1);
    EXPECT_EQ(futterAuswahl(f), (QStringList{"Heimchen", "Ratte"}));
    EXPECT_EQ(f.futter1->currentText(), QStringLiteral("Grille"));
    EXPECT_TRUE(gesagt().isEmpty());
}
