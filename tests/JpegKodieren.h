#pragma once
// JPEG files for the picture tests, encoded through libjpeg directly.
#include <QByteArray>
#include <QColor>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

// Encodes a w × h JPEG whose row y `zeileVon(y)` hands out; with `skript`,
// in exactly those scans.
template <typename ZeileVon>
QByteArray jpegAusZeilen(int w, int h, J_COLOR_SPACE raum, int komponenten, bool progressiv, ZeileVon zeileVon,
                         const std::vector<jpeg_scan_info> &skript = {})
{
    jpeg_compress_struct c{};
    jpeg_error_mgr fehler{};
    c.err = jpeg_std_error(&fehler);
    jpeg_create_compress(&c);
    unsigned char *puffer = nullptr;
    unsigned long laenge = 0;
    jpeg_mem_dest(&c, &puffer, &laenge);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = komponenten;
    c.in_color_space = raum;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (progressiv)
        jpeg_simple_progression(&c);
    if (!skript.empty()) {
        c.scan_info = skript.data();
        c.num_scans = int(skript.size());
    }
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW z = zeileVon(int(c.next_scanline));
        jpeg_write_scanlines(&c, &z, 1);
    }
    jpeg_finish_compress(&c);
    QByteArray daten(reinterpret_cast<const char *>(puffer), qsizetype(laenge));
    jpeg_destroy_compress(&c);
    std::free(puffer);
    return daten;
}

// Encodes a w × h JPEG whose every pixel is `pixel` (components as the colour
// space wants them).
inline QByteArray jpegKodieren(int w, int h, J_COLOR_SPACE raum, const std::vector<JSAMPLE> &pixel)
{
    std::vector<JSAMPLE> zeile;
    for (int x = 0; x < w; ++x)
        zeile.insert(zeile.end(), pixel.begin(), pixel.end());
    return jpegAusZeilen(w, h, raum, int(pixel.size()), false, [&](int) { return zeile.data(); });
}

inline QByteArray rgbJpeg(int w, int h, QColor farbe)
{
    return jpegKodieren(w, h, JCS_RGB, {JSAMPLE(farbe.red()), JSAMPLE(farbe.green()), JSAMPLE(farbe.blue())});
}
