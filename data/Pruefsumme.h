#pragma once
// A checksum of bytes, eight at a time: what tells a data file's change where
// its times cannot, and what the marker of an in-place rewrite names the old
// and the new bytes by. Bytes summed in pieces whose lengths (all but the
// last) are multiples of eight give the sum of the whole.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace Pruefsumme {
constexpr std::uint64_t Anfang = 14695981039346656037ull;
// The piece a file is summed in.
constexpr std::size_t Stueck = std::size_t(1) << 20;

// The sum of `n` bytes at `p`, continuing the sum `h` of the bytes before them.
std::uint64_t von(const std::uint8_t *p, std::size_t n, std::uint64_t h = Anfang);

// The checksum of the file at `pfad`, read through the bounded reader;
// nothing when it cannot be read.
std::optional<std::uint64_t> datei(const QString &pfad);
} // namespace Pruefsumme
