#pragma once
// What every picture fuzz target does: write the bytes as a file of one kind,
// load it, and check that the loader came back and that a picture it accepts
// is never larger than the part of the card that shows it.
//
// A target for several kinds takes the first byte to pick the kind (the file's
// extension) and the rest as the file; a target for one kind takes all of it.
#include "toolkit/Bild.h"
#include "toolkit/Metadatei.h"

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

// Leaks inside the metafile libraries, which in the program only ever run in a
// short-lived child: libwmf offers no call to free the picture its raster device
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
        const char *tmp = std::getenv("TMPDIR");
        std::string muster = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_bild.XXXXXX";
        if (!::mkdtemp(muster.data()))
            std::abort();
        std::atexit([] {
            for (const QString &endung : Bild::endungen())
                ::unlink((ordner() + "/bild." + endung.toStdString()).c_str());
            ::rmdir(ordner().c_str());
        });
        return muster;
    }());
    return o;
}

inline void anfangen(int *argc, char ***argv)
{
    // Fonts and the SVG renderer want a GUI application; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
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
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(pfad), qPrintable(f.errorString()));
            std::abort();
        }
    }
    const Bild::Geladen g = Bild::laden(pfad);
    if (g.ergebnis == Bild::Ergebnis::Ok
        && (g.bild.isNull() || g.bild.width() > Bild::Sichtbar.width() || g.bild.height() > Bild::Sichtbar.height()
            || g.groesse.isEmpty() || g.bild.size() != g.groesse.boundedTo(Bild::Sichtbar))) {
        std::fprintf(stderr, "accepted %s: picture %dx%d of %dx%d\n", qPrintable(endung), g.bild.width(),
                     g.bild.height(), g.groesse.width(), g.groesse.height());
        std::abort();
    }
    if (g.ergebnis != Bild::Ergebnis::Ok && (!g.bild.isNull() || !g.groesse.isEmpty())) {
        std::fprintf(stderr, "refused %s but kept a picture\n", qPrintable(endung));
        std::abort();
    }
}

// A metafile library's work run in this process, not in the child, so that
// the fuzzer sees its coverage and AddressSanitizer its faults; the same
// bound on the answer as the child has.
inline std::optional<QByteArray> imProzess(const std::function<bool(std::string &)> &umwandeln)
{
    std::string aus;
    if (!umwandeln(aus) || aus.size() > std::size_t(Metadatei::MaxSvg) + 8)
        return std::nullopt;
    return QByteArray(aus.data(), qsizetype(aus.size()));
}

// The same bytes through the metafile drawer in this process: a picture it
// draws is its own size's visible corner.
inline void metadateiPruefen(decltype(&Metadatei::wmfZeichnen) zeichnen, const std::uint8_t *data, std::size_t size)
{
    const QByteArray daten(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto g = zeichnen(daten, Bild::Sichtbar, imProzess);
    if (g && (g->groesse.isEmpty() || g->groesse.width() > Metadatei::MaxKante || g->groesse.height() > Metadatei::MaxKante
              || g->bild.size() != g->groesse.boundedTo(Bild::Sichtbar))) {
        std::fprintf(stderr, "drew a picture %dx%d of %dx%d\n", g->bild.width(), g->bild.height(), g->groesse.width(),
                     g->groesse.height());
        std::abort();
    }
}

} // namespace bildziel
