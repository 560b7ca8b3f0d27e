// Feeds arbitrary bytes to the picture loader: the first byte picks the kind
// (the file's extension), the rest is the file. Whatever the bytes, the loader
// must come back, and a picture it accepts is never larger than the part of
// the card that shows it.
#include "toolkit/Bild.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string &ordner()
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Fonts and the SVG renderer want a GUI application; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QStringList endungen = Bild::endungen();
    const QString endung = endungen[data[0] % endungen.size()];
    const QString pfad = QFile::decodeName((ordner() + "/bild." + endung.toStdString()).c_str());
    {
        QFile f(pfad);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || f.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1)) != qint64(size - 1)) {
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
    return 0;
}
