#pragma once
// Where a snake's picture path points, and the form in which the record's
// field of fifty characters can keep it.
#include "data/TSchlange.h"

#include <QString>
#include <optional>
#include <vector>

namespace Bildpfad {

// Where a stored picture path points. An absolute path stays as it is; a
// relative one names the file beside the data file `datendatei` if it is
// there, else below the current directory.
QString aufloesen(const QString &pfad, const QString &datendatei);

// The form the record keeps for the picture at the absolute path `absolut`:
// the path itself where it fits the field, else the part below the folder of
// `datendatei` where that fits; nothing where neither does.
std::optional<QString> speicherbar(const QString &absolut, const QString &datendatei);

// A snake whose picture path must change when the collection moves from the
// data file `alt` to `neu` in another folder: its new path, or nothing when
// no path that fits the field reaches the picture from there.
struct Umzug {
    std::size_t index;
    std::optional<QString> neu;
};
// Only relative paths that name a picture there are looked at: an absolute
// path reaches the same file from anywhere, a relative one that already names
// a file beside `neu` (a folder copied with its pictures) stays, and one that
// reached nothing before is no loss of the move.
std::vector<Umzug> umziehen(const TSchlangen &schlangen, const QString &alt, const QString &neu);

} // namespace Bildpfad
