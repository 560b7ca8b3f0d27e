#pragma once
// The frame of the picture helper program, vivarix-bild: it is started as
//   vivarix-bild KIND WIDTH HEIGHT
// with the file's bytes on standard input, and writes the answer (Metaformat.h)
// to standard output. Before it touches the bytes it takes away its own right
// to write files and to dump core, and bounds its memory, CPU time and wall
// time; the answer is bounded by the visible area. A hostile file can at worst
// cost the helper, which the program then reports as a damaged picture.
#include <QByteArray>
#include <QSize>

#include <cstddef>
#include <string>

namespace Bildhelfer {

// What the helper may take beyond what it holds at its start.
constexpr unsigned long ArbeitsSpeicher = 256ul * 1024 * 1024;
constexpr unsigned long CpuSekunden = 2;

struct Art {
    const char *name;
    bool (*wandeln)(const QByteArray &daten, QSize sichtbar, std::string &aus);
};

// The helper's whole work for the kinds it knows; never returns.
[[noreturn]] void ausfuehren(int argc, char **argv, const Art *arten, std::size_t anzahl);

} // namespace Bildhelfer
