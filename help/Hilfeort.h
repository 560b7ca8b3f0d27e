#pragma once
// Where the help pages are looked for. The current directory comes first, as
// it always has; but file dialogs move it, so the folder the program started
// in, the program's own folder and an installed share folder follow.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace Hilfeort {
// The folders that may hold "hilfe.htm", in the order they are tried:
// <current>/hilfe, <start>/hilfe, <program>/hilfe, <program>/../share/vivarix/hilfe.
// An empty start folder is left out, and so is a folder named twice.
QStringList ordner(const QString &aktuell, const QString &start, const QString &programm);

// The same for this process: its current directory, the given start folder
// and the folder of the program file.
QStringList ordner(const QString &start);

// The full path of "hilfe.htm" in the first of `ordner` that holds it as a
// readable page (see lesbar); empty when none does.
QString finden(const QStringList &ordner);

// What the help reads of one file at most: a page or a style sheet, a picture.
// The shipped pages are a few kilobytes; anything larger is no help page.
constexpr qsizetype SeiteHoechstens = qsizetype(1) << 20;
constexpr qsizetype BildHoechstens = qsizetype(4) << 20;

// Whether `datei` is a regular file of at most `hoechstens` bytes inside the
// help folder `ordner` (or a folder below it) once every link is followed.
// Pipes, devices and whatever lies outside the folder are no part of the help.
bool lesbar(const QString &ordner, const QString &datei, qsizetype hoechstens);

// The bytes of such a file, read through the bounded reader; nothing when the
// file is not one (or has grown past the limit since it was looked at).
std::optional<QByteArray> lesen(const QString &ordner, const QString &datei, qsizetype hoechstens);
} // namespace Hilfeort
