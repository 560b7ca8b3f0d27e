#include "output/Kontrollausdruck.h"

#include "data/Einzeilig.h"

namespace Kontrollausdruck {

namespace {
void leer(std::vector<Absatz> &seite, int n = 1)
{
    for (int i = 0; i < n; ++i)
        seite.push_back({});
}

// A paragraph formatted as a whole (its text, never the break after it).
void ganz(std::vector<Absatz> &seite, const QString &text, Format f)
{
    seite.push_back({text, f, 0, int(text.size())});
}

void karte(std::vector<Absatz> &seite, const QString &feld, const QString &wert)
{
    seite.push_back({QStringLiteral("    ") + feld + u'\t' + wert});
}

void journal(std::vector<Absatz> &seite, const TSchlange::Journal &j)
{
    for (int i = 0; i < j.anzahl(); ++i)
        seite.push_back({QStringLiteral("   ") + j.datum(i) + QStringLiteral("    ") + j.text(i)});
}
} // namespace

std::vector<Absatz> absaetze(const TSchlange &s)
{
    std::vector<Absatz> seite;
    ganz(seite, QStringLiteral("Kontrollausdruck für ") + s.name(), Format::Titel);
    leer(seite);
    ganz(seite, QStringLiteral("Stammdaten:"), Format::Ueberschrift);
    leer(seite);

    // Only the genus value is italic; an empty genus leaves nothing to set.
    const QString gattungLabel = QStringLiteral("    Gattung:\t");
    const QString gattung = s.gattung();
    seite.push_back({gattungLabel + gattung, gattung.isEmpty() ? Format::Keins : Format::Kursiv,
                     int(gattungLabel.size()), int(gattung.size())});
    karte(seite, QStringLiteral("Farbvariante:"), s.farbe());
    karte(seite, QStringLiteral("Geschlecht:"), s.geschlecht());
    karte(seite, QStringLiteral("Schlupfmonat:"), s.schlupf());
    leer(seite);

    ganz(seite, QStringLiteral("Fresszeiten:"), Format::Ueberschrift);
    leer(seite);
    journal(seite, s.journal(Journalart::Futter));
    leer(seite);

    ganz(seite, QStringLiteral("Bemerkungen:"), Format::Ueberschrift);
    leer(seite);
    journal(seite, s.journal(Journalart::Bemerkung));
    leer(seite, 4);

    ganz(seite, QStringLiteral("Diese Seite wurde mit dem Vivarix erstellt. (Infos unter ") + Webadresse + u')',
         Format::Fusszeile);
    for (Absatz &a : seite)
        a.text = Zeile::einzeilig(a.text);
    return seite;
}

} // namespace Kontrollausdruck
