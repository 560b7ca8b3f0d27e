#pragma once
// A fuzz target's own folder for the files it writes: made once, under
// $TMPDIR (else /tmp), as `name`.XXXXXX.
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz {
inline std::string neuerOrdner(const char *name)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string muster = std::string(tmp && *tmp ? tmp : "/tmp") + '/' + name + ".XXXXXX";
    if (!::mkdtemp(muster.data()))
        std::abort();
    return muster;
}
} // namespace fuzz
