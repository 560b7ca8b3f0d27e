#pragma once
// The export file: one snake's card and both journals as text lines,
// Windows-1252, every line ended by CR LF.
#include "data/TSchlange.h"

#include <QByteArray>
#include <QString>

namespace Export {
// The file's bytes. Texts are written as stored (a CR or LF in one as a blank,
// so every line stays one line), journals in slot order up to the first empty
// date; the interval and the picture path are left out.
QByteArray text(const TSchlange &s);

// The proposed file name: the snake's name and ".txt". A "/" or NUL in the
// name becomes "_", so the proposal always names a file in the dialog's folder.
QString vorschlag(const QString &name);

// Writes the file through the data file's safe replace: a failure raises
// EInOutError and leaves an earlier file of that name whole.
void schreiben(const QString &path, const TSchlange &s);
} // namespace Export
