#include "bild/Libjpeg.h"

#include <QFile>
#include <QtGlobal>

#include <mutex>
#include <optional>

#include <dlfcn.h>

namespace Libjpeg {
namespace {

struct Stand {
    std::mutex sperre;
    QString name = QStringLiteral(VIVARIX_LIBJPEG);
    std::optional<Funktionen> tabelle; // empty: not looked for yet
    bool gescheitert = false;
};

Stand &stand()
{
    static Stand s;
    return s;
}

template <typename F>
bool holen(void *bibliothek, const char *name, F &funktion)
{
    funktion = reinterpret_cast<F>(::dlsym(bibliothek, name));
    return funktion != nullptr;
}

std::optional<Funktionen> oeffnen(const QString &name)
{
    // Once opened the library stays: a picture may be read at any time.
    void *b = ::dlopen(QFile::encodeName(name).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!b) {
        qWarning("JPEG-Bilder bleiben ungelesen: %s", ::dlerror());
        return std::nullopt;
    }
    Funktionen f{};
    if (holen(b, "jpeg_std_error", f.std_error) && holen(b, "jpeg_CreateDecompress", f.CreateDecompress) &&
        holen(b, "jpeg_destroy_decompress", f.destroy_decompress) && holen(b, "jpeg_read_header", f.read_header) &&
        holen(b, "jpeg_has_multiple_scans", f.has_multiple_scans) &&
        holen(b, "jpeg_start_decompress", f.start_decompress) && holen(b, "jpeg_crop_scanline", f.crop_scanline) &&
        holen(b, "jpeg_read_scanlines", f.read_scanlines) && holen(b, "jpeg_resync_to_restart", f.resync_to_restart))
        return f;
    qWarning("JPEG-Bilder bleiben ungelesen: %s", ::dlerror());
    ::dlclose(b);
    return std::nullopt;
}

} // namespace

const Funktionen *funktionen()
{
    Stand &s = stand();
    const std::lock_guard<std::mutex> halten(s.sperre);
    if (!s.tabelle && !s.gescheitert) {
        s.tabelle = oeffnen(s.name);
        s.gescheitert = !s.tabelle;
    }
    return s.tabelle ? &*s.tabelle : nullptr;
}

QString bibliothek()
{
    Stand &s = stand();
    const std::lock_guard<std::mutex> halten(s.sperre);
    return s.name;
}

void bibliothekSetzen(const QString &name)
{
    Stand &s = stand();
    const std::lock_guard<std::mutex> halten(s.sperre);
    s.name = name;
    s.tabelle.reset();
    s.gescheitert = false;
}

} // namespace Libjpeg
