#include "data/Pruefsumme.h"

#include "data/Einlesen.h"

#include <cstring>
#include <memory>
#include <new>

namespace Pruefsumme {

std::uint64_t von(const std::uint8_t *p, std::size_t n, std::uint64_t h)
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

std::optional<std::uint64_t> datei(const QString &pfad)
{
    Einlesen::Lesedatei quelle(pfad);
    if (quelle.fehler() != 0)
        return std::nullopt;
    std::unique_ptr<std::uint8_t[]> puffer(new (std::nothrow) std::uint8_t[Stueck]);
    if (!puffer)
        return std::nullopt;
    std::uint64_t h = Anfang;
    for (;;) {
        int err = 0;
        const std::size_t n = quelle.lesen(puffer.get(), Stueck, err);
        if (err != 0)
            return std::nullopt;
        h = von(puffer.get(), n, h);
        if (n < Stueck)
            return h;
    }
}

} // namespace Pruefsumme
