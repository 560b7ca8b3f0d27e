#pragma once
// What every picture fuzz target does: write the bytes as a file of one kind,
// load it, and check that the loader came back and that a picture it accepts
// is never larger than the part of the card that shows it.
//
// A target for several kinds takes the first byte to pick the kind (the file's
// extension) and the rest as the file; a target for one kind takes all of it.
#include "bild/Wandeln.h"
#include "bild/Bild.h"
#include "bild/Metadatei.h"
#include "Ordner.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>

// Leaks inside the metafile libraries, which in the program only ever run in the
// short-lived helper program: libwmf offers no call to free the picture its raster device
// drew, and libemf2svg loses a few bytes of its own per file.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libwmf-0.2.so\nleak:libemf2svg.so\n";
}

namespace bildziel {

inline const std::string &ordner()
{
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string &o = *new std::string([] {
        std::string muster = fuzz::neuerOrdner("fuzz_bild");
        std::atexit([] {
            for (const QString &endung : Bild::endungen())
                ::unlink((ordner() + "/bild." + endung.toStdString()).c_str());
            ::rmdir(ordner().c_str());
        });
        return muster;
    }());
    return o;
}

inline void pruefen(const QStringList &arten, const std::uint8_t *data, std::size_t size)
{
    if (arten.size() > 1) {
        if (size < 1)
            return;
        pruefen(QStringList{arten[data[0] % arten.size()]}, data + 1, size - 1);
        return;
    }
    const QString &endung = arten.front();
    const QString pfad = QFile::decodeName((ordner() + "/bild." + endung.toStdString()).c_str());
    {
        QFile f(pfad);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(pfad), qPrintable(f.errorString()));
            std::abort();
        }
    }
    // Each input on its own: no result kept from an earlier one.
    Metadatei::Wandlungen::alle().vergessen();
    const Bild::Geladen g = Bild::laden(pfad);
    if (g.ergebnis == Bild::Ergebnis::Ok &&
        (g.bild.isNull() || g.bild.width() > Bild::Sichtbar.width() || g.bild.height() > Bild::Sichtbar.height() ||
         g.groesse.isEmpty() || g.bild.size() != g.groesse.boundedTo(Bild::Sichtbar))) {
        std::fprintf(stderr, "accepted %s: picture %dx%d of %dx%d\n", qPrintable(endung), g.bild.width(),
                     g.bild.height(), g.groesse.width(), g.groesse.height());
        std::abort();
    }
    if (g.ergebnis != Bild::Ergebnis::Ok && (!g.bild.isNull() || !g.groesse.isEmpty())) {
        std::fprintf(stderr, "refused %s but kept a picture\n", qPrintable(endung));
        std::abort();
    }
}

// The same bytes through the metafile conversion in this process, not in the
// helper, so that the fuzzer sees its coverage and AddressSanitizer its
// faults: an answer it gives is within the helper's bound and reads back as
// its own size's visible corner.
inline void metadateiPruefen(decltype(&Metadatei::wmfWandeln) wandeln, const std::uint8_t *data, std::size_t size)
{
    const QByteArray daten(reinterpret_cast<const char *>(data), qsizetype(size));
    std::string aus;
    if (!wandeln(daten, Bild::Sichtbar, aus))
        return;
    const auto g = aus.size() <= std::size_t(Metadatei::antwortHoechstens(Bild::Sichtbar))
                       ? Metadatei::antwortLesen(QByteArray(aus.data(), qsizetype(aus.size())), Bild::Sichtbar)
                       : std::nullopt;
    if (!g || g->groesse.isEmpty() || g->groesse.width() > Metadatei::MaxKante ||
        g->groesse.height() > Metadatei::MaxKante || g->bild.size() != g->groesse.boundedTo(Bild::Sichtbar)) {
        std::fprintf(stderr, "answered %zu bytes that are no picture of its own size\n", aus.size());
        std::abort();
    }
}

} // namespace bildziel

// The start of every picture target (each includes this header from its one
// source file): fonts and the SVG renderer want a GUI application, no display
// is needed; the loader's metafile helper is the one built beside the target.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    Metadatei::helferSetzen(QStringLiteral(VIVARIX_BILDHELFER));
    return 0;
}
