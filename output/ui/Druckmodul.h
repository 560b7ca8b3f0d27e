#pragma once
// Printing needs Qt's print support, which nothing but the print command uses.
// It lives in a library of its own, vivarix-druck.so, which the program loads
// at the first print, so that the program starts without it. The program and
// the library know each other only through this table.
#include <QString>

class QDialog;
class QPrinter;
class QTextDocument;
class QWidget;

namespace Druckmodul {

struct Tabelle {
    // The version of Vivarix the library belongs to; one of another version is refused.
    const char *version;
    // A printer at high resolution, and its end.
    QPrinter *(*drucker)();
    void (*freigeben)(QPrinter *drucker);
    // The system print dialog that sets up `drucker`, not yet shown.
    QDialog *(*dialog)(QPrinter *drucker, QWidget *parent);
    // Prints the page as one job titled "Vivarix-Seite", laid out at the
    // printer's resolution inside margins of at least 20 mm left and 15 mm on
    // the other sides; each page takes as much as fits, and every page after
    // the first starts with a small grey line: the document's title and
    // "Seite n von m". False when there is no printer or the job fails, with
    // the reason in `fehler`.
    bool (*drucken)(const QTextDocument &seite, QPrinter &drucker, QString &fehler);
};

// The library's table, loaded at the first call and kept. Raises EVivarix
// when the library cannot be loaded or is not the one of this build.
const Tabelle &laden();

// The library's file name, and where it is looked for: beside the program (the
// build folder), else in the folder an installation puts it in, relative to
// the program's folder `programmordner`.
inline constexpr char Dateiname[] = "vivarix-druck.so";
QString suchen(const QString &programmordner);

// Where the library is loaded from: found beside the running program unless
// set. Setting it (an empty path finds it again) makes the next `laden` load
// from there.
QString pfad();
void pfadSetzen(const QString &pfad);

} // namespace Druckmodul

// The library's one entry point, looked up by this name.
extern "C" __attribute__((visibility("default"))) const Druckmodul::Tabelle *vivarix_druckmodul();
