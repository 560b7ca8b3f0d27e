#pragma once
// A checksum of bytes (XXH3, 64 bits): what tells a data file's change where
// its times cannot, and what the marker of an in-place rewrite names the old
// and the new bytes by. Bytes summed in pieces of any length give the sum of
// the whole.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace Pruefsumme {
// The piece a file is read in.
constexpr std::size_t Stueck = std::size_t(1) << 20;

// The sum of bytes that arrive in pieces.
class Summe {
public:
    Summe();
    ~Summe();
    Summe(Summe &&) noexcept;
    Summe &operator=(Summe &&) noexcept;
    void dazu(const std::uint8_t *p, std::size_t n);
    std::uint64_t wert() const;

private:
    struct Zustand;
    std::unique_ptr<Zustand> z;
};

// The sum of `n` bytes at `p`.
std::uint64_t von(const std::uint8_t *p, std::size_t n);

// The checksum of the file at `pfad`, read through the bounded reader;
// nothing when it cannot be read. With `frueher`, the sum that markers of
// earlier versions of this program hold (see frueherVon).
std::optional<std::uint64_t> datei(const QString &pfad, bool frueher = false);

// The sum earlier versions wrote into their markers: only to recognise a
// marker such a version left behind.
constexpr std::uint64_t FrueherAnfang = 14695981039346656037ull;
std::uint64_t frueherVon(const std::uint8_t *p, std::size_t n, std::uint64_t h = FrueherAnfang);
} // namespace Pruefsumme
