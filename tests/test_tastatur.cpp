// Using the program with the keyboard alone, and user text that must stay plain.
#include "Fenster.h"

#include "app/TDateneingabe.h"
#include "app/TFutterEdit.h"
#include "data/Fehler.h"
#include "settings/ui/TOptionen.h"
#include "toolkit/Fensterteile.h"
#include "toolkit/TStringGrid.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMenuBar>
#include <QSet>
#include <QTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

class TastaturTest : public FensterTest {
protected:
    TVivarix &offen(const TSchlangen &s)
    {
        TVivarix &f = geladen("start.vix", s, {"futter=Maus|Ratte"}, true);
        QApplication::setActiveWindow(&f);
        return f;
    }
};

TEST_F(TastaturTest, EnterAufAbbrechenBestaetigtNicht)
{
    for (int welcher = 0; welcher < 2; ++welcher) {
        bool ok = true;
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *dlg = static_cast<QDialog *>(w);
            auto *abbrechen = dlg->findChild<QPushButton *>("Button3");
            QApplication::setActiveWindow(dlg);
            abbrechen->setFocus();
            ASSERT_TRUE(abbrechen->hasFocus());
            QTest::keyClick(abbrechen, Qt::Key_Return);
            ok = welcher == 0 ? static_cast<TDateneingabe *>(w)->ok : static_cast<TFutterEdit *>(w)->ok;
        });
        if (welcher == 0) {
            TDateneingabe d(nullptr);
            d.Edit1->setText("Kaa");
            Modal(&d);
        } else {
            TFutterEdit d(nullptr, heute());
            d.futter1->setText("Maus");
            Modal(&d);
        }
        EXPECT_FALSE(ok) << (welcher == 0 ? "Stammdaten" : "Eingaben editieren");
    }
}

TEST_F(TastaturTest, AendernBehaeltEinLangesIntervallAusDerDatei)
{
    TVivarix &f = offen({schlange("Kaa", 0, 0, 1234), schlange("Minus", 0, 0, -100)});
    for (int i = 0; i < 2; ++i) {
        f.Upd(i);
        DialogTest::naechsterDialog([](QWidget *w) {
            auto *d = static_cast<TDateneingabe *>(w);
            d->Edit1->setText(d->Edit1->text() + " II");
            d->Button2->click();
        });
        f.Button1->click();
    }
    EXPECT_EQ(f.Schlangen[0].tage(), 1234);
    EXPECT_EQ(f.Schlangen[1].tage(), -100);
    EXPECT_EQ(f.Schlangen[1].name(), "Minus II");
}

TEST_F(TastaturTest, EnterAufEinemKnopfDruecktIhn)
{
    TVivarix &f = offen({schlange("Kaa")});
    f.Button1->setFocus();
    if (!f.Button1->hasFocus())
        GTEST_SKIP() << "no keyboard focus on this platform";
    bool geoeffnet = false;
    DialogTest::naechsterDialog([&](QWidget *w) {
        geoeffnet = true;
        static_cast<QDialog *>(w)->reject();
    });
    QTest::keyClick(f.Button1, Qt::Key_Return);
    EXPECT_TRUE(geoeffnet) << "Enter on \"Ändern...\" opens the master data dialog";
}

TEST_F(TastaturTest, PopupMenueOhneMaus)
{
    TVivarix &f = offen({schlange("Kaa", 3)});
    QSignalSpy spy(f.StringGrid1, &TStringGrid::menue);
    f.StringGrid1->setRow(2);
    // The menu itself opens modally; look at it and close it at once.
    QAction *aktiv = nullptr;
    QTimer::singleShot(0, [&] {
        aktiv = f.PopupMenu1->activeAction();
        f.PopupMenu1->close();
    });
    QTest::keyClick(f.StringGrid1, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(spy.count(), 1);
    const QPoint wo = f.StringGrid1->viewport()->mapFromGlobal(spy.at(0).at(0).toPoint());
    EXPECT_EQ(f.StringGrid1->indexAt(wo).row(), 1) << "at the selected row";
    EXPECT_TRUE(spy.at(0).at(1).toBool());
    EXPECT_EQ(aktiv, f.ndern1) << "the first item is highlighted, ready for the arrow keys";
}

TEST_F(TastaturTest, EnterLoeschtKeineSchlange)
{
    TVivarix &f = offen({schlange("Kaa"), schlange("Nagini")});
    // The real question, answered by a real Enter.
    DialogTest::nieBlockieren(false);
    QString frage;
    bool zu = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        frage = box->text();
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
        zu = !box->isVisible();
        if (!zu)
            box->done(0); // Enter did nothing: let the test go on and fail below
    });
    ausloesen(f.Schlangelschen1);
    DialogTest::nieBlockieren(true);
    EXPECT_EQ(frage, "\"Kaa\" wirklich löschen?");
    EXPECT_TRUE(zu) << "Enter answers the question";
    EXPECT_EQ(f.Schlangen.size(), 2u);
    EXPECT_FALSE(f.Geaendert);
}

