#pragma once
// The printed page of one snake ("Kontrollausdruck"): its paragraphs, top to
// bottom, and which characters of each carry which format. The rich-text
// document the preview shows and the printer prints is built from this.
#include "data/TSchlange.h"
#include "Version.h"

#include <QString>
#include <vector>

namespace Kontrollausdruck {

// The formats the page uses. Each sets only what it names; everything else
// stays in the page's base font (Arial, 9 points, black, regular).
enum class Format {
    Keins,
    Titel,        // font face Arial, 12 points, bold italic
    Ueberschrift, // bold, underlined
    Kursiv,       // italic
    Fusszeile,    // 8 points, grey (128, 128, 128)
};

struct Absatz {
    QString text;
    Format format = Format::Keins;
    int anfang = 0; // the formatted characters: [anfang, anfang + laenge) of text
    int laenge = 0;
};

// Where the footer sends readers for more about the program.
inline const QString Webadresse = QStringLiteral(VIVARIX_WEBADRESSE);

// Texts as stored, a CR or LF in one as a blank: each paragraph stays one paragraph.
std::vector<Absatz> absaetze(const TSchlange &s);

} // namespace Kontrollausdruck
