// A food list of 100,000 foods with a screen reader listening: the food box of
// the main window and the list of the options dialog still show, complete and
// add exactly what they did with a handful. And a list too long for the
// settings file is refused before it is written, never lost later.
#include "Fenster.h"
#include "Hilfen.h"

#include "data/Fehler.h"
#include "settings/Optionen.h"
#include "settings/ui/TOptionen.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

long gefragt = 0;

// A screen reader asks every object it is told about for its name, value and children.
void leser(QAccessibleEvent *e)
{
    if (QAccessibleInterface *i = e->accessibleInterface()) {
        gefragt += i->childCount();
        gefragt += i->text(QAccessible::Name).size() + i->text(QAccessible::Value).size();
    }
}

void bildschirmleser(bool an)
{
    QAccessible::installUpdateHandler(an ? leser : nullptr);
    if (QPlatformAccessibility *a = QGuiApplicationPrivate::platformIntegration()->accessibility())
        a->setActive(an);
}

class FutterlisteTest : public FensterTest {
protected:
    // Types `anfang` of "Heimchen" into the focused food box: completed from
    // the list (in any case), and Enter adds the whole food as the first
    // feeding and empties the box.
    static void heimchenTippen(TVivarix &f, const char *anfang)
    {
        QTest::keyClicks(f.futter1->lineEdit(), anfang);
        EXPECT_EQ(f.futter1->currentText().toLower(), "heimchen");
        QTest::keyClick(f.futter1->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(f.StringGrid1->Cells(1, 1).toLower(), "heimchen");
        EXPECT_EQ(f.futter1->currentText(), QString());
    }
    void TearDown() override
    {
        bildschirmleser(false);
        FensterTest::TearDown();
    }
};

} // namespace

TEST_F(FutterlisteTest, HunderttausendFutterartenMitBildschirmleser)
{
    QStringList viele;
    for (int i = 0; i < 99999; ++i)
        viele << QStringLiteral("F%1").arg(i);
    viele << QStringLiteral("Heimchen");
    datei("d.vix", {schlange("Kaa")});
    optionen(
        {"[Options]", "autoload=1", "file=" + pfad("d.vix"), "remember=0", "maximize=0", "futter=" + viele.join(u'|')});

    bildschirmleser(true);
    ASSERT_TRUE(QAccessible::isActive());
    TVivarix &f = starten(true);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_GT(gefragt, 0) << "the reader heard nothing";
    EXPECT_EQ(futterAuswahl(f), viele);
    EXPECT_EQ(f.futter1->currentText(), QString());

    // A food from the list, added with the button: the input empties, the list stays.
    f.futter1->setEditText(QStringLiteral("F4711"));
    ASSERT_TRUE(f.ok1->isEnabled());
    f.ok1->click();
    EXPECT_EQ(f.StringGrid1->Cells(0, 1), "07.12.26");
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "F4711");
    EXPECT_EQ(f.futter1->currentText(), QString());
    EXPECT_EQ(futterAuswahl(f), viele);

    // The options dialog: one food added at the top, the row selected before stays
    // selected, OK writes the list and the window takes it, keeping what is typed.
    f.futter1->setEditText(QStringLiteral("Grille"));
    QStringList imDialog;
    int zeile = -1;
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        EXPECT_EQ(d->futterZeilen(), viele);
        d->StringGrid1->setCurrentRow(3);
        d->futter1->setText(QStringLiteral("Ratte"));
        d->ok1->click();
        imDialog = d->futterZeilen();
        zeile = d->StringGrid1->currentRow();
        d->Button2->click();
    });
    ausloesen(f.Optionen1);
    const QStringList neu = QStringList{QStringLiteral("Ratte")} + viele;
    EXPECT_EQ(imDialog, neu);
    EXPECT_EQ(zeile, 3);
    EXPECT_EQ(Optionen::futterListe(Optionen::wert(Optionen::lesen(dateiLesen(pfad("options.ini"))), "futter")), neu);
    EXPECT_EQ(futterAuswahl(f), neu);
    EXPECT_EQ(f.futter1->currentText(), "Grille");
    EXPECT_TRUE(gesagt().isEmpty());

    // Typed in part: completed from the list (in any case), and Enter adds the whole food.
    f.futter1->setEditText(QString());
    QApplication::setActiveWindow(&f);
    f.futter1->setFocus();
    if (!f.futter1->hasFocus())
        GTEST_SKIP() << "no keyboard focus on this platform";
    heimchenTippen(f, "heim");
    EXPECT_EQ(f.StringGrid1->Cells(1, 2), "F4711");
    EXPECT_EQ(futterAuswahl(f), neu);
}

