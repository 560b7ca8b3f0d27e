#include "toolkit/Bild.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace Bild {
namespace {

Geladen unlesbar()
{
    return {Ergebnis::Unlesbar, {}};
}

bool zuGross(const QSize &groesse)
{
    return groesse.width() > MaxKante || groesse.height() > MaxKante;
}

Geladen geprueft(QImage bild)
{
    if (bild.isNull() || zuGross(bild.size()))
        return unlesbar();
    return {Ergebnis::Ok, std::move(bild)};
}

// ---- Bitmaps and icons: Qt's own readers, held to the kind the extension names ----

Geladen qtLesen(QFile &datei, const char *format)
{
    // Room for the largest picture we accept, as 32-bit pixels; nothing bigger is
    // ever allocated, whatever a header claims.
    static const bool grenzeGesetzt = [] {
        QImageReader::setAllocationLimit(int(qint64(MaxKante) * MaxKante * 4 / (1024 * 1024)));
        return true;
    }();
    Q_UNUSED(grenzeGesetzt);

    QImageReader leser(&datei, format);
    // A PNG renamed to ".bmp" is not a bitmap: no guessing from the content.
    leser.setAutoDetectImageFormat(false);
    if (!leser.canRead() || zuGross(leser.size()))
        return unlesbar();
    QImage bild;
    if (!leser.read(&bild))
        return unlesbar();
    return geprueft(std::move(bild));
}

Geladen bmpLesen(QFile &datei)
{
    return qtLesen(datei, "bmp");
}

Geladen icoLesen(QFile &datei)
{
    return qtLesen(datei, "ico");
}

// ---- JPEG: libjpeg, driven by hand ----
//
// libjpeg reports fatal errors through error_exit, which must not return; ours
// jumps back to dekodieren(). Nothing between that jump and its target owns a
// C++ object with a destructor: everything lives in the heap-held JpegKontext,
// which the caller frees in the normal way.

constexpr int MaxScans = 1000;            // progressive files with endless scans cost time, not pictures
constexpr long MaxJpegSpeicher = 1L << 29; // libjpeg's own working memory, 512 MiB

struct Fehlermanager {
    jpeg_error_mgr pub;
    std::jmp_buf sprung;
};

struct Quelle {
    jpeg_source_mgr pub;
    QIODevice *geraet = nullptr;
    bool begonnen = false;
    JOCTET puffer[64 * 1024];
};

struct JpegKontext {
    jpeg_decompress_struct cinfo{};
    Fehlermanager fehler{};
    Quelle quelle{};
    jpeg_progress_mgr fortschritt{};
    QImage bild;
    std::unique_ptr<JSAMPLE[]> cmykZeile;
};

[[noreturn]] void fehlerAusgang(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<Fehlermanager *>(cinfo->err)->sprung, 1);
}

void keineAusgabe(j_common_ptr) {}

void quelleStart(j_decompress_ptr) {}
void quelleEnde(j_decompress_ptr) {}

boolean quelleFuellen(j_decompress_ptr cinfo)
{
    auto *q = reinterpret_cast<Quelle *>(cinfo->src);
    const qint64 n = q->geraet->read(reinterpret_cast<char *>(q->puffer), sizeof q->puffer);
    if (n <= 0) {
        // A cut-off file is refused rather than shown with a grey lower part as
        // if it were whole.
        if (!q->begonnen)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        ERREXIT(cinfo, JERR_INPUT_EOF);
    }
    q->begonnen = true;
    q->pub.next_input_byte = q->puffer;
    q->pub.bytes_in_buffer = size_t(n);
    return TRUE;
}

void quelleUeberspringen(j_decompress_ptr cinfo, long anzahl)
{
    auto *src = cinfo->src;
    while (anzahl > long(src->bytes_in_buffer)) {
        anzahl -= long(src->bytes_in_buffer);
        src->fill_input_buffer(cinfo);
    }
    if (anzahl > 0) {
        src->next_input_byte += anzahl;
        src->bytes_in_buffer -= size_t(anzahl);
    }
}

void fortschrittPruefen(j_common_ptr cinfo)
{
    auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans)
        ERREXIT(cinfo, JERR_NOT_COMPILED);
}

// Adobe's CMYK JPEGs hold the inks inverted; plain ones as they are.
void cmykNachRgb(const JSAMPLE *cmyk, uchar *rgb, JDIMENSION breite, bool invertiert)
{
    for (JDIMENSION x = 0; x < breite; ++x, cmyk += 4, rgb += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!invertiert) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = uchar(c * k / 255);
        rgb[1] = uchar(m * k / 255);
        rgb[2] = uchar(y * k / 255);
    }
}

