#pragma once
// The data file: the records back to back, 44,432 bytes each, nothing else.
#include "data/TSchlange.h"
#include <QString>
#include <cstdint>
#include <optional>

namespace Datendatei {
// What a data file was when this program last loaded or saved it, so that a
// save notices another program's change in between.
struct Stand {
    bool bekannt = false;
    std::uint64_t geraet = 0, knoten = 0, groesse = 0;
    std::int64_t geaendert = 0, umgeschrieben = 0; // modification and change time, in nanoseconds
    // A checksum of the bytes, kept where the times cannot tell a change: the
    // file was written moments before it was looked at, within the clock's
    // granularity of the file system.
    std::optional<std::uint64_t> pruefsumme;
};

// Reads every record of the file at `path` and appends each to `ziel` in file
// order. The file is opened for reading only. Raises EInOutError: on a failed
// open (code from the system's error number) and on a short record (100); the
// records read before the failure stay appended. A file larger than
// `hoechstens` bytes (by default ladeGrenze(), asked for files over 16 MiB
// only) is refused with EDateiZuGross before anything is read.
// With `stand`, what the file was when it was read (from the open file).
void laden(const QString &path, TSchlangen &ziel);
void laden(const QString &path, TSchlangen &ziel, Stand *stand);
void laden(const QString &path, TSchlangen &ziel, std::uint64_t hoechstens);

// True when the file at `path` is still the one `stand` describes, or is not
// there any more (then no other program's work can be lost by saving).
bool unveraendert(const QString &path, const Stand &stand);

// An in-place rewrite of the file at `path` that was killed before it ended:
// the whole copy of the file before that save, moved to a name of its own in
// the cache folder, whose path is returned. Nothing when no rewrite was
// interrupted, or when the file is whole anyway (then its leftovers go).
std::optional<QString> unterbrochen(const QString &path);

// Where an in-place rewrite keeps its copy of the old bytes:
// $XDG_CACHE_HOME/vivarix, else ~/.cache/vivarix.
QString sicherungsOrdner();

// The largest data file that is loaded: half the memory the system has left.
std::uint64_t ladeGrenze();

// Writes `n` records starting at `records` to `path`. The old file is never
// destroyed: the bytes go to a new file beside it (unnamed where the file
// system allows) that replaces the old one only once it is complete and
// flushed. Raises EInOutError (101 for a full disk, a file-size limit or a
// short write) and then leaves the old file as it was. Returns what the file
// is now.
Stand speichern(const QString &path, const TSchlange *records, std::size_t n);
inline Stand speichern(const QString &path, const TSchlangen &s) { return speichern(path, s.data(), s.size()); }

// Replaces the file at `path` by `n` bytes the same safe way (also used for the
// settings file): a link is followed, the old file's rights are kept (a new
// file is readable by us alone until it is complete), a file we may not write
// stays untouched, and a failure leaves the old file whole. Extended
// attributes (among them an access control list) go over to the new file.
// Leftovers of saves into the same folder that were killed midway are removed
// first. A file that cannot be replaced without losing something is rewritten
// in place: one with a second hard link, one whose attributes cannot all be
// copied, one in a folder that takes no new file. Before such a rewrite a
// whole copy of the old bytes is flushed to sicherungsOrdner() with a marker
// that unterbrochen() finds should the rewrite not end; a failed rewrite puts
// the old bytes back.
Stand dateiErsetzen(const QString &path, const void *bytes, std::size_t n);
} // namespace Datendatei
