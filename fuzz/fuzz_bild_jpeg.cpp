// Feeds arbitrary bytes to the picture loader as a JPEG file (libjpeg, baseline
// and progressive).
#include "BildZiel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bildziel::pruefen({"jpg"}, data, size);
    return 0;
}
