#include "bild/Bild.h"

#include "bild/Libjpeg.h"
#include "bild/Metadatei.h"

#include "assets/Raster.h"
#include "data/Bildpfad.h"
#include "data/Einlesen.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <jerror.h>

namespace Bild {
namespace {

Geladen unlesbar()
{
    return {Ergebnis::Unlesbar, {}, {}};
}

Geladen gelesen(QImage bild, QSize groesse)
{
    if (bild.isNull() || groesse.isEmpty())
        return unlesbar();
    return {Ergebnis::Ok, std::move(bild), groesse};
}

// The whole file as it was when it was opened, or nothing when it is larger
// than `hoechstens` or a read fails. A file the system gives a size of 0 (as
// /proc does, whatever it then delivers) is read as empty.
std::optional<QByteArray> ganz(Einlesen::Lesedatei &datei, qint64 hoechstens)
{
    if (datei.groesse() > quint64(hoechstens))
        return std::nullopt;
    QByteArray bytes(qsizetype(datei.groesse()), Qt::Uninitialized);
    int err = 0;
    if (datei.lesen(bytes.data(), size_t(bytes.size()), err) != size_t(bytes.size()) || err != 0)
        return std::nullopt;
    return bytes;
}

// ---- Bitmaps and icons: Qt's own readers, held to the kind the extension names ----

Geladen qtLesen(const QByteArray &bytes, const char *format)
{
    // Nothing bigger is ever allocated, whatever a header claims.
    static const bool grenzeGesetzt = [] {
        QImageReader::setAllocationLimit(MaxQtSpeicherMiB);
        return true;
    }();
    Q_UNUSED(grenzeGesetzt);

    QBuffer datei;
    datei.setData(bytes);
    datei.open(QIODevice::ReadOnly);
    QImageReader leser(&datei, format);
    // A PNG renamed to ".bmp" is not a bitmap: no guessing from the content.
    leser.setAutoDetectImageFormat(false);
    if (!leser.canRead())
        return unlesbar();
    const QSize groesse = leser.size();
    if (groesse.isEmpty() || qint64(groesse.width()) * groesse.height() * 4 > qint64(MaxQtSpeicherMiB) << 20)
        return unlesbar();
    QImage bild;
    if (!leser.read(&bild))
        return unlesbar();
    return gelesen(bild.copy(QRect(QPoint(0, 0), bild.size().boundedTo(Sichtbar))), bild.size());
}

// Run-length coded bitmaps: pixels a header may claim per byte of the file.
constexpr int RleBildpunkteJeByte = 1024;

// The pixel data a bitmap's header promises. Qt shows a cut-off bitmap with a
// blank lower part as if it were whole; we refuse it. Returns -1 for a header
// we cannot judge (Qt then decides), the largest number for a bomb.
qint64 bmpErwarteteLaenge(const QByteArray &kopf)
{
    const auto *b = reinterpret_cast<const uchar *>(kopf.constData());
    if (kopf.size() < 26 || kopf[0] != 'B' || kopf[1] != 'M')
        return -1;
    const qint64 datenAb = qFromLittleEndian<quint32>(b + 10);
    const quint32 infoLaenge = qFromLittleEndian<quint32>(b + 14);
    qint64 breite, hoehe, bits;
    quint32 kompression = 0, bildLaenge = 0;
    if (infoLaenge == 12) { // OS/2 1.x header
        breite = qFromLittleEndian<quint16>(b + 18);
        hoehe = qFromLittleEndian<quint16>(b + 20);
        bits = qFromLittleEndian<quint16>(b + 24);
    } else if (infoLaenge >= 40 && kopf.size() >= 38) {
        breite = qFromLittleEndian<qint32>(b + 18);
        hoehe = qFromLittleEndian<qint32>(b + 22);
        bits = qFromLittleEndian<quint16>(b + 28);
        kompression = qFromLittleEndian<quint32>(b + 30);
        bildLaenge = qFromLittleEndian<quint32>(b + 34);
    } else {
        return -1;
    }
    hoehe = hoehe < 0 ? -hoehe : hoehe; // negative: stored top down
    switch (kompression) {
    case 0: // uncompressed
    case 3: // bit fields
    case 6: // bit fields with alpha
        if (breite <= 0 || bits <= 0 || bits > 64)
            return -1;
        {
            const qint64 zeile = (breite * bits + 31) / 32 * 4;
            // Rows that no file could hold: a bomb, and not a product to overflow.
            if (hoehe > 0 && zeile > (std::numeric_limits<qint64>::max() - datenAb) / hoehe)
                return std::numeric_limits<qint64>::max();
            return datenAb + zeile * hoehe;
        }
    case 1: // run-length coded: the header's byte count is all we know
    case 2:
        // A few codes can cover the whole picture; a header that asks for far
        // more pixels than the file has bytes is a bomb, not a picture.
        if (breite * hoehe > qint64(RleBildpunkteJeByte) * (datenAb + bildLaenge))
            return std::numeric_limits<qint64>::max();
        return bildLaenge > 0 ? datenAb + bildLaenge : -1;
    default:
        return -1;
    }
}

Geladen bmpLesen(Einlesen::Lesedatei &datei, int)
{
    const auto bytes = ganz(datei, MaxBmpDatei);
    if (!bytes || bmpErwarteteLaenge(bytes->left(64)) > bytes->size())
        return unlesbar();
    return qtLesen(*bytes, "bmp");
}

Geladen icoLesen(Einlesen::Lesedatei &datei, int)
{
    // Qt reads an icon's entries whole, whatever size the directory claims.
    const auto bytes = ganz(datei, MaxIcoDatei);
    if (!bytes)
        return unlesbar();
    return qtLesen(*bytes, "ico");
}

// ---- Metafiles: converted by the helper program, once per file ----

Geladen metaLesen(Einlesen::Lesedatei &datei, Metadatei::Art art, int wartenMs)
{
    QElapsedTimer uhr;
    uhr.start();
    // Only the header is judged here; no helper starts for what is no metafile.
    const auto daten = ganz(datei, Metadatei::MaxDatei);
    if (!daten || !Metadatei::kopfGueltig(art, *daten))
        return unlesbar();
    const Metadatei::Kennung kennung = Metadatei::kennung(*daten);
    // Reading and recognising a large file count against the wait.
    if (wartenMs > 0)
        wartenMs = int(std::max<qint64>(0, wartenMs - uhr.elapsed()));
    auto &wandlungen = Metadatei::Wandlungen::alle();
    std::optional<Metadatei::Gezeichnet> g;
    auto stand = wandlungen.abfragen(kennung, wartenMs, g);
    if (stand == Metadatei::Wandlungen::Stand::Unbekannt) {
        wandlungen.starten(kennung, art, *daten, Sichtbar);
        stand = wandlungen.abfragen(kennung, wartenMs, g);
    }
    if (stand != Metadatei::Wandlungen::Stand::Fertig)
        return {Ergebnis::InArbeit, {}, {}};
    if (!g)
        return unlesbar();
    return gelesen(g->bild, g->groesse);
}

Geladen wmfLesen(Einlesen::Lesedatei &datei, int wartenMs)
{
    return metaLesen(datei, Metadatei::Art::Wmf, wartenMs);
}

Geladen emfLesen(Einlesen::Lesedatei &datei, int wartenMs)
{
    return metaLesen(datei, Metadatei::Art::Emf, wartenMs);
}

// ---- JPEG: libjpeg, driven by hand ----
//
// libjpeg is opened with the first JPEG (Libjpeg.h); without it every JPEG is
// a picture we cannot show.
//
// libjpeg reports fatal errors through error_exit, which must not return; ours
// jumps back to dekodieren(). Nothing between that jump and its target owns a
// C++ object with a destructor: everything lives in the heap-held JpegKontext,
// which the caller frees in the normal way.
//
// A baseline JPEG is decoded row by row, so only the visible corner is worked
// on: libjpeg crops the columns and we stop after the last visible row. A
// progressive (or any multi-scan) JPEG must be read whole into libjpeg's
// coefficient buffer first; that buffer is held to MaxJpegSpeicher and to what
// the file's size can honestly ask for.

struct Fehlermanager {
    jpeg_error_mgr pub;
    std::jmp_buf sprung;
};

struct Quelle {
    jpeg_source_mgr pub;
    Einlesen::Lesedatei *datei = nullptr;
    qint64 rest = 0; // bytes the file had when it was opened and are not read yet
    bool begonnen = false;
    JOCTET puffer[64 * 1024];
};

struct Fortschritt {
    jpeg_progress_mgr pub;
    qint64 bloecke = 0; // of a file read whole: every scan may pass over all of them
};

struct JpegKontext {
    const Libjpeg::Funktionen *jpeg = nullptr;
    jpeg_decompress_struct cinfo{};
    Fehlermanager fehler{};
    Quelle quelle{};
    Fortschritt fortschritt{};
    qint64 dateiLaenge = 0;
    QImage bild;
    QSize groesse;
    std::vector<JSAMPLE> zeile;
};

[[noreturn]] void fehlerAusgang(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<Fehlermanager *>(cinfo->err)->sprung, 1);
}

// libjpeg only warns about damaged data and goes on with grey blocks; a damaged
// picture is refused instead. The few warnings about harmless oddities pass.
void meldung(j_common_ptr cinfo, int stufe)
{
    if (stufe != -1)
        return; // trace messages
    const jpeg_error_mgr *err = cinfo->err;
    switch (err->msg_code) {
    case JWRN_JFIF_MAJOR:  // a newer JFIF revision
    case JWRN_ADOBE_XFORM: // an unknown Adobe transform code: libjpeg's guess is the usual one
    case JWRN_BOGUS_ICC:   // the colour profile, which we do not use
        return;
    case JWRN_EXTRANEOUS_DATA:
        // Stray bytes before the end marker: every row was decoded already.
        if (err->msg_parm.i[1] == 0xD9)
            return;
        break;
    default:
        break;
    }
    fehlerAusgang(cinfo);
}

void keineAusgabe(j_common_ptr) {}

void quelleStart(j_decompress_ptr) {}
void quelleEnde(j_decompress_ptr) {}

boolean quelleFuellen(j_decompress_ptr cinfo)
{
    auto *q = reinterpret_cast<Quelle *>(cinfo->src);
    int err = 0;
    const qint64 n =
        q->rest <= 0 ? 0 : qint64(q->datei->lesen(q->puffer, size_t(std::min<qint64>(q->rest, sizeof q->puffer)), err));
    q->rest -= n;
    if (n <= 0 || err != 0) {
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

// Called for every row of blocks read: the scans, and the work they may make,
// are bounded before the scan that would pass a bound is read.
void fortschrittPruefen(j_common_ptr cinfo)
{
    auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const auto *f = reinterpret_cast<const Fortschritt *>(d->progress);
    if (d->input_scan_number > MaxJpegScans || qint64(d->input_scan_number) * f->bloecke > MaxJpegArbeit)
        ERREXIT(cinfo, JERR_NOT_COMPILED);
}

// Adobe's CMYK JPEGs hold the inks inverted; plain ones as they are.
void cmykNachRgb(const JSAMPLE *cmyk, uchar *rgb, int breite, bool invertiert)
{
    for (int x = 0; x < breite; ++x, cmyk += 4, rgb += 3) {
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

// The coefficient buffer libjpeg sets up for a file it must read whole, in
// bytes: every component's blocks, rounded up to whole sampling units.
qint64 koeffizientenSpeicher(const jpeg_decompress_struct &cinfo)
{
    qint64 bloecke = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info &k = cinfo.comp_info[i];
        const qint64 b = (qint64(k.width_in_blocks) + k.h_samp_factor - 1) / k.h_samp_factor * k.h_samp_factor;
        const qint64 h = (qint64(k.height_in_blocks) + k.v_samp_factor - 1) / k.v_samp_factor * k.v_samp_factor;
        bloecke += b * h;
    }
    return bloecke * qint64(sizeof(JBLOCK));
}

// Fills k.bild with the visible corner; false when the file is not a JPEG we can show.
bool dekodieren(JpegKontext &k)
{
    const Libjpeg::Funktionen &jpeg = *k.jpeg;
    jpeg_decompress_struct &cinfo = k.cinfo;
    cinfo.err = jpeg.std_error(&k.fehler.pub);
    k.fehler.pub.error_exit = fehlerAusgang;
    k.fehler.pub.emit_message = meldung;
    k.fehler.pub.output_message = keineAusgabe;
    if (setjmp(k.fehler.sprung)) {
        jpeg.destroy_decompress(&cinfo);
        return false;
    }
    jpeg.CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    // libjpeg refuses (rather than swaps out) a coefficient buffer beyond this.
    cinfo.mem->max_memory_to_use = long(MaxJpegSpeicher);

    k.quelle.pub.init_source = quelleStart;
    k.quelle.pub.fill_input_buffer = quelleFuellen;
    k.quelle.pub.skip_input_data = quelleUeberspringen;
    k.quelle.pub.resync_to_restart = jpeg.resync_to_restart;
    k.quelle.pub.term_source = quelleEnde;
    cinfo.src = &k.quelle.pub;
    k.fortschritt.pub.progress_monitor = fortschrittPruefen;
    cinfo.progress = &k.fortschritt.pub;

    jpeg.read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0) {
        jpeg.destroy_decompress(&cinfo);
        return false;
    }
    if (jpeg.has_multiple_scans(&cinfo)) {
        // The whole picture's coefficients are held before the first row comes
        // out. A header that asks for far more than the file can fill is a bomb.
        const qint64 speicher = koeffizientenSpeicher(cinfo);
        if (speicher > MaxJpegSpeicher || speicher > k.dateiLaenge * JpegSpeicherJeByte) {
            jpeg.destroy_decompress(&cinfo);
            return false;
        }
        k.fortschritt.bloecke = speicher / qint64(sizeof(JBLOCK));
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGB; // grey comes out as RGB too
    jpeg.start_decompress(&cinfo);
    if (cinfo.output_components != (cmyk ? 4 : 3)) {
        jpeg.destroy_decompress(&cinfo);
        return false;
    }

    k.groesse = QSize(int(cinfo.output_width), int(cinfo.output_height));
    const QSize teil = k.groesse.boundedTo(Sichtbar);
    // Columns right of the visible part are not even transformed. One block
    // column more is kept: smoothed colour at a crop's edge would differ from
    // the picture's own in the last visible column.
    const JDIMENSION mitRand = JDIMENSION(teil.width() + cinfo.max_h_samp_factor * DCTSIZE);
    if (cinfo.output_width > mitRand) {
        JDIMENSION links = 0, breite = mitRand;
        jpeg.crop_scanline(&cinfo, &links, &breite);
    }
    k.bild = QImage(teil, QImage::Format_RGB888);
    if (k.bild.isNull()) {
        jpeg.destroy_decompress(&cinfo);
        return false;
    }
    k.zeile.resize(size_t(cinfo.output_width) * size_t(cinfo.output_components));

    const JDIMENSION zeilen = JDIMENSION(teil.height());
    while (cinfo.output_scanline < zeilen) {
        const int y = int(cinfo.output_scanline);
        JSAMPROW zeile = k.zeile.data();
        if (jpeg.read_scanlines(&cinfo, &zeile, 1) != 1) {
            jpeg.destroy_decompress(&cinfo);
            return false;
        }
        uchar *ziel = k.bild.scanLine(y);
        if (cmyk)
            cmykNachRgb(zeile, ziel, teil.width(), cinfo.saw_Adobe_marker);
        else
            std::copy_n(zeile, size_t(teil.width()) * 3, ziel);
    }
    // The rows below the visible part are never decoded, nor is what follows
    // them in the file; a damaged part down there goes unnoticed, as it would
    // go unseen.
    jpeg.destroy_decompress(&cinfo);
    return true;
}

Geladen jpegLesen(Einlesen::Lesedatei &datei, int)
{
    if (datei.groesse() > quint64(MaxJpegDatei))
        return unlesbar();
    const Libjpeg::Funktionen *jpeg = Libjpeg::funktionen();
    if (!jpeg)
        return unlesbar();
    auto kontext = std::make_unique<JpegKontext>();
    kontext->jpeg = jpeg;
    kontext->quelle.datei = &datei;
    kontext->quelle.rest = qint64(datei.groesse());
    kontext->dateiLaenge = qint64(datei.groesse());
    if (!dekodieren(*kontext))
        return unlesbar();
    return gelesen(std::move(kontext->bild), kontext->groesse);
}

// ---- The kinds, one row each ----

struct Art {
    const char *endung;
    Geladen (*lesen)(Einlesen::Lesedatei &, int wartenMs);
};

constexpr Art arten[] = {
    {"jpg", jpegLesen}, {"jpeg", jpegLesen}, {"bmp", bmpLesen}, {"ico", icoLesen}, {"emf", emfLesen}, {"wmf", wmfLesen},
};

} // namespace

Geladen laden(const QString &path, int wartenMs)
{
    // Open first: whether the file can be opened at all decides between the two
    // failures, whatever its name says. Only a regular file opens: a named pipe
    // or a device is refused on the open descriptor, without waiting.
    Einlesen::Lesedatei datei(path);
    if (datei.fehler() != 0)
        return {Ergebnis::NichtGeoeffnet, {}, {}};

    const QString endung = QFileInfo(path).suffix().toLower();
    for (const Art &art : arten)
        if (endung == QLatin1String(art.endung))
            return art.lesen(datei, wartenMs);
    return unlesbar();
}

QString aufloesen(const QString &pfad, const QString &datendatei)
{
    return Bildpfad::aufloesen(pfad, datendatei);
}

QStringList endungen()
{
    QStringList liste;
    for (const Art &art : arten)
        liste << QString::fromLatin1(art.endung);
    return liste;
}

namespace {
// The pixels drawn at build time for `name`, as images that use them in place.
std::vector<QImage> vorlagen(const char *name)
{
    std::vector<QImage> bilder;
    for (std::size_t i = 0; i < Raster::anzahl; ++i) {
        const Raster::Vorlage &v = Raster::vorlagen[i];
        if (std::strcmp(v.name, name) == 0)
            bilder.emplace_back(reinterpret_cast<const uchar *>(v.pixel), v.breite, v.hoehe, v.breite * 4,
                                QImage::Format_ARGB32_Premultiplied);
    }
    return bilder;
}
} // namespace

QImage standardBild()
{
    static const QImage bild = [] {
        for (const QImage &b : vorlagen("schlange"))
            if (b.size() == Sichtbar)
                return b;
        QImage leer(Sichtbar, QImage::Format_ARGB32_Premultiplied);
        leer.fill(Qt::transparent);
        return leer;
    }();
    return bild;
}

QIcon symbol(const char *name)
{
    static QHash<QByteArray, QIcon> gelesen;
    QIcon &icon = gelesen[QByteArray(name)];
    if (icon.isNull())
        for (const QImage &b : vorlagen(name))
            icon.addPixmap(QPixmap::fromImage(b));
    return icon;
}

} // namespace Bild
