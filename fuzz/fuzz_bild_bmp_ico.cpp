// Feeds arbitrary bytes to the picture loader as a bitmap or an icon (both read by
// Qt): the first byte picks which, the rest is the file.
#include "BildZiel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bildziel::pruefen({"bmp", "ico"}, data, size);
    return 0;
}
