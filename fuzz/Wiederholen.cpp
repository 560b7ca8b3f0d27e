// Stands in for libFuzzer in the ordinary build: feeds every file of the
// folders (or files) named on the command line to the target once, so each
// input that once found a fault stays a regression test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
// Only some targets need one-time set-up (a GUI application for pictures).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {
int einspeisen(const std::filesystem::path &p)
{
    std::ifstream f(p, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "kann %s nicht lesen\n", p.c_str());
        return 1;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int fehler = 0, gelesen = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto &e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file()) {
                    fehler += einspeisen(e.path());
                    ++gelesen;
                }
        } else {
            fehler += einspeisen(p);
            ++gelesen;
        }
    }
    std::printf("%d Eingaben wiederholt\n", gelesen);
    return fehler == 0 && gelesen > 0 ? 0 : 1;
}
