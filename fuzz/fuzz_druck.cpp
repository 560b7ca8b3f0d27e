// Treats the input as one snake record, however hostile, and checks the printed
// page built from it: the paragraphs in their order with the record's own bytes,
// every formatted range inside its paragraph, and the rich-text document made of
// them holding exactly those paragraphs, each range formatted and nothing else.
#include "Datensatz.h"

#include "data/Cp1252.h"
#include "output/Kontrollausdruck.h"
#include "output/ui/Druckseite.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

using fuzz::einzeilig;
using fuzz::pruefen;
using Kontrollausdruck::Absatz;
using Kontrollausdruck::Format;

namespace {

constexpr std::size_t Name = 0, Gattung = 31, Farbe = 82, Geschlecht = 133, Schlupf = 144;
constexpr std::size_t FutterDatum = 212, BemerkDatum = 2021, Futter = 3830, Bemerkung = 24131;

struct Erwartet {
    QByteArray text;
    Format format = Format::Keins;
    int anfang = 0;
};

// The page from the record's bytes; a formatted range runs to the paragraph's end.
std::vector<Erwartet> seite(const TSchlange &s)
{
    std::vector<Erwartet> e;
    const auto leer = [&](int n) { e.insert(e.end(), std::size_t(n), Erwartet{}); };
    const auto journal = [&](std::size_t datum, std::size_t text) {
        const int n = fuzz::eintraege(s, datum);
        pruefen(n <= 201);
        for (int k = 0; k < n; ++k)
            e.push_back({"   " + einzeilig(s, fuzz::datumSlot(datum, k), 8) + "    " +
                         einzeilig(s, fuzz::textSlot(text, k), 100)});
    };
    e.push_back({"Kontrollausdruck f\xFCr " + einzeilig(s, Name, 30), Format::Titel});
    leer(1);
    e.push_back({"Stammdaten:", Format::Ueberschrift});
    leer(1);
    const QByteArray gattung = einzeilig(s, Gattung, 50);
    e.push_back({"    Gattung:\t" + gattung, gattung.isEmpty() ? Format::Keins : Format::Kursiv, 13});
    e.push_back({"    Farbvariante:\t" + einzeilig(s, Farbe, 50)});
    e.push_back({"    Geschlecht:\t" + einzeilig(s, Geschlecht, 10)});
    e.push_back({"    Schlupfmonat:\t" + einzeilig(s, Schlupf, 10)});
    leer(1);
    e.push_back({"Fresszeiten:", Format::Ueberschrift});
    leer(1);
    journal(FutterDatum, Futter);
    leer(1);
    e.push_back({"Bemerkungen:", Format::Ueberschrift});
    leer(1);
    journal(BemerkDatum, Bemerkung);
    leer(4);
    e.push_back({"Diese Seite wurde mit dem Vivarix erstellt. (Infos unter www.vivarix.de)", Format::Fusszeile});
    return e;
}

void absaetzePruefen(const std::vector<Absatz> &seite, const std::vector<Erwartet> &erwartet)
{
    pruefen(seite.size() == erwartet.size());
    for (std::size_t i = 0; i < seite.size(); ++i) {
        const Absatz &a = seite[i];
        pruefen(a.anfang >= 0 && a.laenge >= 0 && a.anfang + a.laenge <= a.text.size());
        pruefen((a.format == Format::Keins) == (a.laenge == 0));
        pruefen(Cp1252::encode(a.text) == erwartet[i].text);
        pruefen(a.format == erwartet[i].format);
        if (a.format != Format::Keins)
            pruefen(a.anfang == erwartet[i].anfang && a.anfang + a.laenge == a.text.size());
    }
}

// One block per paragraph with its text; inside the range the characters carry
// exactly the paragraph's format, elsewhere (and at the break) no format at all.
void dokumentPruefen(const std::vector<Absatz> &seite)
{
    QTextDocument doc;
    Druckseite::aufbauen(doc, seite);
    pruefen(doc.blockCount() == int(seite.size()));
    QTextBlock b = doc.begin();
    for (const Absatz &a : seite) {
        pruefen(b.isValid() && b.text() == a.text);
        pruefen(b.charFormat().properties().isEmpty());
        const QTextCharFormat z = Druckseite::zeichenformat(a.format);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int von = f.position() - b.position(), bis = von + f.length();
            const bool drin = von >= a.anfang && bis <= a.anfang + a.laenge;
            pruefen(drin || bis <= a.anfang || von >= a.anfang + a.laenge);
            pruefen(f.charFormat().properties() == (drin ? z.properties() : QTextCharFormat().properties()));
        }
        b = b.next();
    }
}

void anwendungStarten()
{
    static int argc = 1;
    static char name[] = "fuzz_druck";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv); // lives to the end: fonts and the document need it
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    anwendungStarten();
    const TSchlange s = fuzz::datensatz(data, size);
    const std::vector<Absatz> absaetze = Kontrollausdruck::absaetze(s);
    absaetzePruefen(absaetze, seite(s));
    dokumentPruefen(absaetze);
    return 0;
}
