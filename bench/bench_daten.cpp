// Loading and saving the data file against a bare read (into huge pages) / write
// of the same bytes. The load should stay within 1.1 times the bare read. After the runs a
// table gives each pair's ratio.
//
// The files live in a temporary folder (10,000 snakes are 444 MB) that is
// removed at the end.
#include "data/Datendatei.h"

#include <QByteArray>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <chrono>
#include <map>
#include <thread>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ordner; // the temporary folder

std::string pfad(const char *art, std::int64_t n)
{
    return ordner + "/" + art + std::to_string(n) + ".vix";
}

void pruefen(bool ok, const char *was)
{
    if (!ok)
        throw std::runtime_error(std::string(was) + ": " + std::strerror(errno));
}

// A collection of n snakes with mixed contents.
const TSchlangen &sammlung(std::int64_t n)
{
    static std::map<std::int64_t, TSchlangen> cache;
    TSchlangen &s = cache[n];
    if (s.empty() && n > 0) {
        std::mt19937 rng{static_cast<unsigned>(n)};
        s.resize(std::size_t(n));
        for (TSchlange &t : s)
            for (std::size_t i = 0; i < TSchlange::Groesse; i += 7)
                t.data()[i] = std::uint8_t(rng());
    }
    return s;
}

// The file to load, written once per size.
const std::string &ladeDatei(std::int64_t n)
{
    static std::map<std::int64_t, std::string> fertig;
    auto it = fertig.find(n);
    if (it == fertig.end()) {
        const std::string p = pfad("laden", n);
        Datendatei::speichern(QFile::decodeName(p.c_str()), sammlung(n));
        // A keeper loads a file written long ago. One written within the last
        // two seconds also gets a checksum for the change check, since its
        // times may not show a change made right after; that is not the case
        // to time.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        it = fertig.emplace(n, p).first;
    }
    return it->second;
}

void Laden(benchmark::State &state)
{
    const QString p = QFile::decodeName(ladeDatei(state.range(0)).c_str());
    for (auto _ : state) {
        TSchlangen s;
        Datendatei::laden(p, s);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * std::int64_t(TSchlange::Groesse));
}

// The fastest honest way to get the same bytes into memory: read() of the
// whole file into fresh memory offered huge pages, as the load does, so the
// kernel fills it with a few dozen faults instead of one per 4 KB page. The
// memory comes straight from mmap (aligned to a huge page) and goes back
// after each run, as the collection's does.
void RohLesen(benchmark::State &state)
{
    constexpr std::size_t Seite = std::size_t(2) << 20;
    const std::string &p = ladeDatei(state.range(0));
    for (auto _ : state) {
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        pruefen(fd >= 0, "open");
        struct stat st;
        pruefen(::fstat(fd, &st) == 0, "fstat");
        const std::size_t n = std::size_t(st.st_size);
        const std::size_t reserviert = (n + 2 * Seite - 1) & ~(Seite - 1); // room to start on a huge page
        void *raum = ::mmap(nullptr, reserviert, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        pruefen(raum != MAP_FAILED, "mmap");
        auto *puffer = reinterpret_cast<std::uint8_t *>((reinterpret_cast<std::uintptr_t>(raum) + Seite - 1) &
                                                        ~std::uintptr_t(Seite - 1));
#ifdef MADV_HUGEPAGE
        (void)::madvise(puffer, (n + Seite - 1) & ~(Seite - 1), MADV_HUGEPAGE); // advice only
#endif
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fd, puffer + got, n - got);
            pruefen(r > 0, "read");
            got += std::size_t(r);
        }
        pruefen(::close(fd) == 0, "close");
        benchmark::DoNotOptimize(puffer);
        pruefen(::munmap(raum, reserviert) == 0, "munmap");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * std::int64_t(TSchlange::Groesse));
}

void Speichern(benchmark::State &state)
{
    const TSchlangen &s = sammlung(state.range(0));
    const QString p = QFile::decodeName(pfad("speichern", state.range(0)).c_str());
    for (auto _ : state)
        Datendatei::speichern(p, s);
    state.SetBytesProcessed(state.iterations() * state.range(0) * std::int64_t(TSchlange::Groesse));
}

// The same bytes written in place: create or truncate, write, fsync, close.
// fsync belongs in the comparison, since the save must be on disk before it
// replaces the old file.
void RohSchreiben(benchmark::State &state)
{
    const TSchlangen &s = sammlung(state.range(0));
    const std::string p = pfad("roh", state.range(0));
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(s.data());
    const std::size_t count = s.size() * TSchlange::Groesse;
    for (auto _ : state) {
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        pruefen(fd >= 0, "open");
        std::size_t done = 0;
        while (done < count) {
            const ssize_t w = ::write(fd, bytes + done, count - done);
            pruefen(w > 0, "write");
            done += std::size_t(w);
        }
        pruefen(::fsync(fd) == 0, "fsync");
        pruefen(::close(fd) == 0, "close");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * std::int64_t(TSchlange::Groesse));
}

// Small collections run for a while; the big one a few times only, which is
// plenty at close to half a second per run.
#define GROESSEN(f)                                                                                                    \
    BENCHMARK(f)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(10)->Arg(1000)->MinTime(0.5);                      \
    BENCHMARK(f)->Unit(benchmark::kMillisecond)->UseRealTime()->Arg(10000)->Iterations(4)

GROESSEN(Laden);
GROESSEN(RohLesen);
GROESSEN(Speichern);
GROESSEN(RohSchreiben);

// Remembers each run's time per iteration for the ratio table.
class Sammler : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                zeiten[r.run_name.function_name + "/" + r.run_name.args] =
                    r.real_accumulated_time / double(r.iterations);
    }
    std::map<std::string, double> zeiten;
};

void verhaeltnisse(const Sammler &s)
{
    std::printf("\n%-8s %8s %14s %14s %8s\n", "", "snakes", "data layer ms", "bare ms", "ratio");
    for (const char *paar : {"Laden:RohLesen", "Speichern:RohSchreiben"}) {
        const std::string a(paar, std::strchr(paar, ':'));
        const std::string b(std::strchr(paar, ':') + 1);
        for (const char *n : {"10", "1000", "10000"}) {
            const auto x = s.zeiten.find(a + "/" + n);
            const auto y = s.zeiten.find(b + "/" + n);
            if (x == s.zeiten.end() || y == s.zeiten.end())
                continue;
            std::printf("%-10s %6s %14.3f %14.3f %8.2f\n", a.c_str(), n, x->second * 1e3, y->second * 1e3,
                        x->second / y->second);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string muster = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_daten.XXXXXX";
    std::unique_ptr<char[]> buf(new char[muster.size() + 1]);
    std::memcpy(buf.get(), muster.c_str(), muster.size() + 1);
    if (!::mkdtemp(buf.get())) {
        std::perror(muster.c_str());
        return 1;
    }
    ordner = buf.get();

    benchmark::Initialize(&argc, argv);
    Sammler sammler;
    int rc = 0;
    try {
        // The files to load exist, and sit in the page cache, before anything
        // is timed.
        for (std::int64_t n : {10, 1000, 10000})
            ladeDatei(n);
        benchmark::RunSpecifiedBenchmarks(&sammler);
        verhaeltnisse(sammler);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        rc = 1;
    }
    benchmark::Shutdown();
    for (const char *art : {"laden", "speichern", "roh"})
        for (std::int64_t n : {10, 1000, 10000})
            std::remove(pfad(art, n).c_str());
    ::rmdir(ordner.c_str());
    return rc;
}
