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
// exactly its characters, never on the paragraph break behind it.
void aufbauen(QTextDocument &doc, const std::vector<Kontrollausdruck::Absatz> &absaetze);

// Prints the document as one job titled "Vivarix-Seite", laid out at the
// printer's resolution over its whole printable area; each page takes as much
// as fits. Raises EVivarix when there is no printer or the job fails.
void drucken(const QTextDocument &doc, QPrinter &drucker);

// Lets the user choose and set up the printer in the system print dialog;
// false when the dialog was cancelled.
bool druckerWaehlen(QPrinter &drucker, QWidget *parent);

} // namespace Druckseite
