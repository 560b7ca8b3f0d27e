#pragma once
// The printed page as a rich-text document, and printing it page by page.
#include "output/Kontrollausdruck.h"

#include <QFont>
#include <QTextCharFormat>

class QPrinter;
class QTextDocument;
class QWidget;

namespace Druckseite {

// The page's base font: Arial, 9 points (12 pixels at 96 dots per inch), regular.
QFont basisschrift();

// What a format sets on its characters, and nothing more.
QTextCharFormat zeichenformat(Kontrollausdruck::Format f);

// Fills `doc` (emptied first) with the paragraphs, each formatted range set on
// exactly its characters, never on the paragraph break behind it. `name` is the
// snake's, for the header of the pages after the first.
void aufbauen(QTextDocument &doc, const std::vector<Kontrollausdruck::Absatz> &absaetze, const QString &name = {});

// Prints the document as one job titled "Vivarix-Seite", laid out at the
// printer's resolution inside margins of at least 20 mm left and 15 mm on the
// other sides; each page takes as much as fits. Every page after the first
// starts with a small grey line: the name given to `aufbauen` and "Seite n von m".
// Raises EVivarix when there is no printer or the job fails.
void drucken(const QTextDocument &doc, QPrinter &drucker);

// Lets the user choose and set up the printer in the system print dialog;
// false when the dialog was cancelled.
bool druckerWaehlen(QPrinter &drucker, QWidget *parent);

} // namespace Druckseite
