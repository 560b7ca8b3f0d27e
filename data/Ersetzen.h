#pragma once
// The safe replace of a file, for the data file, the settings and every
// export alike: the old file is never destroyed before the new bytes are
// complete and flushed.
#include "data/Fehler.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace Ersetzen {

// Told just before the old file at `pfad` (links followed), described by
// `alt`, gets its new bytes. `bleibt`: the new file takes the name by a
// rename and the old one lives on under no name, so a hard link to it keeps
// its bytes; otherwise it is about to be rewritten where it stands, and only
// a copy keeps them. It must not throw: the save goes on whatever it does.
using VorDemErsetzen = std::function<void(const QString &pfad, const struct stat &alt, bool bleibt)>;

// Replaces the file at `path` by `n` bytes: a link is followed, the old file's
// rights are kept (a new file is readable by us alone until it is complete), a
// file we may not write stays untouched, and a failure leaves the old file
// whole. The bytes go to a new file beside the old one (unnamed where the file
// system allows) that takes its name only once it is complete and flushed.
// Extended attributes (among them an access control list) go over to the new
// file. Leftovers of saves into the same folder that were killed midway are
// removed first. A file that cannot be replaced without losing something is
// rewritten in place: one with a second hard link, one whose attributes cannot
// all be copied, one in a folder that takes no new file. Before such a rewrite
// a whole copy of the old bytes is flushed to sicherungsOrdner() with a marker
// that unterbrochen() finds should the rewrite not end; a failed rewrite puts
// the old bytes back. A cache folder that is not safe, or takes no copy, is
// reported as such (ESicherungsOrdner) before the file is touched; no part of
// a copy stays behind. Where the new file cannot get the old one's owner and
// group, the file is rewritten in place too. Raises EInOutError (101 for a full disk, a file-size
// limit or a short write). Returns what the system says of the file now;
// nothing where it could not say.
// With `vorher`, told once just before the old file's bytes are replaced.
std::optional<struct stat> datei(const QString &path, const void *bytes, std::size_t n,
                                 const VorDemErsetzen &vorher = {});

// An in-place rewrite of the file at `path` that was killed before it ended:
// the whole copy of the file before that save, moved to a name of its own in
// the cache folder, whose path is returned. Nothing when no rewrite was
// interrupted, or when the file is whole anyway (then its leftovers go).
std::optional<QString> unterbrochen(const QString &path);

// Removes what in-place rewrites left in the cache folder that nobody needs:
// the copies of files that are whole again, and those of saves that died
// before their marker was in place. Copies of rewrites that were interrupted
// stay for the next load of their file to tell.
void resteAufraeumen();

// A cache folder that cannot safely take a copy: a link, another user's, one
// others may write in, no folder at all, or full. Names the folder.
class ESicherungsOrdner : public EVivarix {
public:
    ESicherungsOrdner(const QString &ordner, const QString &grund);
};

// Opens the folder at `pfad` for copies of the keeper's files, made (with
// those above it) where it is missing: readable by the keeper alone, and no
// link, nobody else's, nor one that others may write in. Returns its
// descriptor (the caller closes it), else -1 and in `grund` why not, in words
// that follow the folder's name ("ist nicht sicher: ...").
int eigenerOrdner(const QString &pfad, QString &grund);

// Where an in-place rewrite keeps its copy of the old bytes:
// $XDG_CACHE_HOME/vivarix, else ~/.cache/vivarix.
QString sicherungsOrdner();

} // namespace Ersetzen
