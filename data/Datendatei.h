#pragma once
// The data file: the records back to back, 44,432 bytes each, nothing else.
#include "data/Ersetzen.h"
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
    // A checksum of the bytes, kept where the file was written moments before
    // it was looked at: times changed since then may hide the same bytes (a
    // file merely touched), times unchanged may hide other bytes.
    std::optional<std::uint64_t> pruefsumme;
    // Every later change shows in the file's times: they are kept finely and
    // the clock that stamps them had moved on past the last change. Unchanged
    // times then need no look at the bytes.
    bool zeitenReichen = false;
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

// The largest data file that is loaded: half the memory the system has left.
std::uint64_t ladeGrenze();
// Whether a file of `groesse` bytes is within that limit (asked for files over
// 16 MiB only, as laden does).
bool ladbar(std::uint64_t groesse);

// Writes `n` records starting at `records` to `path` through the safe replace
// (Ersetzen::datei): the old file is never destroyed. Raises EInOutError (101
// for a full disk, a file-size limit or a short write) and then leaves the old
// file as it was. Returns what the file is now.
// With `vorher`, told before the old file is replaced (to keep it).
Stand speichern(const QString &path, const TSchlange *records, std::size_t n,
                const Ersetzen::VorDemErsetzen &vorher = {});
inline Stand speichern(const QString &path, const TSchlangen &s, const Ersetzen::VorDemErsetzen &vorher = {})
{
    return speichern(path, s.data(), s.size(), vorher);
}

} // namespace Datendatei
