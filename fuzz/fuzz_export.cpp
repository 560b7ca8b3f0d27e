// Treats the input as one snake record, however hostile (any length byte, dates
// behind the end mark, 201 dated slots), and checks the export file built from
// it: CR LF after every line and nowhere else, one line per journal entry, and
// every text exactly the record's own bytes (nothing re-encoded, nothing lost).
#include "Datensatz.h"

#include "output/Export.h"

#include <QList>

using fuzz::einzeilig;
using fuzz::pruefen;

namespace {

// The record's offsets, from the file layout rather than the code under test.
constexpr std::size_t Name = 0, Gattung = 31, Farbe = 82, Geschlecht = 133, Schlupf = 144;
constexpr std::size_t FutterDatum = 212, BemerkDatum = 2021, Futter = 3830, Bemerkung = 24131;

QList<QByteArray> zeilen(const QByteArray &text)
{
    pruefen(text.endsWith("\r\n"));
    QList<QByteArray> z = text.left(text.size() - 2).split('\n');
    for (QByteArray &zeile : z) {
        if (&zeile != &z.last()) {
            pruefen(zeile.endsWith('\r')); // no LF without its CR
            zeile.chop(1);
        }
        pruefen(!zeile.contains('\r') && !zeile.contains('\n'));
    }
    return z;
}

void journal(const QList<QByteArray> &z, qsizetype &i, const TSchlange &s, std::size_t datum, std::size_t text)
{
    const int n = fuzz::eintraege(s, datum);
    for (int k = 0; k < n; ++k, ++i)
        pruefen(z[i] == einzeilig(s, fuzz::datumSlot(datum, k), 8) + ' ' + einzeilig(s, fuzz::textSlot(text, k), 100));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const TSchlange s = fuzz::datensatz(data, size);
    const QList<QByteArray> z = zeilen(Export::text(s));

    const int futter = fuzz::eintraege(s, FutterDatum);
    const int bemerk = fuzz::eintraege(s, BemerkDatum);
    pruefen(futter <= 201 && bemerk <= 201);
    pruefen(z.size() == 9 + futter + bemerk);

    pruefen(z[0] == "Name:\t\t" + einzeilig(s, Name, 30));
    pruefen(z[1] == "Gattung:\t" + einzeilig(s, Gattung, 50));
    pruefen(z[2] == "Farbvariante:\t" + einzeilig(s, Farbe, 50));
    pruefen(z[3] == "Geschlecht:\t" + einzeilig(s, Geschlecht, 10));
    pruefen(z[4] == "Schlupfmonat:\t" + einzeilig(s, Schlupf, 10));
    pruefen(z[5].isEmpty() && z[6] == "Fresszeiten:");
    qsizetype i = 7;
    journal(z, i, s, FutterDatum, Futter);
    pruefen(z[i++].isEmpty() && z[i++] == "Bemerkungen:");
    journal(z, i, s, BemerkDatum, Bemerkung);
    pruefen(i == z.size());

    // The proposed file name stays in the dialog's folder.
    const QString v = Export::vorschlag(s.name());
    pruefen(v.endsWith(QLatin1String(".txt")) && !v.contains(u'/') && !v.contains(QChar(0)));
    pruefen(v.size() == s.name().size() + 4);
    return 0;
}