TEST_F(TastaturTest, ZuLangerEintragStopptMitHinweis)
{
    TVivarix &f = offen({schlange("Kaa")});
    const QString lang = QString(99, u'x') + QStringLiteral("yz");
    for (QWidget *feld : {static_cast<QWidget *>(f.futter1), static_cast<QWidget *>(f.futter2)}) {
        f.statusBar()->clearMessage();
        QTest::keyClicks(feld, lang.left(100));
        EXPECT_TRUE(f.statusBar()->currentMessage().isEmpty()) << "what fits needs no word";
        QTest::keyClicks(feld, lang.mid(100));
        EXPECT_EQ(f.statusBar()->currentMessage(), "Hier passen höchstens 100 Zeichen hinein.");
    }
    EXPECT_EQ(f.futter1->currentText(), lang.left(100));
    EXPECT_EQ(f.futter2->text(), lang.left(100));
}

TEST_F(TastaturTest, JedesMenueUndJederEintragHatEinenEigenenBuchstaben)
{
    TVivarix &f = offen({schlange("Kaa")});
    TOptionen optionen;
    const QList<QMenu *> menues{
        f.Datei1, f.findChild<QMenu *>("Bearbeiten1"), f.Schlangen1, f.Hilfe1, f.PopupMenu1, optionen.PopupMenu1};
    const auto eindeutig = [](const QString &wo, const QList<QAction *> &eintraege) {
        QSet<QKeyCombination> vergeben;
        for (const QAction *a : eintraege) {
            if (a->isSeparator())
                continue;
            const QKeySequence taste = QKeySequence::mnemonic(a->text());
            EXPECT_FALSE(taste.isEmpty()) << wo.toStdString() << ": " << a->text().toStdString();
            EXPECT_FALSE(vergeben.contains(taste[0])) << wo.toStdString() << ": " << a->text().toStdString();
            vergeben.insert(taste[0]);
        }
    };
    eindeutig("hauptMenu", f.menuBar()->actions());
    for (QMenu *m : menues)
        eindeutig(m->objectName(), m->actions());
    // Only a letter is marked: the captions read as before.
    EXPECT_EQ(OhneKuerzel(f.Datei1->title()), "Datei");
    EXPECT_EQ(OhneKuerzel(f.menuBar()->actions().value(1)->text()), "Bearbeiten") << "between Datei and Verwaltung";
    EXPECT_EQ(OhneKuerzel(f.SpeichernUnter1->text()), "Speichern unter...");
    EXPECT_EQ(f.SpeichernUnter1->statusTip(), "Speichern unter");

    // Alt+D opens "Datei"; there L chooses "Laden...".
    datei("zwei.vix", {schlange("Zwei")});
    DialogTest::naechsterDateiname(pfad("zwei.vix"));
    QTest::keyClick(&f, Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(f.Datei1->isVisible());
    QTest::keyClick(f.Datei1, Qt::Key_L);
    EXPECT_FALSE(f.Datei1->isVisible());
    EXPECT_EQ(f.Schlangen[0].name(), "Zwei");
}

TEST_F(TastaturTest, ZellenTooltipsZeigenTextNichtMarkup)
{
    TVivarix &f = offen({schlange("Kaa")});
    f.futter1->setEditText("<b>fett</b> & <img src=x>");
    f.ok1->click();
    const QString tip = f.StringGrid1->model()->index(0, 1).data(Qt::ToolTipRole).toString();
    EXPECT_FALSE(tip.contains("<b>"));
    EXPECT_TRUE(tip.contains("&lt;b&gt;fett&lt;/b&gt; &amp; &lt;img src=x&gt;"));
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "<b>fett</b> & <img src=x>");
}

class Waechter : public DialogTestBasis {};

TEST_F(Waechter, AuchUnerwarteteFehlerWerdenGemeldet)
{
    EXPECT_FALSE(Bewacht(nullptr, [] { TSchlange().futter(201); }));
    EXPECT_FALSE(Bewacht(nullptr, [] { throw 42; }));
    EXPECT_EQ(DialogTest::protokoll().size(), 2);
    EXPECT_EQ(DialogTest::protokoll().last(), "Bericht|Unbekannter Fehler.");
}

TEST_F(Waechter, VerbindungenUndErstesZeigenLaufenHinterIhm)
{
    QDialog dlg;
    auto *feld = new QLineEdit(&dlg);
    auto *knopf = Knopf(&dlg, QStringLiteral("OK"), QStringLiteral("Button2"));
    QString getippt;
    int gezeigt = 0;
    int geklickt = 0;
    BewachtVerbinden(feld, &QLineEdit::textChanged, &dlg, [&](const QString &t) {
        getippt = t;
        throw std::runtime_error("getippt");
    });
    BewachtVerbinden(knopf, &QPushButton::clicked, &dlg, [&] { ++geklickt; });
    BeimErstenZeigen(&dlg, [&] {
        ++gezeigt;
        EXPECT_TRUE(dlg.isVisible());
        throw std::runtime_error("gezeigt");
    });
    dlg.show();
    dlg.hide();
    dlg.show();
    EXPECT_EQ(gezeigt, 1);
    QTest::keyClicks(feld, "a");
    EXPECT_EQ(getippt, "a");
    QTest::mouseClick(knopf, Qt::LeftButton);
    EXPECT_EQ(geklickt, 1);
    EXPECT_EQ(knopf->accessibleName(), "OK");
    EXPECT_EQ(DialogTest::protokoll().size(), 2); // both failures reported, none reached the event loop
}
