// Feeds arbitrary bytes to the picture loader as an enhanced metafile. libemf2svg
// turns it into SVG in a forked child, whose coverage libFuzzer does not see;
// what it sees is the header check before and the drawing of the SVG after.
#include "BildZiel.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    bildziel::anfangen(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bildziel::pruefen({"emf"}, data, size);
    return 0;
}
