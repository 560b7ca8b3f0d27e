#pragma once
// Standard dialogs behind small wrappers. A test can answer them in advance
// ("next answer", "next file name"); with no prepared answer the real dialog
// is shown.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>

class QWidget;

enum class MsgArt { Warnung, Fehler, Information, Bestaetigung };

enum Knopf : unsigned {
    mbJa = 1,
    mbNein = 2,
    mbOK = 4,
    mbAbbrechen = 8,
    // Buttons of single questions: "Überschreiben", "Speichern unter..."
    mbUeberschreiben = 16,
    mbSpeichernUnter = 32,
};
using Knoepfe = unsigned;

// Answer of a message box: one of the Knopf values.
using Antwort = Knopf;

// The standard message box: caption from its kind ("Warnung", "Fehler",
// "Information", "Bestätigung"), German buttons, `standard` (else OK, else Ja)
// as default, Escape/close gives Abbrechen if present, else Nein, else OK.
// Text is plain.
Antwort MessageDlg(QWidget *parent, const QString &text, MsgArt art, Knoepfe knoepfe, Knopf standard = Knopf{});

// The program's title: the program file's name without extension, every
// letter after the first in lower case. Without an argument, that of the
// program's own file, "Vivarix", whatever the binary on disk is called.
QString ProgrammTitel(const QString &programmDatei);
QString ProgrammTitel();

// The general error report: caption = program title, error icon, "OK"; a point
// is appended (MitPunkt, data/Fehler.h).
void Fehlerbericht(QWidget *parent, const QString &meldung);

// Ends a command without a report: the command has told the user what went wrong.
struct StillerAbbruch {};

// Runs a command; a failure it raises is shown in the general error report and
// never travels on into Qt's event loop. Returns false when the command failed
// (or ended by StillerAbbruch).
bool Bewacht(QWidget *parent, const std::function<void()> &befehl);

// File dialogs.
struct DateiDialog {
    QString filterName;        // "Vivarix-Daten"
    QString muster;            // "*.vix"
    QString endung;            // default extension without dot: "vix"
    QString vorschlag;         // proposed file name, afterwards the last one chosen
    QString verzeichnis;       // folder to open in, afterwards the last one used
    bool vorschau = false;     // picture chooser: show a preview of the picture
    QStringList weitereFilter; // extra filter lines, shown after the first

    // Returns the chosen full path, or nothing when the user cancelled.
    std::optional<QString> oeffnen(QWidget *parent);
    // Asks before an existing file is replaced; "Nein" goes back to the dialog.
    std::optional<QString> speichern(QWidget *parent);
};

// The keeper's documents folder, where a file dialog starts while no data file
// is known: what `xdg-user-dir DOCUMENTS` names (the user's user-dirs.dirs,
// else XDG_DOCUMENTS_DIR from the environment), when that folder exists; else
// the home folder.
QString Dokumentenordner();
// The keeper's pictures folder, where the picture chooser starts for a snake
// without a picture: `xdg-user-dir PICTURES` when that folder exists, else
// Qt's pictures location when it exists, else the documents folder.
QString Bilderordner();

// Test hooks: answers handed out in order, before any real dialog is shown.
namespace DialogTest {
// Raised when a test let a dialog open without preparing its answer. The error
// guard lets it through, so the test fails instead of a report being shown.
struct Unbeantwortet : std::logic_error {
    using std::logic_error::logic_error;
};
// Next answer for a message box (MessageDlg, the question before a file is replaced).
void naechsteAntwort(Antwort a);
// Next file name for a file dialog; std::nullopt stands for "Abbrechen".
void naechsterDateiname(std::optional<QString> pfad);
// What the message boxes and the error report said, in order ("Art|Text").
QStringList protokoll();
// The default button (what Enter answers) of the last message box, answered in advance or not.
Antwort vorgabe();
void zuruecksetzen();
// When set, a message box with no prepared answer fails the test instead of
// blocking (one with just "OK" is answered "OK").
void nieBlockieren(bool an);
// Runs a callback for each modal dialog the program opens (TDatum, TFutterEdit,
// TDateneingabe ...) once it is shown, so a test can fill and close it.
void naechsterDialog(std::function<void(QWidget *)> f);
std::function<void(QWidget *)> holeDialogHandler();
} // namespace DialogTest

// Runs a modal dialog: hands it to a waiting test callback, else exec().
int Modal(QWidget *dialog);

// A window of fixed size that a window manager minimises, maximises or shows
// full screen returns to its normal state at once. Some (openbox among them)
// offer a minimise box on every window whatever its hints say; a modal window
// minimised there takes the main window with it, and without a task bar
// nothing brings them back.
void NurNormalGross(QWidget *fenster);
