#include "data/Fortschritt.h"

#include <algorithm>
#include <utility>

namespace Fortschritt {
namespace {
// Small enough for a smooth bar, large enough that the calls cost nothing.
constexpr std::size_t Scheibe = std::size_t(8) << 20;

// Each thread has its own: a helper that reads ahead never reports to the
// window that the user-interface thread is updating.
Melder &aktuell()
{
    thread_local Melder m;
    return m;
}
} // namespace

Rahmen::Rahmen(Melder m) : vorher(std::exchange(aktuell(), std::move(m))) {}

Rahmen::~Rahmen()
{
    aktuell() = std::move(vorher);
}

std::size_t stueck(std::size_t hoechstens)
{
    return aktuell() ? std::min(hoechstens, Scheibe) : hoechstens;
}

void melden(std::uint64_t erledigt, std::uint64_t gesamt)
{
    if (aktuell())
        aktuell()(erledigt, gesamt);
}
} // namespace Fortschritt
