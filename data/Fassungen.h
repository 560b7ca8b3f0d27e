#pragma once
// Earlier versions of a data file: before a save replaces the file, its
// previous content is kept, at most one a calendar day, for the last seven
// days, in a folder of the keeper's own per data file.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <sys/stat.h>
#include <vector>

namespace Fassungen {

// How many days back versions are kept (and how many at most per file).
constexpr int Tage = 7;
// A data file larger than this (1 GB) keeps no versions.
constexpr std::uint64_t HoechstensBytes = 1000000000;

// $XDG_DATA_HOME/vivarix/Fassungen, else ~/.local/share/vivarix/Fassungen.
QString wurzel();
// The versions' folder of the data file `datei`: its name and a short hash of
// its whole path, so that files of the same name in other folders never mix.
QString ordnerFuer(const QString &datei);

// Keeps the file at `pfad` (described by `alt`), about to be replaced, as the
// version of the day `heute`, unless that day has one already; then drops the
// versions past the last seven days. With `bleibt` (the old file lives on
// under no name after the save) and the folder on the same file system, a
// hard link keeps it; otherwise a copy. Never fails the save: returns what
// the keeper is to be told when no version could be kept, else nothing.
QString behalten(const QString &pfad, const struct stat &alt, bool bleibt, const QDate &heute);

struct Fassung {
    QString pfad;
    QDate tag;       // the day it was kept
    QDateTime stand; // when its content was written
    std::uint64_t groesse = 0;
    std::uint64_t schlangen = 0;
};
// The versions kept of the data file `datei`, newest first.
std::vector<Fassung> liste(const QString &datei);

} // namespace Fassungen
