#pragma once
// The settings file "options.ini": where it lives, how it is read (into a table
// of named values, and from that into the typed settings) and how it is written.
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace Optionen {
// The settings directory for the whole program; pfad() is the settings file
// in it, the one the program reads and writes.
void setVerzeichnis(const QString &dir);
QString pfad();
// The settings file in `ordner`, for a reader that runs before the program's
// settings directory is set, or without the window.
QString pfad(const QString &ordner);

// What a reader tells the keeper when the settings file cannot be read.
QString nichtGefunden();

struct Eintrag {
    QString name;
    QString wert;
};
using Tabelle = std::vector<Eintrag>;

// Parses the bytes of a settings file (Windows-1252, CR line ends, LF after CR
// belongs to the line end, Ctrl-Z ends the file, first "=" splits, nothing trimmed).
Tabelle lesen(const QByteArray &inhalt);

// The value of the last entry named exactly `name`; empty when there is none.
QString wert(const Tabelle &tabelle, const QString &name);

// The settings as the program uses them, read and written by the one table of
// names in Optionen.cpp. The values given here are the defaults: what a new
// file holds and what a setting missing from the file reads as.
struct Werte {
    bool autoload = false; // "autoload": load `datei` at start
    QString datei;         // "file": kept also while automatic load is off
    bool remember = false; // "remember": the feeding check after every load
    bool maximize = false; // "maximize": the window starts maximised
    QStringList futter;    // "futter": the usual foods

    // The data file the program loads at start: `datei` when automatic load is
    // on and the file is not "0"; nothing otherwise.
    std::optional<QString> startDatei() const;
};

// The settings a table holds. A switch is on when its value is exactly "1";
// a name missing from the table gives the default.
Werte werte(const Tabelle &tabelle);

// How a settings file was read.
struct Gelesen {
    bool ganz = true; // read to its end (or to its Ctrl-Z)
    // A file stands there that was not read whole (too large, unreadable):
    // written over, what was never read would be lost.
    bool gesperrt = false;
    QString meldung; // what a reader tells the keeper when not `ganz`, as it stands
};

// Reads the settings file at `datei` into `werte` (replacing them, with what
// could be read of a file not read whole).
Gelesen einlesen(Werte &werte, const QString &datei);

// Reads the settings file into `werte` (replacing them). Returns false when the
// file cannot be opened or read whole; `werte` then holds what was read.
bool laden(Werte &werte);
// The same from the settings file at `datei`.
bool laden(Werte &werte, const QString &datei);

// The six lines of the file ("[Options]" and one per setting), CR LF ended, Windows-1252.
QByteArray schreiben(const Werte &w);

// Writes the settings file; raises EInOutError when it cannot be written, and
// EVivarix when it would be longer than what laden() reads (1 MiB).
void speichern(const Werte &w);

// "|" separates foods; a final separator adds no empty food, an empty value gives none.
QStringList futterListe(const QString &wert);
// So a food cannot hold one: it would come back as two.
constexpr char16_t FutterTrenner = u'|';

// The characters of a value the file cannot keep as they are, each once:
// first those outside Windows-1252 (written as "?"), then line ends and
// Ctrl-Z (written as blanks, so the value stays on its line).
QStringList nichtSpeicherbar(const QString &wert);
} // namespace Optionen
