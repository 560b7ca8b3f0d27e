// The main window as it first appears: its commands before any menu was
// opened, its menus when they open, the style's pictures and the journals'
// painting.
#include "Fenster.h"

#include "app/Start.h"
#include "settings/ui/TOptionen.h"
#include "bild/Bild.h"
#include "toolkit/Fensterteile.h"
#include "toolkit/Stil.h"
#include "toolkit/TStringGrid.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTest>
#include <QToolButton>

namespace {
struct Eintrag {
    const char *text;  // the caption without its mnemonic
    const char *taste; // the shortcut as Qt writes it portably, else Alt and the caption's letter
};

// Every entry of the three menus in the order they show.
const std::vector<std::pair<const char *, std::vector<Eintrag>>> &alleMenues()
{
    static const std::vector<std::pair<const char *, std::vector<Eintrag>>> menues{
        {"Datei1",
         {{"Neu", "Alt+N"},
          {"Laden...", "Ctrl+L"},
          {"Speichern", "Ctrl+S"},
          {"Speichern unter...", "Alt+U"},
          {"Frühere Fassung öffnen...", "Alt+F"},
          {"", ""},
          {"Beenden", "Alt+B"}}},
        {"Schlangen1",
         {{"Neue Schlange anlegen...", "Ctrl+N"},
          {"Schlange löschen", "Ctrl+D"},
          {"Gehe zu Schlange...", "Ctrl+G"},
          {"", ""},
          {"Fress-Check...", "F2"},
          {"Fress-Termine...", "F3"},
          {"Fress-Parade...", "F4"},
          {"", ""},
          {"Optionen...", "Ctrl+O"}}},
        {"Hilfe1", {{"Hilfe...", "F1"}, {"Info...", "F10"}}},
    };
    return menues;
}

bool bildformatGeladen()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}
} // namespace

class ErstesBildTest : public FensterTest {
protected:
    TVivarix &offen(bool mitSammlung)
    {
        if (mitSammlung) {
            datei("s.vix", {schlange("Kaa", 2, 1), schlange("Nagini")});
            optionen({"autoload=1", "file=" + pfad("s.vix")});
        } else {
            optionen({"autoload=0"});
        }
        TVivarix &f = starten(true);
        QApplication::setActiveWindow(&f);
        return f;
    }

    // What an open menu shows of each entry: "caption|shortcut|enabled", as a screen reader gets it.
    static QStringList gezeigt(QMenu *m)
    {
        QStringList zeilen;
        QAccessibleInterface *menue = QAccessible::queryAccessibleInterface(m);
        for (int i = 0; menue && i < menue->childCount(); ++i) {
            QAccessibleInterface *e = menue->child(i);
            const QKeySequence taste(e->text(QAccessible::Accelerator), QKeySequence::NativeText);
            zeilen << QStringLiteral("%1|%2|%3")
                          .arg(e->text(QAccessible::Name), taste.toString(QKeySequence::PortableText))
                          .arg(e->state().disabled ? 0 : 1);
        }
        return zeilen;
    }
};

// Each shortcut runs its command on a window whose menus were never opened, and
// a disabled command's shortcut does nothing.
TEST_F(ErstesBildTest, KuerzelWirkenBevorEinMenueOffenWar)
{
    for (const bool mitSammlung : {true, false}) {
        SCOPED_TRACE(mitSammlung ? "with a collection" : "empty");
        TVivarix &f = offen(mitSammlung);
        for (QMenu *m : {f.Datei1, f.Schlangen1, f.Hilfe1})
            ASSERT_FALSE(m->isVisible());
        struct Fall {
            QKeyCombination taste;
            const char *aktion;
            const char *fenster; // the dialog it opens, if any
        };
        const Fall faelle[] = {
            {Qt::CTRL | Qt::Key_N, "NeueSchlange1", "TDateneingabe"},
            {Qt::CTRL | Qt::Key_G, "GeheZu1", "TGeheZu"},
            {QKeyCombination(Qt::Key_F2), "FressCheck1", "TAlarm"},
            {QKeyCombination(Qt::Key_F3), "FressTermine1", "TAlarm"},
            {QKeyCombination(Qt::Key_F4), "FressParade1", "TCharts"},
            {Qt::CTRL | Qt::Key_O, "Optionen1", "TOptionen"},
            {QKeyCombination(Qt::Key_F1), "Hilfe2", "THilfe"},
            {QKeyCombination(Qt::Key_F10), "ber1", "TInfo"},
            {Qt::CTRL | Qt::Key_L, "Laden1", nullptr},
            {Qt::CTRL | Qt::Key_S, "Speichern1", nullptr},
            {Qt::CTRL | Qt::Key_D, "Schlangelschen1", nullptr},
        };
        for (const Fall &fall : faelle) {
            SCOPED_TRACE(fall.aktion);
            auto *a = f.findChild<QAction *>(QLatin1String(fall.aktion));
            ASSERT_NE(a, nullptr);
            QSignalSpy ausgeloest(a, &QAction::triggered);
            QString geoeffnet;
            DialogTest::naechsterDialog(
                [&](QWidget *w) { geoeffnet = QString::fromLatin1(w->metaObject()->className()); });
            DialogTest::naechsterDateiname(std::nullopt); // "Laden..." is cancelled
            DialogTest::naechsteAntwort(mbAbbrechen);     // the snake stays
            QApplication::setActiveWindow(&f);            // back from the previous dialog
            QTest::keyClick(&f, fall.taste.key(), fall.taste.keyboardModifiers());
            EXPECT_EQ(ausgeloest.count(), a->isEnabled() ? 1 : 0);
            if (fall.fenster && a->isEnabled() && mitSammlung) {
                EXPECT_EQ(geoeffnet, QString::fromLatin1(fall.fenster));
            }
            DialogTest::zuruecksetzen(); // answers a disabled command left unused
            DialogTest::nieBlockieren(true);
        }
        EXPECT_EQ(f.Speichern1->isEnabled(), mitSammlung);
        if (mitSammlung) {
            EXPECT_EQ(f.Schlangen.size(), 2U) << "Strg+D was answered \"Abbrechen\"";
            EXPECT_FALSE(f.Geaendert) << "Strg+S saved";
        }
        w.reset();
    }
}

