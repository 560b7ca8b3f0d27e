#pragma once
// Loading a snake's picture. The kind follows the file's extension, in any
// letter case; each kind has one reader here, so a new kind plugs in at one place.
// Every file is opened through the program's one bounded reader: only a
// regular file, checked on the descriptor that is read, and never more bytes
// than its size at the open and the limit of its kind.
//
// The card shows a picture at its own size from the top-left corner of an area
// of 120 × 145 pixels, so only that corner is ever decoded where the format
// allows: a photo of 16,000 × 12,000 pixels costs little more than a thumbnail.
// Whatever still has to be held in memory is bounded, and a file whose header
// promises more than its bytes can hold is refused before anything large is
// allocated for it.
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

namespace Bild {
enum class Ergebnis {
    Ok,             // the picture was read
    NichtGeoeffnet, // the file could not be opened (missing, no access, a folder, ...)
    Unlesbar,       // it opened but holds nothing we can show (unknown kind, damaged, cut off, too large)
    InArbeit        // a metafile still being converted; Metadatei::Wandlungen::fertig tells when to ask again
};

// The part of a picture the card shows.
constexpr QSize Sichtbar{120, 145};

struct Geladen {
    Ergebnis ergebnis = Ergebnis::Unlesbar;
    QImage bild;   // the picture's top-left part, at most Sichtbar; null unless ergebnis == Ok
    QSize groesse; // the whole picture's size; empty unless ergebnis == Ok
};

// What libjpeg may hold for a JPEG that must be read whole before its first row
// (progressive or otherwise multi-scan). Past it the picture is refused.
constexpr qint64 MaxJpegSpeicher = qint64(512) * 1024 * 1024;
// Such a JPEG codes every 8 × 8 block with at least one bit, and libjpeg keeps
// 128 bytes for each: a file can honestly ask for no more than this many bytes
// of that memory per byte it has.
constexpr qint64 JpegSpeicherJeByte = 128 * 8;
// Every scan of a progressive JPEG passes over the whole picture again; real
// files have a few dozen at most, a hostile one could have thousands.
constexpr int MaxJpegScans = 200;
// The work of reading such a JPEG: its 8 × 8 blocks times its scans. A scan of
// nothing but end-of-band runs costs little file yet a pass over every block;
// a photo of fifty million pixels in ten scans needs about eleven million.
constexpr qint64 MaxJpegArbeit = qint64(1) << 24;
// Bitmaps and icons are read whole by Qt; this many MiB at most.
constexpr int MaxQtSpeicherMiB = 256;
// Icons are small; larger icon files are not read at all.
constexpr qint64 MaxIcoDatei = 16 * 1024 * 1024;
// A bitmap file larger than the pixels Qt may hold cannot be shown either.
constexpr qint64 MaxBmpDatei = qint64(MaxQtSpeicherMiB) * 1024 * 1024;
// JPEG files are read as they are decoded, a baseline one only as far as the
// visible rows; a larger one is no snake's photo.
constexpr qint64 MaxJpegDatei = qint64(256) * 1024 * 1024;

// How long a window waits for a metafile's conversion before it shows the
// default picture and goes on answering.
constexpr int FensterWartezeitMs = 40;

// Loads the picture at `path`. A metafile not converted before is waited for
// up to `wartenMs` milliseconds (negative: until its conversion ends);
// after that the result is InArbeit.
Geladen laden(const QString &path, int wartenMs = -1);

// Where a stored picture path points. An absolute path stays as it is; a
// relative one names the file beside the data file `datendatei` if it is
// there, else below the current directory.
QString aufloesen(const QString &pfad, const QString &datendatei);

// The file extensions (lower case, without dot) of the kinds we can show.
QStringList endungen();

// The default snake picture shown when a snake has none.
QImage standardBild();

// One of the program's own symbols (tool bar, menu, card), in the sizes drawn
// for it at build time. Each is read once and then shared.
QIcon symbol(const char *name);
} // namespace Bild
