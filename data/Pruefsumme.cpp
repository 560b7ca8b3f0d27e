#include "data/Pruefsumme.h"

#include "data/Einlesen.h"

#include <cstring>
#include <new>
#include <xxhash.h>

namespace Pruefsumme {

struct Summe::Zustand {
    XXH3_state_t *s = XXH3_createState();
    ~Zustand() { XXH3_freeState(s); }
};

Summe::Summe() : z(std::make_unique<Zustand>())
{
    if (!z->s)
        throw std::bad_alloc();
    XXH3_64bits_reset(z->s);
}
Summe::~Summe() = default;
Summe::Summe(Summe &&) noexcept = default;
Summe &Summe::operator=(Summe &&) noexcept = default;

void Summe::dazu(const std::uint8_t *p, std::size_t n)
{
    if (n > 0)
        XXH3_64bits_update(z->s, p, n);
}

std::uint64_t Summe::wert() const
{
    return XXH3_64bits_digest(z->s);
}

std::uint64_t von(const std::uint8_t *p, std::size_t n)
{
    return XXH3_64bits(n ? p : nullptr, n);
}

std::uint64_t frueherVon(const std::uint8_t *p, std::size_t n, std::uint64_t h)
{
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 1099511628211ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

std::optional<std::uint64_t> datei(const QString &pfad, bool frueher)
{
    Einlesen::Lesedatei quelle(pfad);
    if (quelle.fehler() != 0)
        return std::nullopt;
    std::unique_ptr<std::uint8_t[]> puffer(new (std::nothrow) std::uint8_t[Stueck]);
    if (!puffer)
        return std::nullopt;
    Summe summe;
    std::uint64_t alt = FrueherAnfang;
    for (;;) {
        int err = 0;
        const std::size_t n = quelle.lesen(puffer.get(), Stueck, err);
        if (err != 0)
            return std::nullopt;
        if (frueher)
            alt = frueherVon(puffer.get(), n, alt);
        else
            summe.dazu(puffer.get(), n);
        if (n < Stueck)
            return frueher ? alt : summe.wert();
    }
}

} // namespace Pruefsumme