// The food box completes what the keeper types right after the start, as the
// box completes by itself (in any case, inline, and Enter adds the whole
// food): given the focus at once, before the window's first paint has run
// its course, and once the window was painted, with no key pressed before.
TEST_F(FutterlisteTest, VervollstaendigtGleichNachDemStart)
{
    for (const bool gemalt : {false, true}) {
        SCOPED_TRACE(gemalt ? "painted" : "at once");
        TVivarix &f = geladen("s.vix", {schlange("Kaa")}, {"futter=Maus|Heimchen|Ratte"});
        f.show();
        QApplication::setActiveWindow(&f);
        if (gemalt) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
            // The completion knows the foods before any key.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return f.futter1->completer() && f.futter1->completer()->model() == f.futter1->model(); }, 2000));
        }
        f.futter1->setFocus();
        if (!f.futter1->hasFocus())
            GTEST_SKIP() << "no keyboard focus on this platform";
        heimchenTippen(f, "HEI");
        w.reset();
    }
}

TEST_F(FutterlisteTest, NeueFutterartObenDieLeereZeileFaelltWeg)
{
    // The dialog's list as it was, and after adding "Neu" with the given row selected.
    const struct {
        QString futter;
        int zeile;
        QStringList danach;
    } faelle[] = {
        {"", 0, {"Neu"}},                            // the placeholder row of an empty list goes
        {"Maus|Ratte", 1, {"Neu", "Maus", "Ratte"}}, // the row index stays, not the food
        {"Maus|Ratte|Grille", 2, {"Neu", "Maus", "Ratte", "Grille"}},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.futter.toStdString());
        optionen({"[Options]", "futter=" + fall.futter});
        Optionen::setVerzeichnis(ordner.path());
        TOptionen d;
        d.show();
        d.StringGrid1->setCurrentRow(fall.zeile);
        d.futter1->setText(QStringLiteral("Neu"));
        d.ok1->click();
        EXPECT_EQ(d.futterZeilen(), fall.danach);
        EXPECT_EQ(d.StringGrid1->currentRow(), fall.zeile);
        EXPECT_EQ(d.futter1->text(), QString());
    }
}

TEST_F(FutterlisteTest, ZuLangeFutterlisteWirdAbgelehntStattSpaeterVerloren)
{
    // The six lines without a food: 11 + 12 + 7 + 12 + 12 + 9 bytes. The file may
    // be as long as the reader takes, 1 MiB, and no longer.
    const int kopf = 63, grenze = 1 << 20;
    optionen({"[Options]", "futter=Maus"});
    Optionen::setVerzeichnis(ordner.path());
    const QByteArray alt = dateiLesen(pfad("options.ini"));
    for (const int laenge : {grenze - kopf + 1, grenze - kopf}) {
        SCOPED_TRACE(laenge);
        Optionen::Werte w;
        w.futter = QStringList{QString(laenge, u'x')};
        QString meldung;
        try {
            Optionen::speichern(w);
        } catch (const EVivarix &e) {
            meldung = e.message();
        }
        if (laenge > grenze - kopf) {
            EXPECT_EQ(meldung, "Die Futterliste ist zu lang: Die Optionsdatei darf höchstens 1024 KB groß werden, "
                               "sie wäre 1025 KB groß");
            EXPECT_EQ(dateiLesen(pfad("options.ini")), alt);
        } else {
            EXPECT_EQ(meldung, QString());
            EXPECT_EQ(dateiLesen(pfad("options.ini")).size(), grenze);
            Optionen::Werte gelesen;
            ASSERT_TRUE(Optionen::laden(gelesen));
            EXPECT_EQ(gelesen.futter, w.futter);
        }
    }
    EXPECT_EQ(QDir(ordner.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"options.ini"});

    // In the dialog: OK reports it and stays open with the list.
    dateiSchreiben(pfad("options.ini"), alt);
    bool offen = false;
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *d = static_cast<TOptionen *>(w);
        for (int i = 0; i < 10500; ++i) { // 10,500 foods of 100 characters: over 1 MiB
            d->futter1->setText(QString(100, u'y'));
            d->ok1->click();
        }
        d->Button2->click();
        offen = d->isVisible() && d->StringGrid1->count() == 10501;
        d->Button3->click();
    });
    TOptionen dlg;
    Modal(&dlg);
    EXPECT_TRUE(offen);
    const QStringList g = DialogTest::protokoll();
    ASSERT_EQ(g.size(), 1);
    EXPECT_TRUE(g[0].startsWith("Bericht|Die Futterliste ist zu lang: ")) << g[0].toStdString();
    EXPECT_EQ(dateiLesen(pfad("options.ini")), alt);
}
