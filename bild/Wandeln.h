#pragma once
// The conversions the picture helper runs: libwmf draws a wmf with its own
// raster device, just the visible corner; libemf2svg turns an emf into SVG
// text, which Qt's SVG renderer draws. Both libraries parse the file's records
// by hand in C, which is why they run only in the helper (and in the fuzz
// targets, where the fuzzer watches them).
#include "bild/Metaformat.h"

#include <QByteArray>
#include <QSize>
#include <string>

namespace Metadatei {

// The SVG libemf2svg may hand back; past it the picture counts as unreadable.
constexpr qsizetype MaxSvg = 8 * 1024 * 1024;

// Draw the top-left `sichtbar` part of a picture at its own size and append
// the answer (Metaformat.h) to `aus`; false when the bytes are no metafile of
// that kind or the library fails on them. Drawing an emf needs a
// QGuiApplication, for its fonts.
bool wmfWandeln(const QByteArray &daten, QSize sichtbar, std::string &aus);
bool emfWandeln(const QByteArray &daten, QSize sichtbar, std::string &aus);

} // namespace Metadatei