// A click on a menu's title and Alt with its letter open it with every entry,
// its caption, shortcut and state.
TEST_F(ErstesBildTest, MenuesZeigenBeimOeffnenJedenEintrag)
{
    for (const bool mitSammlung : {true, false}) {
        SCOPED_TRACE(mitSammlung ? "with a collection" : "empty");
        TVivarix &f = offen(mitSammlung);
        QMenuBar *leiste = f.menuBar();
        const char alt[] = {'D', 'V', '?'};
        int n = 0;
        for (const auto &[name, eintraege] : alleMenues()) {
            SCOPED_TRACE(name);
            auto *m = f.findChild<QMenu *>(QLatin1String(name));
            ASSERT_NE(m, nullptr);
            QStringList soll;
            for (int i = 0; i < int(eintraege.size()); ++i) {
                const bool waehlbar = *eintraege[size_t(i)].text && m->actions().value(i)->isEnabled();
                soll << QStringLiteral("%1|%2|%3")
                            .arg(QString::fromUtf8(eintraege[size_t(i)].text),
                                 QString::fromLatin1(eintraege[size_t(i)].taste))
                            .arg(waehlbar);
            }
            const char buchstabe = alt[n++];
            const std::function<void()> oeffnen[] = {
                [&] {
                    QTest::mouseClick(leiste, Qt::LeftButton, {}, leiste->actionGeometry(m->menuAction()).center());
                },
                [&] { QTest::keyClick(&f, Qt::Key(buchstabe), Qt::AltModifier); },
            };
            for (const auto &auf : oeffnen) {
                auf();
                ASSERT_TRUE(QTest::qWaitFor([m] { return m->isVisible(); }, 2000));
                EXPECT_EQ(gezeigt(m), soll);
                for (QAction *a : m->actions())
                    EXPECT_TRUE(m->rect().contains(m->actionGeometry(a))) << a->objectName().toStdString();
                QTest::keyClick(m, Qt::Key_Escape);
                QTest::keyClick(leiste, Qt::Key_Escape);
                ASSERT_TRUE(QTest::qWaitFor([m] { return !m->isVisible(); }, 2000));
            }
        }
        w.reset();
    }
}

// The program's start loads no image format plugin: the bars' overflow
// buttons show the program's own picture instead of the style's.
TEST_F(ErstesBildTest, KeinBildformatModulBeimStart)
{
    if (bildformatGeladen())
        GTEST_SKIP() << "an earlier test in this process loaded an image format plugin";
    Start::anwendungEinrichten(*qApp);
    TVivarix &f = offen(true);
    f.grab();
    EXPECT_FALSE(bildformatGeladen());
    const qint64 mehr = Bild::symbol("mehr").cacheKey();
    for (const char *knopf : {"qt_menubar_ext_button", "qt_toolbar_ext_button"}) {
        auto *b = f.findChild<QToolButton *>(QLatin1String(knopf));
        ASSERT_NE(b, nullptr) << knopf;
        EXPECT_EQ(b->icon().cacheKey(), mehr) << knopf;
        EXPECT_FALSE(b->icon().pixmap(16).isNull()) << knopf;
    }
    EXPECT_FALSE(bildformatGeladen());
    // The options dialog's add button shows our check mark too, not one of the icon theme.
    TOptionen optionen(&f);
    EXPECT_EQ(optionen.ok1->icon().pixmap(16, 16).toImage(), Bild::symbol("haken").pixmap(16, 16).toImage());
}

