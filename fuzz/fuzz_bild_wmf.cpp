// Feeds arbitrary bytes to the picture loader as a Windows metafile. libwmf draws
// it in a forked child, whose coverage libFuzzer does not see; what it sees is
// the header check before and the reading of the child's answer after.
#include "BildZiel.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    bildziel::anfangen(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bildziel::pruefen({"wmf"}, data, size);
    return 0;
}
