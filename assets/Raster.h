#pragma once
// The program's own pictures, drawn from their SVG files at build time
// (rastern.cpp) and compiled in as pixels, so showing them costs neither an
// SVG parse (nor Qt's SVG library) nor a PNG decode.
#include <cstddef>
#include <cstdint>

namespace Raster {
struct Vorlage {
    const char *name; // the SVG file's base name: "neu" for neu.svg
    int breite;
    int hoehe;
    const std::uint32_t *pixel; // premultiplied ARGB, row after row, breite * hoehe of them
};

extern const Vorlage vorlagen[];
extern const std::size_t anzahl;
} // namespace Raster
