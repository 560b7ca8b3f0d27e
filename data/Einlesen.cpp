#include "data/Einlesen.h"
#include "data/Fortschritt.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Einlesen {

namespace {
// Linux moves at most about 2 GiB per read call.
constexpr std::size_t MaxJeAufruf = std::size_t(1) << 30;
} // namespace

Lesedatei::Lesedatei(const QString &pfad)
{
    if (pfad.isEmpty()) {
        fehler_ = ENOENT;
        return;
    }
    const QByteArray name = QFile::encodeName(pfad);
    if (name.contains('\0')) {
        fehler_ = EINVAL;
        return;
    }
    // Without waiting: opening a named pipe would otherwise block until some
    // other program opened it for writing.
    fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        fehler_ = errno;
        return;
    }
    struct stat st;
    if (::fstat(fd_, &st) != 0)
        fehler_ = errno;
    else if (S_ISDIR(st.st_mode))
        fehler_ = EISDIR;
    else if (!S_ISREG(st.st_mode))
        fehler_ = EINVAL;
    else {
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0)
            fehler_ = errno;
    }
    if (fehler_ != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    groesse_ = st.st_size > 0 ? std::uint64_t(st.st_size) : 0;
}

Lesedatei::~Lesedatei()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t Lesedatei::lesen(void *ziel, std::size_t n, int &err)
{
    err = fd_ < 0 ? (fehler_ ? fehler_ : EBADF) : 0;
    std::size_t got = 0;
    auto *z = static_cast<std::uint8_t *>(ziel);
    while (err == 0 && got < n) {
        const ssize_t r = ::read(fd_, z + got, std::min(n - got, Fortschritt::stueck(MaxJeAufruf)));
        if (r > 0) {
            got += std::size_t(r);
            Fortschritt::melden(got, n);
        }
        else if (r == 0)
            break;
        else if (errno != EINTR)
            err = errno;
    }
    return got;
}

int Lesedatei::schliessen()
{
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
}

Inhalt lesen(const QString &pfad, qsizetype hoechstens)
{
    Inhalt inhalt;
    Lesedatei datei(pfad);
    if (datei.fehler() != 0) {
        inhalt.fehler = datei.fehler();
        return inhalt;
    }
    // One byte past the limit tells whether there is more; the file may also
    // have grown since it was opened.
    const qsizetype platz = qsizetype(std::min<std::uint64_t>(datei.groesse(), std::uint64_t(hoechstens))) + 1;
    inhalt.bytes.resize(platz);
    qsizetype n = 0;
    for (;;) {
        int err = 0;
        n += qsizetype(datei.lesen(inhalt.bytes.data() + n, std::size_t(inhalt.bytes.size() - n), err));
        if (err != 0) {
            inhalt.fehler = err;
            break;
        }
        if (n < inhalt.bytes.size() || n > hoechstens)
            break;
        inhalt.bytes.resize(std::min<qsizetype>(hoechstens + 1, n + std::max<qsizetype>(n, 4096)));
    }
    if (n > hoechstens) {
        n = hoechstens;
        inhalt.gekappt = true;
    }
    inhalt.bytes.truncate(n);
    if (inhalt.fehler == 0)
        inhalt.fehler = datei.schliessen();
    return inhalt;
}

std::uint64_t freierSpeicher()
{
    std::uint64_t frei = 0;
    if (std::FILE *f = std::fopen("/proc/meminfo", "re")) {
        char zeile[256];
        unsigned long long kb = 0;
        while (std::fgets(zeile, sizeof zeile, f))
            if (std::sscanf(zeile, "MemAvailable: %llu kB", &kb) == 1) {
                frei = std::uint64_t(kb) * 1024;
                break;
            }
        std::fclose(f);
    }
    if (frei == 0) { // an old kernel or no /proc: free pages, without the cache
        const long seiten = ::sysconf(_SC_AVPHYS_PAGES);
        const long seite = ::sysconf(_SC_PAGESIZE);
        if (seiten > 0 && seite > 0)
            frei = std::uint64_t(seiten) * std::uint64_t(seite);
    }
    for (int art : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit r;
        if (::getrlimit(art, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
            frei = std::min<std::uint64_t>(frei, r.rlim_cur);
    }
    return frei;
}

} // namespace Einlesen
