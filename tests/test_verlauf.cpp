// Undo and redo on the real window, with the keys a keeper presses.
#include "Fenster.h"

#include "app/TFutterEdit.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

class VerlaufTest : public FensterTest {
protected:
    template <class T = QWidget>
    T *teil(const char *name)
    {
        T *t = w->findChild<T *>(QLatin1String(name));
        EXPECT_TRUE(t) << name;
        return t;
    }
    // The window shown and active, with the keys in `feld`; false where the platform gives no focus.
    bool fokus(QWidget *feld)
    {
        w->show();
        QApplication::setActiveWindow(w.get());
        feld->setFocus();
        return feld->hasFocus();
    }
    void taste(Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier)
    {
        QApplication::setActiveWindow(w.get()); // a dialog may have been active in between
        QWidget *z = QApplication::focusWidget();
        QTest::keyClick(z ? z : w.get(), k, m);
    }
    void eintragen(const char *feld, const char *knopf, const QString &text)
    {
        auto *kombi = w->findChild<QComboBox *>(QLatin1String(feld));
        QLineEdit *e = kombi ? kombi->lineEdit() : teil<QLineEdit>(feld);
        e->setFocus();
        tippen(e, text);
        QTest::mouseClick(teil(knopf), Qt::LeftButton);
    }
    void zeile(const char *gitter, int r, const char *befehl)
    {
        auto *g = teil<TStringGrid>(gitter);
        QApplication::setActiveWindow(w.get());
        g->setFocus();
        g->setRow(r);
        imMenue(g, teil<QMenu>("PopupMenu1"), teil<QAction>(befehl));
    }
    QByteArray sammlung() const { return bytesVon(w->Schlangen); }
    bool stern() { return teil<TWertLabel>("dateiFeld")->text().endsWith(" *"); }
};

TEST_F(VerlaufTest, JedeAenderungGehtZurueckUndWieder)
{
    geladen("start.vix", {bunt(1, 4, 3), bunt(2, 2, 2)});
    if (!fokus(teil("StringGrid1")))
        GTEST_SKIP() << "no keyboard focus on this platform";
    // The master data dialog confirmed with a genus and picture of snake `von`.
    const auto karte = [&](const QString &gattung, int von) {
        const TSchlange &s = w->Schlangen[size_t(w->TabControl1->currentIndex())];
        stammdaten(s.name(), gattung, w->Schlangen[size_t(von)].bild(), QString::number(s.tage()));
        QTest::mouseClick(teil("Button1"), Qt::LeftButton);
    };
    struct Fall {
        const char *schritt; // the step as "Rückgängig" names it
        int zurueck, wieder; // the snake that undo and redo show
        const char *gitter;  // the journal whose row they select
        int zeileVorher, zeileNachher;
        std::function<void()> tun;
    };
    const std::vector<Fall> faelle{
        {"Fütterung hinzufügen", 0, 0, "StringGrid1", 1, 1, [&] { eintragen("futter1", "ok1", "Maus"); }},
        {"Bemerkung hinzufügen", 0, 0, "StringGrid2", 1, 1, [&] { eintragen("futter2", "ok2", "Häutung"); }},
        {"Fütterung verschieben", 0, 0, "StringGrid1", 4, 3, [&] { zeile("StringGrid1", 4, "NachOben1"); }},
        {"Bemerkung verschieben", 0, 0, "StringGrid2", 1, 2, [&] { zeile("StringGrid2", 1, "NachUnten1"); }},
        {"Bemerkung ändern", 0, 0, "StringGrid2", 3, 3,
         [&] {
             DialogTest::naechsterDialog([](QWidget *d) {
                 static_cast<TFutterEdit *>(d)->futter1->setText("Häutung, ganz");
                 static_cast<TFutterEdit *>(d)->Button2->click();
             });
             zeile("StringGrid2", 3, "ndern1");
         }},
        {"Fütterung löschen", 0, 0, "StringGrid1", 5, 4, [&] { zeile("StringGrid1", 5, "Lschen1"); }},
        {"Stammdaten ändern", 1, 1, nullptr, 0, 0,
         [&] {
             reiterKlicken(*w, 1);
             karte("Python regius", 1);
         }},
        {"Bild ändern", 1, 1, nullptr, 0, 0, [&] { karte("Python regius", 0); }},
        {"Schlange „Nagini“ anlegen", 1, 2, nullptr, 0, 0,
         [&] {
             stammdaten("Nagini");
             ausloesen(teil<QAction>("NeueSchlange1"));
         }},
        {"Schlange „Kaa && 1“ löschen", 0, 0, nullptr, 0, 0,
         [&] {
             reiterKlicken(*w, 0);
             DialogTest::naechsteAntwort(mbJa);
             ausloesen(teil<QAction>("Schlangelschen1"));
         }},
    };
    QAction *rueck = teil<QAction>("Rueckgaengig1"), *vor = teil<QAction>("Wiederholen1");
    EXPECT_FALSE(rueck->isEnabled());
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.schritt);
        const QByteArray vorher = sammlung();
        f.tun();
        const QByteArray nachher = sammlung();
        ASSERT_NE(vorher, nachher);
        EXPECT_EQ(rueck->text(), QStringLiteral("&Rückgängig: ") + QString::fromUtf8(f.schritt));
        // Another snake on show before each key: the step shows its own.
        const auto gezeigt = [&](int schlange, int zeile) {
            EXPECT_EQ(w->TabControl1->currentIndex(), schlange);
            EXPECT_EQ(angezeigt(*w), gespeichert(w->Schlangen[size_t(schlange)]));
            if (f.gitter) {
                EXPECT_EQ(teil<TStringGrid>(f.gitter)->Row(), zeile);
            }
        };
        reiterKlicken(*w, f.zurueck == 1 ? 0 : 1);
        taste(Qt::Key_Z);
        EXPECT_EQ(sammlung(), vorher);
        gezeigt(f.zurueck, f.zeileVorher);
        EXPECT_EQ(vor->text(), QStringLiteral("&Wiederholen: ") + QString::fromUtf8(f.schritt));
        reiterKlicken(*w, f.wieder == 1 ? 0 : 1);
        taste(Qt::Key_Y);
        EXPECT_EQ(sammlung(), nachher);
        gezeigt(f.wieder, f.zeileNachher);
        taste(Qt::Key_Z);
        taste(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(sammlung(), nachher) << "Strg+Umschalt+Z redoes too";
        EXPECT_FALSE(vor->isEnabled());
    }
    EXPECT_EQ(gesagt(), QStringList{"Warnung|\"Kaa & 1\" wirklich löschen?"});
}

