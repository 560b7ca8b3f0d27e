#include "bild/Wandeln.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <vector>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace Metadatei {

// libwmf's own raster device draws the visible corner at the picture's own
// size (its SVG device would round every colour to the nearest named one).
// gd keeps each pixel as alpha (0 opaque to 127 clear), then RGB.
bool wmfWandeln(const QByteArray &daten, QSize sichtbar, std::string &aus)
{
    if (!kopfGueltig(Art::Wmf, daten))
        return false;
    wmfAPI_Options optionen{};
    optionen.function = wmf_gd_function;
    wmfAPI *api = nullptr;
    if (wmf_api_create(&api, WMF_OPT_FUNCTION | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG, &optionen) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return false;
    }
    std::vector<unsigned char> puffer(daten.begin(), daten.end());
    bool ok = wmf_mem_open(api, puffer.data(), long(puffer.size())) == wmf_E_None;
    wmfD_Rect rahmen{};
    unsigned int breite = 0, hoehe = 0;
    ok = ok && wmf_scan(api, 0, &rahmen) == wmf_E_None;
    // 96 dots per inch: the size the picture has on a usual screen.
    ok = ok && wmf_display_size(api, &breite, &hoehe, 96, 96) == wmf_E_None;
    ok = ok && kanteGueltig(breite) && kanteGueltig(hoehe) && rahmen.BR.x > rahmen.TL.x && rahmen.BR.y > rahmen.TL.y;
    QImage teil;
    if (ok) {
        const QSize t = QSize(int(breite), int(hoehe)).boundedTo(sichtbar);
        // The part of the picture's frame that the visible corner shows.
        wmfD_Rect ecke = rahmen;
        ecke.BR.x = rahmen.TL.x + (rahmen.BR.x - rahmen.TL.x) * float(t.width()) / float(breite);
        ecke.BR.y = rahmen.TL.y + (rahmen.BR.y - rahmen.TL.y) * float(t.height()) / float(hoehe);
        wmf_gd_t *gd = WMF_GD_GetData(api);
        gd->type = wmf_gd_image;
        gd->bbox = ecke;
        gd->width = unsigned(t.width());
        gd->height = unsigned(t.height());
        ok = wmf_play(api, 0, &ecke) == wmf_E_None && gd->gd_image;
        const int *pixel = ok ? wmf_gd_image_pixels(gd->gd_image) : nullptr;
        ok = pixel != nullptr;
        if (ok) {
            teil = QImage(t, QImage::Format_ARGB32);
            ok = !teil.isNull();
        }
        for (int y = 0; ok && y < t.height(); ++y) {
            auto *zeile = reinterpret_cast<QRgb *>(teil.scanLine(y));
            for (int x = 0; x < t.width(); ++x) {
                const auto p = unsigned(*pixel++);
                const int deckung = 255 - int((p >> 24) & 0x7F) * 255 / 127;
                zeile[x] = qRgba(int(p >> 16) & 0xFF, int(p >> 8) & 0xFF, int(p) & 0xFF, deckung);
            }
        }
    }
    wmf_api_destroy(api);
    if (!ok)
        return false;
    antwortAnhaengen(aus, QSize(int(breite), int(hoehe)), teil);
    return true;
}

namespace {
// The SVG text of an emf drawn at its own size; false when the library fails
// or answers more than MaxSvg bytes.
bool emfNachSvg(const QByteArray &daten, QSize groesse, QByteArray &svg)
{
    generatorOptions optionen{};
    optionen.nameSpace = const_cast<char *>("svg");
    optionen.verbose = false;
    optionen.emfplus = true;
    optionen.svgDelimiter = true;
    optionen.imgWidth = groesse.width();
    optionen.imgHeight = groesse.height();
    std::vector<char> puffer(daten.begin(), daten.end());
    char *text = nullptr;
    size_t laenge = 0;
    const int erfolg = emf2svg(puffer.data(), puffer.size(), &text, &laenge, &optionen);
    const bool ok = erfolg != 0 && text && laenge > 0 && laenge <= size_t(MaxSvg);
    if (ok)
        svg = QByteArray(text, qsizetype(laenge));
    std::free(text);
    return ok;
}
} // namespace

bool emfWandeln(const QByteArray &daten, QSize sichtbar, std::string &aus)
{
    if (!kopfGueltig(Art::Emf, daten))
        return false;
    const QSize groesse = emfGroesse(daten);
    if (!kanteGueltig(groesse.width()) || !kanteGueltig(groesse.height()))
        return false;
    QByteArray text;
    if (!emfNachSvg(daten, groesse, text))
        return false;
    QSvgRenderer svg(text);
    if (!svg.isValid())
        return false;
    // Only the visible corner is drawn; the rest of the picture falls outside.
    QImage bild(groesse.boundedTo(sichtbar), QImage::Format_ARGB32_Premultiplied);
    if (bild.isNull())
        return false;
    bild.fill(Qt::transparent);
    QPainter maler(&bild);
    maler.setRenderHint(QPainter::Antialiasing);
    svg.render(&maler, QRectF(QPointF(0, 0), QSizeF(groesse)));
    maler.end();
    antwortAnhaengen(aus, groesse, bild);
    return true;
}

} // namespace Metadatei
