#pragma once
// Windows-1252 on disk, Unicode on screen: the one converter at the record's boundary.
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace Cp1252 {
// Decodes bytes; every byte maps to exactly one character. The five byte values
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1
// control characters of the same number, so they come back unchanged.
QString decode(const std::uint8_t *bytes, std::size_t count);
QString decode(const QByteArray &bytes);

// Encodes text; one byte per character (a surrogate pair counts as one
// character). A character Windows-1252 cannot hold becomes '?'.
QByteArray encode(const QString &text);

// The characters of `text` that encode() turns into '?', each once, in the
// order they first occur.
QStringList nichtDarstellbar(const QString &text);
} // namespace Cp1252
