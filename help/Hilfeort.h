#pragma once
// Where the help pages are looked for. The current directory comes first, as
// it always has; but file dialogs move it, so the folder the program started
// in, the program's own folder and an installed share folder follow.
#include <QString>
#include <QStringList>

namespace Hilfeort {
// The folders that may hold "hilfe.htm", in the order they are tried:
// <current>/hilfe, <start>/hilfe, <program>/hilfe, <program>/../share/vivarix/hilfe.
// An empty start folder is left out, and so is a folder named twice.
QStringList ordner(const QString &aktuell, const QString &start, const QString &programm);

// The same for this process: its current directory, the given start folder
// and the folder of the program file.
QStringList ordner(const QString &start);

// The full path of "hilfe.htm" in the first of `ordner` that holds it as a
// file; empty when none does.
QString finden(const QStringList &ordner);
} // namespace Hilfeort
