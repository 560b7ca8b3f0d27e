// Feeds arbitrary bytes to the picture loader: the first byte picks the kind
// (the file's extension), the rest is the file. The targets fuzz_bild_* do the
// same for one kind each, so each loader gets the fuzzer's whole time.
#include "BildZiel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bildziel::pruefen(Bild::endungen(), data, size);
    return 0;
}
