#pragma once
// libjpeg, opened when the first JPEG is read rather than at program start:
// most starts show no JPEG at all, and a library the program links is loaded
// and relocated before its first window. The reader calls libjpeg only through
// this table of the few functions it uses.
#include <QString>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace Libjpeg {

struct Funktionen {
    decltype(&jpeg_std_error) std_error;
    decltype(&jpeg_CreateDecompress) CreateDecompress;
    decltype(&jpeg_destroy_decompress) destroy_decompress;
    decltype(&jpeg_read_header) read_header;
    decltype(&jpeg_has_multiple_scans) has_multiple_scans;
    decltype(&jpeg_start_decompress) start_decompress;
    decltype(&jpeg_crop_scanline) crop_scanline;
    decltype(&jpeg_read_scanlines) read_scanlines;
    decltype(&jpeg_resync_to_restart) resync_to_restart;
};

// The functions, the library opened on the first call; nothing when it cannot
// be opened or lacks one of them (a JPEG is then a picture we cannot show).
// A failure is remembered: the library is not looked for again.
const Funktionen *funktionen();

// The runtime library opened: the one the program was built against, by its
// soname. Setting another forgets what was opened before.
QString bibliothek();
void bibliothekSetzen(const QString &name);

} // namespace Libjpeg
