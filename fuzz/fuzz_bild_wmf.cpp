// Feeds arbitrary bytes to the picture loader as a Windows metafile, as the program
// reads it (the library working in the helper program), and then to the same
// conversion with the library working in this process: libFuzzer does not see
// the helper's coverage, and a fault the helper makes only ends the helper.
#include "BildZiel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bildziel::pruefen({"wmf"}, data, size);
    bildziel::metadateiPruefen(Metadatei::wmfWandeln, data, size);
    return 0;
}
