#include "bild/Helfer.h"
#include "bild/Metaformat.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace Bildhelfer {
namespace {

// The data segment the process has now, from /proc/self/statm (in pages).
rlim_t jetzigeDaten()
{
    unsigned long groesse = 0, resident = 0, geteilt = 0, text = 0, lib = 0, daten = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "re")) {
        if (std::fscanf(f, "%lu %lu %lu %lu %lu %lu", &groesse, &resident, &geteilt, &text, &lib, &daten) != 6)
            daten = 0;
        std::fclose(f);
    }
    return rlim_t(daten) * rlim_t(sysconf(_SC_PAGESIZE));
}

// libwmf calls exit() on some failures: the helper then ends at once, without
// an answer, before any other exit handler or static destructor runs.
void beenden()
{
    ::_exit(1);
}

void grenzenSetzen()
{
    const rlimit nichts{0, 0};
    setrlimit(RLIMIT_CORE, &nichts);
    // No file may be written; the answer goes into a pipe, which is no file. A
    // write is refused with an error rather than ending the helper, so that
    // a font cache that cannot be updated costs nothing.
    setrlimit(RLIMIT_FSIZE, &nichts);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit cpu{CpuSekunden, CpuSekunden + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlim_t daten = jetzigeDaten() + ArbeitsSpeicher;
    const rlimit speicher{daten, daten};
    setrlimit(RLIMIT_DATA, &speicher);
    // The program gives up on a helper past its wall-clock bound; the helper
    // does not outlive it for long either, even when the program is gone.
    ::alarm(unsigned(Metadatei::FristMs / 1000 + 1));
}

// Standard input up to MaxDatei bytes; false when there is more or a read fails.
bool eingabeLesen(QByteArray &daten)
{
    daten.resize(Metadatei::MaxDatei + 1);
    qsizetype n = 0;
    while (n < daten.size()) {
        const ssize_t r = ::read(STDIN_FILENO, daten.data() + n, std::size_t(daten.size() - n));
        if (r > 0)
            n += r;
        else if (r == 0)
            break;
        else if (errno != EINTR)
            return false;
    }
    if (n > Metadatei::MaxDatei)
        return false;
    daten.truncate(n);
    return true;
}

} // namespace

void ausfuehren(int argc, char **argv, const Art *arten, std::size_t anzahl)
{
    std::atexit(beenden);
    const Art *art = nullptr;
    for (std::size_t i = 0; argc == 4 && i < anzahl; ++i)
        if (std::strcmp(argv[1], arten[i].name) == 0)
            art = &arten[i];
    const long breite = argc == 4 ? std::strtol(argv[2], nullptr, 10) : 0;
    const long hoehe = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 0;
    if (!art || !Metadatei::kanteGueltig(breite) || !Metadatei::kanteGueltig(hoehe))
        ::_exit(2);
    const QSize sichtbar{int(breite), int(hoehe)};

    // The answer goes where standard output went; the libraries may talk on
    // standard output and error, and nobody hears them.
    const int antwort = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int leer = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (antwort < 0 || leer < 0 || ::dup2(leer, STDOUT_FILENO) < 0 || ::dup2(leer, STDERR_FILENO) < 0)
        ::_exit(1);
    ::close(leer);

    grenzenSetzen();
    QByteArray daten;
    if (!eingabeLesen(daten))
        ::_exit(1);
    std::string aus;
    bool ok = false;
    try {
        ok = art->wandeln(daten, sichtbar, aus);
    } catch (...) {
        ok = false;
    }
    if (!ok || aus.size() > std::size_t(Metadatei::antwortHoechstens(sichtbar)) ||
        !Metadatei::allesSchreiben(antwort, aus.data(), aus.size()))
        ::_exit(1);
    ::_exit(0);
}

} // namespace Bildhelfer
