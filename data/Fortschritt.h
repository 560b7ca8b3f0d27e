#pragma once
// Progress of a long read or write, for a window that wants to show it. While
// a Melder is set, the data layer moves its bytes in slices and reports after
// each; without one it reads and writes in as few calls as it can.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace Fortschritt {
using Melder = std::function<void(std::uint64_t erledigt, std::uint64_t gesamt)>;

// Sets the Melder for its own lifetime: one load or save, on the thread that
// does the work (each thread has a Melder of its own).
class Rahmen {
public:
    explicit Rahmen(Melder m);
    ~Rahmen();
    Rahmen(const Rahmen &) = delete;
    Rahmen &operator=(const Rahmen &) = delete;

private:
    Melder vorher;
};

// The most one call may move: `hoechstens`, or a slice while someone listens.
std::size_t stueck(std::size_t hoechstens);
void melden(std::uint64_t erledigt, std::uint64_t gesamt);
} // namespace Fortschritt
