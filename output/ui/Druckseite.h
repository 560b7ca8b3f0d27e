#pragma once
// The printed page as a rich-text document; printing it is the print
// library's (Druckmodul.h).
#include "output/Kontrollausdruck.h"

#include <QFont>
#include <QTextCharFormat>

class QTextDocument;

namespace Druckseite {

// The page's base font: Arial, 9 points (12 pixels at 96 dots per inch), regular.
QFont basisschrift();

// What a format sets on its characters, and nothing more.
QTextCharFormat zeichenformat(Kontrollausdruck::Format f);

// Fills `doc` (emptied first) with the paragraphs, each formatted range set on
// exactly its characters, never on the paragraph break behind it. `name` is the
// snake's, for the header of the pages after the first.
void aufbauen(QTextDocument &doc, const std::vector<Kontrollausdruck::Absatz> &absaetze, const QString &name = {});

} // namespace Druckseite
