#pragma once
// A main window for tests: fixed "today", its own settings folder, every
// standard dialog answered in advance.
#include "Hilfen.h"
#include "app/TVivarix.h"
#include "data/TSchlange.h"
#include "toolkit/Dialoge.h"

#include <QDate>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include <ostream>
#include <sys/resource.h>

class QAction;
class QMenu;
class QWidget;

// Runs a menu or tool-bar command the way a user reaches it: the action must be
// enabled (a disabled one is not triggered and the test fails).
void ausloesen(QAction *a);

// Types `text` into `w`, one key press and release per character, also
// characters beyond Latin-1 ("Łódź"), which QTest::keyClicks cannot send.
void tippen(QWidget *w, const QString &text);

// Opens the pop-up menu of `feld` with Shift+F10, as a keeper without a mouse
// does, and closes it again: the menu has set which of its items are enabled.
void menueOeffnen(QWidget *feld, QMenu *menue);
// ... or chooses `a` in it with Enter; `a` must be enabled.
void imMenue(QWidget *feld, QMenu *menue, QAction *a);

// The main window's controls and commands that "Neu" disables and loading or
// "Activ" enables, by their object names.
extern const QSet<QString> Bearbeitbar;
// The object names of `w`'s controls and commands that are switched on; a
// control counts by its own switch, whatever its parent's.
QSet<QString> eingeschalteteNamen(const QWidget &w);

// The keeper clicks a snake's tab; the window is shown for it.
void reiterKlicken(TVivarix &w, int reiter);

// Waits until a large collection coming in is in whole (or has failed).
void ganzAbwarten(const TVivarix &w);

// The foods the main window's food box offers.
QStringList futterAuswahl(const TVivarix &w);

// Fills the master data dialog when it opens and confirms it.
void stammdaten(const QString &name, const QString &gattung = {}, const QString &bild = {},
                const QString &tage = QStringLiteral("7"));

// A lower file-size limit for this process while it lives (the soft limit
// only, so it can be lifted again); writing past it fails with EFBIG.
class Dateigrenze {
public:
    explicit Dateigrenze(rlim_t bytes);
    ~Dateigrenze();
    Dateigrenze(const Dateigrenze &) = delete;
    Dateigrenze &operator=(const Dateigrenze &) = delete;
    bool ok = false;

private:
    rlimit alt{};
    void (*signalVorher)(int) = nullptr;
};

// Every standard dialog answered in advance for the length of a test.
class DialogTestBasis : public ::testing::Test {
protected:
    void SetUp() override
    {
        DialogTest::zuruecksetzen();
        DialogTest::nieBlockieren(true);
    }
    void TearDown() override
    {
        DialogTest::zuruecksetzen();
        DialogTest::nieBlockieren(false);
    }
};

class FensterTest : public DialogTestBasis {
protected:
    static QDate heute() { return QDate(2026, 12, 7); }

    void SetUp() override
    {
        DialogTestBasis::SetUp();
        ASSERT_TRUE(ordner.isValid());
    }
    void TearDown() override
    {
        if (w) {
            w->Geaendert = false; // closing must not ask
            w.reset();
        }
        DialogTestBasis::TearDown();
    }

    // Writes options.ini with the given lines (CR LF ended).
    void optionen(const QStringList &zeilen);
    // Creates the window and runs its start-up sequence, the whole collection
    // read in; with `vorab`, as the program starts, the collection of the
    // settings read ahead meanwhile.
    TVivarix &starten(bool zeigen = false, bool vorab = false);
    // The same window before its start-up has run.
    TVivarix &bauen(bool vorab = false);
    // Gives a window this test's "today" and start folder.
    void einrichten(TVivarix &f) const;
    // Writes `s` as the data file `name` and settings that load it at start,
    // with the further lines `mehr`, then starts the window.
    TVivarix &geladen(const QString &name, const TSchlangen &s, const QStringList &mehr = {}, bool zeigen = false);
    QString pfad(const QString &name) const { return ordner.filePath(name); }

    // A record with the given name and journals "dd.mm.yy"/text.
    static TSchlange schlange(const QString &name, int futter = 0, int bemerk = 0, int tage = 7);
    void datei(const QString &name, const TSchlangen &s);
    // A record in which every field holds a value of its own, different for
    // each `nr`, with a real picture file of its own, so a field shown or
    // stored in its neighbour's place shows.
    TSchlange bunt(int nr, int futter = 3, int bemerk = 2);

    // What the window shows of the snake on show: tab caption, the six labels,
    // the picture path, then the rows of both journals ("F date|text", "B date|text").
    static QStringList angezeigt(const TVivarix &w);
    // The same as the record holds it.
    static QStringList gespeichert(const TSchlange &s);

    // What the message boxes said since the last call.
    QStringList gesagt();

    QTemporaryDir ordner;
    std::unique_ptr<TVivarix> w;
    int gelesen = 0;
};
