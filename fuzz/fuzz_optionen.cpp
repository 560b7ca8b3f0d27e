// Feeds arbitrary bytes to the settings reader as the content of options.ini
// and checks that what the options dialog would write back from the values
// read reads again as the same values.
#include "settings/Optionen.h"

#include <QByteArray>
#include <cstdint>

namespace {
void pruefen(bool ok)
{
    if (!ok)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const Optionen::Werte w = Optionen::werte(Optionen::lesen(bytes));
    for (const QString &f : w.futter)
        pruefen(!f.contains(u'|') && !f.contains(u'\r') && !f.contains(u'\n'));

    const QByteArray neu = Optionen::schreiben(w);
    pruefen(neu.count("\r\n") == 6 && neu.endsWith("\r\n"));
    const Optionen::Werte zurueck = Optionen::werte(Optionen::lesen(neu));
    pruefen(zurueck.autoload == w.autoload && zurueck.remember == w.remember && zurueck.maximize == w.maximize);
    pruefen(zurueck.datei == w.datei);
    // A list that ends in an empty food is written with a final "|", and a
    // final "|" reads as no food: that one empty food is the only thing the
    // round trip may drop.
    QStringList erwartet = w.futter;
    if (!erwartet.isEmpty() && erwartet.last().isEmpty())
        erwartet.removeLast();
    pruefen(zurueck.futter == erwartet);
    return 0;
}
