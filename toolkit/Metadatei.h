#pragma once
// Windows metafiles ("wmf") and enhanced metafiles ("emf").
//
// libwmf draws a wmf with its own raster device, just the visible corner;
// libemf2svg turns an emf into SVG text, which Qt's SVG renderer draws. Both
// libraries parse the file's records by hand in C, so they run in a short-lived
// child process with bounded memory, CPU time and output and without the right
// to write files: a hostile file can at worst cost that child.
#include <QByteArray>
#include <QImage>
#include <QSize>

#include <functional>
#include <optional>
#include <string>

namespace Metadatei {

// Larger metafiles are not read at all; real clip-art stays far below.
constexpr qint64 MaxDatei = 16 * 1024 * 1024;
// The SVG a library may hand back; past it the picture counts as unreadable.
constexpr qsizetype MaxSvg = 8 * 1024 * 1024;
// Own sizes beyond this on either side are taken as damage.
constexpr int MaxKante = 32767;

struct Gezeichnet {
    QImage bild;    // the visible part, at most `sichtbar`, transparent where nothing is drawn
    QSize groesse;  // the picture's own size in pixels at 96 dots per inch
};

// Runs `umwandeln` in a forked child that may not write files and has 256 MiB
// of memory beyond what it inherits, two seconds of CPU time and five of wall
// time; returns what it appended to its text, or nothing when it returned
// false, crashed, overran a limit or produced more than MaxSvg bytes.
std::optional<QByteArray> abgeschirmt(const std::function<bool(std::string &)> &umwandeln);

// How the library's work is run: in the child above; the fuzz targets run it
// in their own process too, where the fuzzer sees its coverage and faults.
using Abschirmung = std::optional<QByteArray> (*)(const std::function<bool(std::string &)> &);

// Draw the top-left `sichtbar` part of a picture at its own size; nothing when
// the bytes are no metafile of that kind or the library fails on them.
std::optional<Gezeichnet> wmfZeichnen(const QByteArray &daten, QSize sichtbar, Abschirmung abschirmen = abgeschirmt);
std::optional<Gezeichnet> emfZeichnen(const QByteArray &daten, QSize sichtbar, Abschirmung abschirmen = abgeschirmt);

} // namespace Metadatei