// A journal paints exactly what the style paints for an item view: plain
// text, cut with "…" where the column is too narrow, selected or not,
// enabled or not, and again after the column changed its width.
TEST_F(ErstesBildTest, JournalMaltWieDerStil)
{
    TStringGrid g;
    g.resize(320, 160);
    g.setCells(0, 0, QStringLiteral("Datum"));
    g.setCells(1, 0, QStringLiteral("Futter"));
    g.setColWidths(0, 64);
    g.setColWidths(1, 200);
    g.setZeilen({{QStringLiteral("01.12.26"), QStringLiteral("Maus")},
                 {QStringLiteral("02.12.26"), QStringLiteral("Ratte, ") + QString(60, u'x')},
                 {QStringLiteral("03.12.26"), QStringLiteral("<b>Küken</b> & Łódź")},
                 {QString(), QStringLiteral("ohne Datum")}});
    g.setRow(2);
    g.show();
    QApplication::setActiveWindow(&g);
    const auto vergleiche = [&](const char *wie) {
        SCOPED_TRACE(wie);
        QAbstractItemDelegate *eigener = g.itemDelegate();
        const QImage unserer = g.grab().toImage();
        QStyledItemDelegate stil;
        g.setItemDelegate(&stil);
        const QImage vomStil = g.grab().toImage();
        g.setItemDelegate(eigener);
        EXPECT_TRUE(unserer == vomStil);
        if (qEnvironmentVariableIsSet("BILDER")) {
            unserer.save(QStringLiteral("/tmp/eb/unserer_%1.png").arg(QLatin1String(wie)));
            vomStil.save(QStringLiteral("/tmp/eb/stil_%1.png").arg(QLatin1String(wie)));
        }
    };
    vergleiche("selected row");
    g.setColWidths(1, 90);
    vergleiche("narrower");
    g.setEnabled(false);
    vergleiche("disabled");
}

// The program's style paints the long lines of the tool bar, the page frame,
// the journals' headers and their scroll bars in pieces: the window looks
// exactly as the style it is built on paints it, at the size it opens with
// and at a large one.
TEST_F(ErstesBildTest, StilMaltLangeLinienWieSeineGrundlage)
{
    Start::anwendungEinrichten(*qApp);
    auto *stil = dynamic_cast<Stil *>(QApplication::style());
    ASSERT_NE(stil, nullptr);
    if (stil->baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        GTEST_SKIP() << "the pieces are painted for the Fusion style only";
    TVivarix &f = offen(true);
    f.StringGrid1->setZeilen({{QStringLiteral("01.12.26"), QStringLiteral("Maus")}});
    for (const QSize groesse : {f.size(), QSize(1366, 900)}) {
        SCOPED_TRACE(groesse.width());
        f.resize(groesse);
        QCoreApplication::sendPostedEvents(); // the layout follows the size
        const QImage unserer = f.grab().toImage();
        // The same window painted by the plain style alone.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        f.resize(groesse);
        QCoreApplication::sendPostedEvents();
        const QImage grundlage = f.grab().toImage();
        Stil::einrichten();
        EXPECT_TRUE(unserer == grundlage);
        if (qEnvironmentVariableIsSet("BILDER")) {
            unserer.save(QStringLiteral("/tmp/eb/fenster_unserer_%1.png").arg(groesse.width()));
            grundlage.save(QStringLiteral("/tmp/eb/fenster_grundlage_%1.png").arg(groesse.width()));
        }
    }
}

// The two journals side by side both have a selected row: the one the keys go
// to shows it in the selection colour, the other muted but still set off from
// its empty rows, as painted on screen after each click or Tab.
TEST_F(ErstesBildTest, NurDasJournalMitDenTastenZeigtSeineAuswahlVoll)
{
    TVivarix &f = offen(true);
    f.StringGrid1->setZeilen({{QStringLiteral("01.12.26"), QStringLiteral("Maus")}});
    const QColor voll = f.StringGrid1->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor leer = f.StringGrid1->palette().color(QPalette::Active, QPalette::Base);
    // The colour on screen at the right end of the grid's selected row.
    const auto aufDemSchirm = [&](TStringGrid *g) {
        QCoreApplication::processEvents();
        const QRect zelle = g->visualRect(g->model()->index(g->Row() - 1, 1));
        const QPoint p = g->viewport()->mapTo(&f, QPoint(zelle.right() - 3, zelle.center().y()));
        const qreal dpr = f.devicePixelRatioF();
        return f.screen()->grabWindow(f.winId()).toImage().pixelColor(qRound(p.x() * dpr), qRound(p.y() * dpr));
    };
    const auto klick = [](TStringGrid *g) {
        const QRect zelle = g->visualRect(g->model()->index(0, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, zelle.center());
    };
    for (int runde = 0; runde < 2; ++runde) {
        SCOPED_TRACE(runde);
        TStringGrid *mitTasten = runde ? f.StringGrid2 : f.StringGrid1;
        TStringGrid *ohne = runde ? f.StringGrid1 : f.StringGrid2;
        klick(mitTasten);
        ASSERT_TRUE(mitTasten->hasFocus());
        EXPECT_EQ(aufDemSchirm(mitTasten), voll);
        const QColor gedaempft = aufDemSchirm(ohne);
        EXPECT_NE(gedaempft, voll);
        EXPECT_NE(gedaempft, leer);
    }
    // Tab takes the keys on to the next field: neither journal has them now.
    QTest::keyClick(f.StringGrid2, Qt::Key_Tab);
    ASSERT_FALSE(f.StringGrid2->hasFocus());
    EXPECT_EQ(aufDemSchirm(f.StringGrid2), aufDemSchirm(f.StringGrid1));
}
