#pragma once
// The program on the command line: the feeding check and the feeding schedule
// as text for a keeper's scripts, the reminder at login, help and version. It
// runs before any window exists and needs no display.
#include "data/Fehler.h"
#include "data/TSchlange.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

namespace Befehlszeile {

// Exit statuses of the evaluations.
enum Status { NichtsGelistet = 0, Gelistet = 1, Fehler = 2 };

// The arguments without the program's name, as the system passed them.
QStringList argumente(int argc, char **argv);

// Whether the arguments ask for the command line rather than the window. The
// window takes nothing or one data file to open ("vivarix DATEI", or
// "vivarix -- DATEI" for a name that begins with "-"); anything else is the
// command line's, which also answers a wrong call, without a window.
bool istBefehl(const QStringList &argumente);

// The data file the window opens at start, when the arguments name one.
std::optional<QString> fensterDatei(const QStringList &argumente);

// A text as one line for a terminal: line ends become blanks as in every
// export; other control characters (C0, DEL, C1) and the marks that turn the
// direction of text are written as visible escapes ("\x1b", "\u202e"), so a
// snake's name cannot move the cursor, clear the screen or set the title.
QString sichtbar(const QString &text);

// What a command printed and its exit status.
struct Ergebnis {
    QByteArray aus;    // standard output, UTF-8
    QByteArray fehler; // standard error, UTF-8
    int status = 0;
};

// Runs every option but the reminder, which needs the session bus: the
// evaluations count from `heute` and, without a file named, take the one the
// settings in `ordner` load at start.
Ergebnis ausfuehren(const QStringList &argumente, std::chrono::year_month_day heute, const QString &ordner);

// No settings file, or one that loads nothing at start. Its message is shown
// as it stands, like the window's message about a missing settings file.
class KeineStartdatei : public EVivarix {
public:
    using EVivarix::EVivarix;
};

// The data file the program's start loads from the settings file in `ordner`;
// raises KeineStartdatei when there is none.
QString startDatei(const QString &ordner);

// The same as a path from `ordner` (a relative name counts from there, as in
// the window); an empty name stays empty and names no file, as in the window.
QString startPfad(const QString &ordner);

// Reads the data file at `pfad`; raises EVivarix with the window's message,
// which names the file where it is about the file, when it cannot be read whole.
TSchlangen lesen(const QString &pfad);

// The whole process for a command line: options, output, exit status.
int hauptprogramm(int &argc, char **argv);

} // namespace Befehlszeile
