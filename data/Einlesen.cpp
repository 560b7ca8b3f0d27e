#include "data/Einlesen.h"
#include "data/Systemaufrufe.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Einlesen {

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
    fd_ = sys().openat(AT_FDCWD, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd_ < 0) {
        fehler_ = errno;
        return;
    }
    struct stat st;
    if (sys().fstat(fd_, &st) != 0)
        fehler_ = errno;
    else if (S_ISDIR(st.st_mode))
        fehler_ = EISDIR;
    else if (!S_ISREG(st.st_mode))
        fehler_ = EINVAL;
    else {
        const int flags = sys().fcntl(fd_, F_GETFL, 0);
        if (flags < 0 || sys().fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0)
            fehler_ = errno;
    }
    if (fehler_ != 0) {
        sys().close(fd_);
        fd_ = -1;
        return;
    }
    groesse_ = st.st_size > 0 ? std::uint64_t(st.st_size) : 0;
}

Lesedatei::~Lesedatei()
{
    if (fd_ >= 0)
        sys().close(fd_);
}

std::size_t Lesedatei::lesen(void *ziel, std::size_t n, int &err)
{
    if (fd_ < 0) {
        err = fehler_ ? fehler_ : EBADF;
        return 0;
    }
    auto *z = static_cast<std::uint8_t *>(ziel);
    return ganzUebertragen(
        n, err, true, [&](std::size_t erledigt, std::size_t stueck) { return sys().read(fd_, z + erledigt, stueck); });
}

int Lesedatei::schliessen()
{
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && sys().close(fd) != 0 ? errno : 0;
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

namespace {
// A number in a small file of the system ("max" and what is no number: nothing).
std::optional<std::uint64_t> zahl(const QString &pfad)
{
    bool ok = false;
    const std::uint64_t z = lesen(pfad, 64).bytes.trimmed().toULongLong(&ok);
    return ok ? std::optional(z) : std::nullopt;
}

// One value of a "name value" file such as memory.stat or /proc/meminfo (a
// unit after the number, as there, is left off).
std::uint64_t eintrag(const QString &pfad, const QByteArray &name)
{
    for (const QByteArray &zeile : lesen(pfad, 64 << 10).bytes.split('\n'))
        if (zeile.startsWith(name + ' '))
            return zeile.mid(name.size() + 1).simplified().split(' ').front().toULongLong();
    return 0;
}

// The files of a memory control group: its limit, what it holds, and the
// entry of memory.stat for the page cache the kernel can drop.
struct Gruppendateien {
    const char *grenze, *belegt, *cache;
};
constexpr Gruppendateien V2{"memory.max", "memory.current", "inactive_file"};
constexpr Gruppendateien V1{"memory.limit_in_bytes", "memory.usage_in_bytes", "total_inactive_file"};

// What the memory control groups in the hierarchy mounted at `hierarchie`
// still allow, from the group at `gruppe` up to the top: the least that a
// group on the way leaves. Page cache the kernel can drop counts as free, as
// it is dropped before the group runs out.
std::uint64_t gruppenRest(const QString &hierarchie, QString gruppe, const Gruppendateien &d)
{
    std::uint64_t rest = UINT64_MAX;
    for (;;) {
        const QString o = hierarchie + gruppe + u'/';
        const auto grenze = zahl(o + QLatin1String(d.grenze));
        const auto belegt = zahl(o + QLatin1String(d.belegt));
        if (grenze && belegt) {
            const std::uint64_t fest = *belegt - std::min(*belegt, eintrag(o + QStringLiteral("memory.stat"), d.cache));
            rest = std::min(rest, *grenze - std::min(*grenze, fest));
        }
        if (gruppe.isEmpty())
            return rest;
        gruppe.truncate(std::max<qsizetype>(gruppe.lastIndexOf(u'/'), 0));
    }
}
} // namespace

std::uint64_t gruppenSpeicher(const QString &wurzel)
{
    // Each line of /proc/self/cgroup is "number:controllers:group"; v2 has
    // no controllers, v1 names "memory" among them.
    std::uint64_t rest = UINT64_MAX;
    for (const QByteArray &zeile : lesen(wurzel + QStringLiteral("/proc/self/cgroup"), 64 << 10).bytes.split('\n')) {
        const QList<QByteArray> teile = zeile.split(':');
        if (teile.size() < 3 || !teile[2].startsWith('/'))
            continue;
        QString gruppe = QString::fromUtf8(zeile.mid(teile[0].size() + teile[1].size() + 2));
        // "/" is the top; a group outside our view of the hierarchy (a path
        // through "..") is looked for at its top, which is all we can see.
        if (gruppe == u"/" || gruppe.contains(QStringLiteral("/..")))
            gruppe.clear();
        if (teile[1].isEmpty())
            rest = std::min(rest, gruppenRest(wurzel + QStringLiteral("/sys/fs/cgroup"), gruppe, V2));
        else if (teile[1].split(',').contains("memory"))
            rest = std::min(rest, gruppenRest(wurzel + QStringLiteral("/sys/fs/cgroup/memory"), gruppe, V1));
    }
    return rest;
}

std::uint64_t freierSpeicher()
{
    return freierSpeicher(QString());
}

std::uint64_t freierSpeicher(const QString &wurzel)
{
    std::uint64_t frei = eintrag(wurzel + QStringLiteral("/proc/meminfo"), "MemAvailable:") * 1024; // in kB
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
    // A container or a service may be held to less than the machine has.
    return std::min(frei, gruppenSpeicher(wurzel));
}

} // namespace Einlesen
