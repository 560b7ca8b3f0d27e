#pragma once
// Loading a snake's picture. The kind follows the file's extension, in any
// letter case; each kind has one reader here, so a new kind plugs in at one place.
#include <QImage>
#include <QString>

namespace Bild {
enum class Ergebnis {
    Ok,             // the picture was read
    NichtGeoeffnet, // the file could not be opened (missing, no access, ...)
    Unlesbar        // it opened but holds nothing we can show (unknown kind, damaged, too large)
};

struct Geladen {
    Ergebnis ergebnis = Ergebnis::Unlesbar;
    QImage bild; // null unless ergebnis == Ok
};

// Pictures larger than this in either direction are refused before anything
// is allocated for them.
constexpr int MaxKante = 8192;

Geladen laden(const QString &path);

// The file extensions (lower case, without dot) of the kinds we can show.
QStringList endungen();

// The default snake picture shown when a snake has none.
QImage standardBild();
} // namespace Bild
