#pragma once
// What the program and its picture helper agree on about Windows metafiles
// ("wmf") and enhanced metafiles ("emf"): the bounds, the headers that are
// checked before a helper is started at all, and the helper's answer.
//
// The answer: the picture's own size and the size of its visible corner
// (four 32-bit numbers, little endian: width, height, visible width, visible
// height), then the visible corner's pixels row by row, each a 32-bit ARGB
// value (not premultiplied), little endian.
#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstddef>
#include <optional>
#include <string>

namespace Metadatei {

// Larger metafiles are not read at all; real clip-art stays far below.
constexpr qint64 MaxDatei = 16 * 1024 * 1024;
// Own sizes beyond this on either side are taken as damage.
constexpr int MaxKante = 32767;
// Wall-clock bound for a conversion that neither works nor ends. A normal
// conversion takes milliseconds.
constexpr int FristMs = 5000;

struct Gezeichnet {
    QImage bild;   // the visible part, at most `sichtbar`, transparent where nothing is drawn
    QSize groesse; // the picture's own size in pixels at 96 dots per inch
};

enum class Art { Wmf, Emf };

// The helper's name for a kind: "wmf" or "emf".
const char *artName(Art art);

bool kanteGueltig(qint64 n);

// Whether the bytes begin with a header of that kind whose recorded length
// fits the bytes: anything else is no such metafile, or a cut-off one.
bool kopfGueltig(Art art, const QByteArray &daten);

// The own size of an emf: its frame at 96 dots per inch, or its device bounds.
QSize emfGroesse(const QByteArray &daten);

// The longest answer for a visible area of `sichtbar`.
qsizetype antwortHoechstens(QSize sichtbar);

// Appends the answer for a picture of own size `groesse` whose visible corner is `teil`.
void antwortAnhaengen(std::string &aus, QSize groesse, const QImage &teil);

// Writes all `n` bytes to the descriptor, over partial writes and interruptions.
bool allesSchreiben(int fd, const char *p, std::size_t n);

// The picture an answer describes, or nothing when it is not a whole answer
// for `sichtbar` (the visible corner must be exactly the own size bounded by it).
std::optional<Gezeichnet> antwortLesen(const QByteArray &antwort, QSize sichtbar);

} // namespace Metadatei
