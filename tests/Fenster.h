#pragma once
// A main window for tests: fixed "today", its own settings folder, every
// standard dialog answered in advance.
#include "app/TVivarix.h"
#include "data/TSchlange.h"
#include "toolkit/Dialoge.h"

#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include <ostream>

class QAction;
class QWidget;

// Readable texts in failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// Runs a menu or tool-bar command the way a user reaches it: the action must be
// enabled (a disabled one is not triggered and the test fails).
void ausloesen(QAction *a);

// Types `text` into `w`, one key press and release per character, also
// characters beyond Latin-1 ("Łódź"), which QTest::keyClicks cannot send.
void tippen(QWidget *w, const QString &text);

class FensterTest : public ::testing::Test {
protected:
    static QDate heute() { return QDate(2026, 12, 7); }

    void SetUp() override
    {
        DialogTest::zuruecksetzen();
        DialogTest::nieBlockieren(true);
        ASSERT_TRUE(ordner.isValid());
    }
    void TearDown() override
    {
        if (w) {
            w->Geaendert = false; // closing must not ask
            w.reset();
        }
        DialogTest::zuruecksetzen();
        DialogTest::nieBlockieren(false);
    }

    // Writes options.ini with the given lines (CR LF ended).
    void optionen(const QStringList &zeilen);
    // Creates the window and runs its start-up sequence, the whole collection
    // read in; with `vorab`, as the program starts, the collection of the
    // settings read ahead meanwhile.
    TVivarix &starten(bool zeigen = false, bool vorab = false);
    // The same window before its start-up has run.
    TVivarix &bauen(bool vorab = false);
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
