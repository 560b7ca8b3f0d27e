#pragma once
// The data file: the records back to back, 44,432 bytes each, nothing else.
#include "data/TSchlange.h"
#include <QString>
#include <cstdint>

namespace Datendatei {
// Reads every record of the file at `path` and appends each to `ziel` in file
// order. The file is opened for reading only. Raises EInOutError: on a failed
// open (code from the system's error number) and on a short record (100); the
// records read before the failure stay appended. A file larger than
// `hoechstens` bytes (by default ladeGrenze(), asked for files over 16 MiB
// only) is refused with EDateiZuGross before anything is read.
void laden(const QString &path, TSchlangen &ziel);
void laden(const QString &path, TSchlangen &ziel, std::uint64_t hoechstens);

// The largest data file that is loaded: half the memory the system has left.
std::uint64_t ladeGrenze();

// Writes `n` records starting at `records` to `path`. The old file is never
// destroyed: the bytes go to a new file beside it (unnamed where the file
// system allows) that replaces the old one only once it is complete and
// flushed. Raises EInOutError (101 for a full disk, a file-size limit or a
// short write) and then leaves the old file as it was.
void speichern(const QString &path, const TSchlange *records, std::size_t n);
inline void speichern(const QString &path, const TSchlangen &s) { speichern(path, s.data(), s.size()); }

// Replaces the file at `path` by `n` bytes the same safe way (also used for the
// settings file): a link is followed, the old file's rights are kept (a new
// file is readable by us alone until it is complete), a file we may not write
// stays untouched, and a failure leaves the old file whole. Leftovers of saves
// into the same folder that were killed midway are removed first. In a folder
// that takes no new file, a file we may write is rewritten in place, its old
// bytes kept in memory and written back if the rewrite fails.
void dateiErsetzen(const QString &path, const void *bytes, std::size_t n);
} // namespace Datendatei
