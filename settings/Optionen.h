#pragma once
// The settings file "options.ini": where it lives, how it is read into a table
// of named values and how it is written.
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace Optionen {
// The settings directory for the whole program; reads and writes use
// verzeichnis() + "/options.ini".
void setVerzeichnis(const QString &dir);
QString verzeichnis();
QString pfad();

struct Eintrag {
    QString name;
    QString wert;
};
using Tabelle = std::vector<Eintrag>;

// Parses the bytes of a settings file (Windows-1252, CR line ends, LF after CR
// belongs to the line end, Ctrl-Z ends the file, first "=" splits, nothing trimmed).
Tabelle lesen(const QByteArray &inhalt);

// Reads the settings file into `tabelle` (replacing it). Returns false when the
// file cannot be opened or read; `tabelle` then holds what was read before.
bool laden(Tabelle &tabelle);
// The same from the settings file at `datei`.
bool laden(Tabelle &tabelle, const QString &datei);

// The value of the last entry named exactly `name`; empty when there is none.
QString wert(const Tabelle &tabelle, const QString &name);

// The data file the program loads at start: the setting "file" when "autoload"
// is "1" and the file is not "0"; nothing otherwise.
std::optional<QString> startDatei(const Tabelle &tabelle);

// The values the options dialog writes.
struct Werte {
    bool autoload = false;
    QString datei;
    bool remember = false;
    bool maximize = false;
    QStringList futter;
};

// The six lines of the file, CR LF ended, Windows-1252.
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
