#include "output/ui/Druckseite.h"

#include "data/Einzeilig.h"

#include <QTextCursor>
#include <QTextDocument>

namespace Druckseite {

using Kontrollausdruck::Format;

namespace {
const QString Arial = QStringLiteral("Arial");
constexpr qreal Tabstopp = 120; // pixels at 96 dots per inch, scaled to the printer
} // namespace

QFont basisschrift()
{
    QFont f(Arial);
    f.setPointSizeF(9);
    return f;
}

QTextCharFormat zeichenformat(Format f)
{
    QTextCharFormat z;
    switch (f) {
    case Format::Keins:
        break;
    case Format::Titel:
        z.setFontFamilies({Arial});
        z.setFontPointSize(12);
        z.setFontWeight(QFont::Bold);
        z.setFontItalic(true);
        break;
    case Format::Ueberschrift:
        z.setFontWeight(QFont::Bold);
        z.setFontUnderline(true);
        break;
    case Format::Kursiv:
        z.setFontItalic(true);
        break;
    case Format::Fusszeile:
        z.setFontPointSize(8);
        z.setForeground(QColor(128, 128, 128));
        break;
    }
    return z;
}

void aufbauen(QTextDocument &doc, const std::vector<Kontrollausdruck::Absatz> &absaetze, const QString &name)
{
    doc.clear();
    doc.setMetaInformation(QTextDocument::DocumentTitle, Zeile::einzeilig(name));
    doc.setDefaultFont(basisschrift());
    // One tab stop behind the longest card label, so the four values stand in one column.
    QTextOption spalten = doc.defaultTextOption();
    spalten.setTabStopDistance(Tabstopp);
    doc.setDefaultTextOption(spalten);
    QTextCursor c(&doc);
    const QTextCharFormat basis;
    bool erster = true;
    for (const Kontrollausdruck::Absatz &a : absaetze) {
        if (!erster)
            c.insertBlock(QTextBlockFormat(), basis);
        erster = false;
        // Inserted as text, never as markup: names and entries are the user's own.
        c.insertText(a.text.left(a.anfang), basis);
        c.insertText(a.text.mid(a.anfang, a.laenge), zeichenformat(a.format));
        c.insertText(a.text.mid(a.anfang + a.laenge), basis);
    }
}

} // namespace Druckseite