TEST_F(VerlaufTest, SternAmGespeichertenStandTippenZuerstHundertSchritte)
{
    const TSchlangen start{schlange("Kaa", 2)};
    geladen("start.vix", start);
    auto *futter2 = teil<QLineEdit>("futter2");
    if (!fokus(futter2))
        GTEST_SKIP() << "no keyboard focus on this platform";
    eintragen("futter2", "ok2", "eins");
    ausloesen(teil<QAction>("Speichern1"));
    const QByteArray gespeichert = sammlung();
    eintragen("futter2", "ok2", "zwei");
    EXPECT_TRUE(stern());
    // The field's own typing goes first, then the collection's step.
    QTest::keyClicks(futter2, "drei");
    taste(Qt::Key_Z);
    EXPECT_EQ(futter2->text(), "");
    EXPECT_EQ(w->Schlangen[0].bemerkung(0), "zwei");
    taste(Qt::Key_Z);
    EXPECT_EQ(sammlung(), gespeichert);
    EXPECT_FALSE(w->Geaendert);
    EXPECT_FALSE(stern()) << "back at the saved state";
    EXPECT_EQ(futter2->text(), "") << "the cleared input gives back no text";
    taste(Qt::Key_Z);
    EXPECT_TRUE(stern());
    EXPECT_TRUE(w->Schlangen[0] == start[0]);
    teil("StringGrid2")->setFocus(); // in the field, Strg+Y would first bring back its typing
    taste(Qt::Key_Y);
    EXPECT_FALSE(stern());
    taste(Qt::Key_Y);
    EXPECT_TRUE(stern());

    // Deleting the only snake goes back too; "Laden..." then starts without history.
    DialogTest::naechsteAntwort(mbJa);
    ausloesen(teil<QAction>("Schlangelschen1"));
    EXPECT_EQ(w->TabControl1->count(), 0);
    ausloesen(teil<QAction>("Rueckgaengig1"));
    EXPECT_EQ(w->TabControl1->count(), 1);
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(pfad("start.vix"));
    ausloesen(teil<QAction>("Laden1"));
    EXPECT_FALSE(teil<QAction>("Rueckgaengig1")->isEnabled());
    EXPECT_FALSE(teil<QAction>("Wiederholen1")->isEnabled());

    // At most 100 steps: the oldest goes first, and its change stays.
    for (int i = 0; i < 101; ++i)
        eintragen("futter2", "ok2", QString::number(i));
    EXPECT_EQ(w->findChild<QUndoStack *>()->count(), 100);
    while (teil<QAction>("Rueckgaengig1")->isEnabled())
        teil<QAction>("Rueckgaengig1")->trigger();
    EXPECT_EQ(w->Schlangen[0].bemerkAnzahl(), 2) << "\"eins\" from the file, \"0\" kept";
    EXPECT_EQ(w->Schlangen[0].bemerkung(0), "0");
}