// Fills k.bild; false when the file is not a JPEG we can show.
bool dekodieren(JpegKontext &k)
{
    jpeg_decompress_struct &cinfo = k.cinfo;
    cinfo.err = jpeg_std_error(&k.fehler.pub);
    k.fehler.pub.error_exit = fehlerAusgang;
    k.fehler.pub.output_message = keineAusgabe;
    if (setjmp(k.fehler.sprung)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = MaxJpegSpeicher;

    k.quelle.pub.init_source = quelleStart;
    k.quelle.pub.fill_input_buffer = quelleFuellen;
    k.quelle.pub.skip_input_data = quelleUeberspringen;
    k.quelle.pub.resync_to_restart = jpeg_resync_to_restart;
    k.quelle.pub.term_source = quelleEnde;
    cinfo.src = &k.quelle.pub;
    k.fortschritt.progress_monitor = fortschrittPruefen;
    cinfo.progress = &k.fortschritt;

    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > JDIMENSION(MaxKante)
        || cinfo.image_height > JDIMENSION(MaxKante)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGB; // grey comes out as RGB too
    jpeg_start_decompress(&cinfo);

    const JDIMENSION breite = cinfo.output_width;
    k.bild = QImage(int(breite), int(cinfo.output_height), QImage::Format_RGB888);
    if (k.bild.isNull() || cinfo.output_components != (cmyk ? 4 : 3)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cmyk)
        k.cmykZeile.reset(new JSAMPLE[size_t(breite) * 4]);

    uchar *const bits = k.bild.bits();
    const qsizetype zeilenLaenge = k.bild.bytesPerLine();
    while (cinfo.output_scanline < cinfo.output_height) {
        uchar *ziel = bits + qsizetype(cinfo.output_scanline) * zeilenLaenge;
        JSAMPROW zeile = cmyk ? k.cmykZeile.get() : ziel;
        if (jpeg_read_scanlines(&cinfo, &zeile, 1) != 1) {
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        if (cmyk)
            cmykNachRgb(zeile, ziel, breite, cinfo.saw_Adobe_marker);
    }
    // All rows are in; what follows them in the file (normally just the end
    // marker) is not needed, so a missing end marker alone is no reason to refuse.
    jpeg_destroy_decompress(&cinfo);
    return true;
}

Geladen jpegLesen(QFile &datei)
{
    auto kontext = std::make_unique<JpegKontext>();
    kontext->quelle.geraet = &datei;
    if (!dekodieren(*kontext))
        return unlesbar();
    return geprueft(std::move(kontext->bild));
}

// Metafiles are not drawn yet; their files open but show nothing.
Geladen nochNichtLesbar(QFile &)
{
    return unlesbar();
}

// ---- The kinds, one row each ----

struct Art {
    const char *endung;
    Geladen (*lesen)(QFile &);
};

constexpr Art arten[] = {
    {"jpg", jpegLesen},        {"jpeg", jpegLesen},       {"bmp", bmpLesen},
    {"ico", icoLesen},         {"emf", nochNichtLesbar},  {"wmf", nochNichtLesbar},
};

} // namespace

Geladen laden(const QString &path)
{
    // Open first: whether the file can be opened at all decides between the two
    // failures, whatever its name says.
    QFile datei(path);
    // Only a regular file: opening a named pipe would block the window.
    if (path.isEmpty() || !QFileInfo(path).isFile() || !datei.open(QIODevice::ReadOnly))
        return {Ergebnis::NichtGeoeffnet, {}};

    const QString endung = QFileInfo(path).suffix().toLower();
    for (const Art &art : arten)
        if (endung == QLatin1String(art.endung))
            return art.lesen(datei);
    return unlesbar();
}

QStringList endungen()
{
    QStringList liste;
    for (const Art &art : arten)
        liste << QString::fromLatin1(art.endung);
    return liste;
}

QImage standardBild()
{
    static const QImage bild = [] {
        QImage b(120, 145, QImage::Format_ARGB32_Premultiplied);
        b.fill(Qt::transparent);
        QSvgRenderer svg(QStringLiteral(":/bilder/schlange.svg"));
        if (svg.isValid()) {
            QPainter maler(&b);
            svg.render(&maler);
        }
        return b;
    }();
    return bild;
}

} // namespace Bild
