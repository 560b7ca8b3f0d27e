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

namespace Befehlszeile {

// Exit statuses of the evaluations.
enum Status { NichtsGelistet = 0, Gelistet = 1, Fehler = 2 };

// Whether the arguments (without the program's name) ask for the command line
// rather than the window: the first one is one of its options.
bool istBefehl(const QStringList &argumente);
bool istBefehl(int argc, char **argv);

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

// Reads the data file at `pfad`; raises EVivarix with the window's message
// when it cannot be read whole.
TSchlangen lesen(const QString &pfad);

// The whole process for a command line: options, output, exit status.
int hauptprogramm(int &argc, char **argv);

} // namespace Befehlszeile
