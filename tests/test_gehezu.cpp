// "Gehe zu Schlange...": finding a snake among a thousand by typing, arrows and Enter.
#include "Fenster.h"

#include "app/TGeheZu.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

class GeheZuTest : public FensterTest {
protected:
    // A thousand snakes "Schlange 0" ... "Schlange 999", two of them with umlauts.
    TVivarix &tausend()
    {
        TSchlangen s;
        for (int i = 0; i < 1000; ++i)
            s.push_back(schlange(QStringLiteral("Schlange %1").arg(i)));
        s[500].setName(QStringLiteral("Äskulapnatter"));
        s[700].setName(QStringLiteral("Kornnatter Ölfleck"));
        datei("s.vix", s);
        optionen({"[Options]", "autoload=1", "file=" + pfad("s.vix")});
        return starten(true);
    }
    // Runs the command and hands the finder to `f` once it is shown.
    void finden(TVivarix &w, const std::function<void(TGeheZu &)> &f)
    {
        bool gezeigt = false;
        DialogTest::naechsterDialog([&](QWidget *dlg) {
            auto *g = qobject_cast<TGeheZu *>(dlg);
            ASSERT_NE(g, nullptr);
            gezeigt = true;
            QApplication::setActiveWindow(g);
            f(*g);
        });
        ausloesen(w.GeheZu1);
        EXPECT_TRUE(gezeigt);
    }
    static QStringList treffer(const TGeheZu &g)
    {
        QStringList l;
        for (int r = 0; r < g.liste->model()->rowCount(); ++r)
            l << g.liste->model()->index(r, 0).data().toString();
        return l;
    }
};

TEST_F(GeheZuTest, TippenPfeileUndEnterZeigenDieSchlange)
{
    TVivarix &w = tausend();
    EXPECT_EQ(w.GeheZu1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    EXPECT_EQ(w.GeheZu1->text(), "&Gehe zu Schlange...");
    finden(w, [](TGeheZu &g) {
        EXPECT_EQ(g.windowTitle(), "Gehe zu Schlange");
        EXPECT_TRUE(g.suche->hasFocus());
        EXPECT_EQ(g.liste->model()->rowCount(), 1000);
        EXPECT_EQ(g.liste->currentIndex().row(), 0) << "the snake on show is selected";
        QTest::keyClicks(g.suche, "ge 99");
        // "Schlange 99", "Schlange 990" ... "Schlange 999", in tab order.
        ASSERT_EQ(treffer(g).size(), 11);
        EXPECT_EQ(treffer(g).front(), "Schlange 99");
        EXPECT_EQ(g.Label2->text(), "11 Schlangen");
        QTest::keyClick(g.suche, Qt::Key_Down);
        QTest::keyClick(g.suche, Qt::Key_Down);
        QTest::keyClick(g.suche, Qt::Key_Up);
        EXPECT_EQ(g.liste->currentIndex().data().toString(), "Schlange 990");
        QTest::keyClick(g.suche, Qt::Key_Return);
    });
    EXPECT_EQ(w.TabControl1->currentIndex(), 990);
    EXPECT_EQ(w.name->text(), "Schlange 990");
    EXPECT_FALSE(w.Geaendert) << "showing a snake changes nothing";

    // Case and umlauts as typed; the snake on show is where the list starts.
    finden(w, [](TGeheZu &g) {
        EXPECT_EQ(g.liste->currentIndex().data().toString(), "Schlange 990");
        tippen(g.suche, "äS");
        EXPECT_EQ(treffer(g), QStringList{"Äskulapnatter"});
        QTest::keyClick(g.suche, Qt::Key_Backspace);
        QTest::keyClick(g.suche, Qt::Key_Backspace);
        tippen(g.suche, "ÖLF");
        EXPECT_EQ(treffer(g), QStringList{"Kornnatter Ölfleck"});
        QTest::keyClick(g.suche, Qt::Key_Backspace);
        QTest::keyClick(g.suche, Qt::Key_Backspace);
        QTest::keyClick(g.suche, Qt::Key_Backspace);
        QTest::keyClicks(g.suche, "oel");
        EXPECT_TRUE(treffer(g).isEmpty()) << "\"oe\" does not stand for \"ö\"";
        EXPECT_EQ(g.Label2->text(), "0 Schlangen");
        EXPECT_FALSE(g.Button2->isEnabled());
        QTest::keyClick(g.suche, Qt::Key_Return);
        EXPECT_TRUE(g.isVisible()) << "Enter without a hit chooses nothing";
        QTest::keyClick(g.suche, Qt::Key_Escape);
    });
    EXPECT_EQ(w.TabControl1->currentIndex(), 990) << "Escape goes nowhere";

    // Every control tells a screen reader what it is.
    TGeheZu g(&w, {"A"}, 0);
    for (QWidget *c : std::initializer_list<QWidget *>{g.suche, g.liste, g.Button2, g.Button3})
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
    EXPECT_EQ(g.suche->accessibleName(), "Name enthält");

    // Without snakes there is nothing to go to.
    ausloesen(w.Neu1);
    EXPECT_FALSE(w.GeheZu1->isEnabled());
}
