#include "data/Datendatei.h"

#include "data/Einlesen.h"
#include "data/Fehler.h"
#include "data/Fortschritt.h"
#include "data/Systemaufrufe.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Linux moves at most about 2 GiB per write call.
constexpr std::size_t MaxJeAufruf = std::size_t(1) << 30;
// How our temporary files begin; the rest of the name says whose they are.
constexpr char TempAnfang[] = ".vivarix-";

[[noreturn]] void fehler(int err)
{
    throw EInOutError(EInOutError::codeFromErrno(err));
}

// A failed system call inside a save, with its error number; the save decides
// at its end what the user is told.
struct Fehlschlag {
    int err;
};

[[noreturn]] void scheitern(int err)
{
    throw Fehlschlag{err};
}

Systemaufrufe &sys()
{
    return Systemaufrufe::aktuell();
}

// The path as the system sees it. An empty name is a file that is not there;
// a name with a NUL in it cannot be handed to the system at all.
QByteArray systemName(const QString &path)
{
    if (path.isEmpty())
        fehler(ENOENT);
    const QByteArray name = QFile::encodeName(path);
    if (name.contains('\0'))
        fehler(EINVAL);
    return name;
}

// Owns a descriptor; the destructor closes quietly.
class Deskriptor {
public:
    explicit Deskriptor(int fd = -1) : fd_(fd) {}
    Deskriptor(const Deskriptor &) = delete;
    Deskriptor &operator=(const Deskriptor &) = delete;
    ~Deskriptor()
    {
        if (fd_ >= 0)
            sys().close(fd_);
    }
    int get() const { return fd_; }
    void uebernehmen(int fd) { fd_ = fd; }

private:
    int fd_;
};

// Writes all `count` bytes at offset 0 on.
void allesSchreiben(int fd, const std::uint8_t *quelle, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t w =
            sys().pwrite(fd, quelle + done, std::min(count - done, Fortschritt::stueck(MaxJeAufruf)), off_t(done));
        if (w > 0) {
            done += std::size_t(w);
            Fortschritt::melden(done, count);
        }
        else if (w == 0)
            scheitern(ENOSPC); // the file takes no more bytes
        else if (errno != EINTR)
            scheitern(errno); // a full disk or a file-size limit maps onto 101
    }
}

// Reads `count` bytes from offset 0 on; fewer only where the file ends.
std::size_t allesLesen(int fd, std::uint8_t *ziel, std::size_t count)
{
    std::size_t got = 0;
    while (got < count) {
        const ssize_t r = sys().pread(fd, ziel + got, std::min(count - got, MaxJeAufruf), off_t(got));
        if (r > 0)
            got += std::size_t(r);
        else if (r == 0)
            break;
        else if (errno != EINTR)
            scheitern(errno);
    }
    return got;
}

QByteArray ordnerVon(const QByteArray &pfad)
{
    const qsizetype slash = pfad.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : pfad.left(slash);
}

QByteArray dateinameVon(const QByteArray &pfad)
{
    return pfad.mid(pfad.lastIndexOf('/') + 1);
}

// Follows symbolic links at the end of `pfad`, so that saving through a link
// replaces the file it points to rather than the link. A link to a file that is
// not there yet yields the path where that file is to be created.
QByteArray linkAufloesen(QByteArray pfad)
{
    for (int tiefe = 0; tiefe < 40; ++tiefe) {
        struct stat st;
        if (::lstat(pfad.constData(), &st) != 0) {
            if (errno == ENOENT)
                return pfad;
            fehler(errno);
        }
        if (!S_ISLNK(st.st_mode))
            return pfad;
        QByteArray ziel(std::max<qsizetype>(st.st_size, 255) + 1, Qt::Uninitialized);
        const ssize_t len = ::readlink(pfad.constData(), ziel.data(), std::size_t(ziel.size()));
        if (len < 0)
            fehler(errno);
        if (len >= ziel.size()) // the link changed under us; try again
            continue;
        ziel.truncate(len);
        pfad = ziel.startsWith('/') ? ziel : ordnerVon(pfad) + '/' + ziel;
    }
    fehler(ELOOP);
}

// The rights a new file gets: 0666 under the process's umask, read without
// changing it where the kernel tells it.
mode_t neueRechte()
{
    unsigned maske = 0;
    bool gefunden = false;
    if (std::FILE *f = std::fopen("/proc/self/status", "re")) {
        char zeile[128];
        while (!gefunden && std::fgets(zeile, sizeof zeile, f))
            gefunden = std::sscanf(zeile, "Umask: %o", &maske) == 1;
        std::fclose(f);
    }
    if (!gefunden) {
        maske = ::umask(022);
        ::umask(mode_t(maske));
    }
    return 0666 & ~mode_t(maske);
}

// Which machine, boot and process-number space our temporary files come from.
// Only there does a process number say whether the file's maker still runs; a
// file from anywhere else (a shared network folder, another container) is left
// alone.
const QByteArray &herkunft()
{
    static const QByteArray kennung = [] {
        QByteArray quelle(256, '\0');
        if (::gethostname(quelle.data(), std::size_t(quelle.size() - 1)) != 0)
            quelle.fill('\0');
        QFile boot(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        if (boot.open(QIODevice::ReadOnly))
            quelle += boot.read(64);
        struct stat ns;
        if (::stat("/proc/self/ns/pid", &ns) == 0)
            quelle += QByteArray::number(qulonglong(ns.st_ino));
        std::uint64_t h = 14695981039346656037ull; // FNV-1a: the same in every process
        for (char c : quelle)
            h = (h ^ std::uint8_t(c)) * 1099511628211ull;
        return QByteArray::number(qulonglong(h % 2176782336ull), 36).rightJustified(6, '0'); // 36^6
    }();
    return kennung;
}

// ".vivarix-<origin>-<process>-<random>.tmp": short, so that it fits beside a
// target whose name is near the file system's limit.
QByteArray tempName()
{
    return TempAnfang + herkunft() + '-' + QByteArray::number(::getpid()) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
}

// True for a temporary file of ours whose maker no longer runs. A file with our
// own process number is stale too: this process makes one save at a time and
// looks before it starts.
bool verwaist(const char *name)
{
    const QList<QByteArray> teile = QByteArray(name).split('-');
    if (teile.size() != 4 || teile[0] != ".vivarix" || teile[1] != herkunft() || !teile[3].endsWith(".tmp"))
        return false;
    bool ok = false;
    const long pid = teile[2].toLong(&ok);
    if (!ok || pid <= 0)
        return false;
    if (pid == long(::getpid()))
        return true;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// Removes what saves killed midway left in the folder.
void resteEntfernen(int ordner)
{
    const int fd = ::openat(ordner, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // a folder we may not list keeps its leftovers
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return;
    }
    while (const dirent *e = ::readdir(d))
        if (std::strncmp(e->d_name, TempAnfang, sizeof TempAnfang - 1) == 0 && verwaist(e->d_name))
            (void)sys().unlinkat(ordner, e->d_name, 0);
    ::closedir(d);
}

// The folder of the target. Read access lets us flush it after the rename; a
// folder we may only pass through still takes the new file.
int ordnerOeffnen(const QByteArray &pfad)
{
    int fd = sys().openat(AT_FDCWD, pfad.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0 && errno == EACCES)
        fd = sys().openat(AT_FDCWD, pfad.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        scheitern(errno);
    return fd;
}

// The new content's file in the target's folder. Where the system allows it,
// it has no name until it is complete, so a save killed midway leaves nothing
// behind; elsewhere it has a name that the next save recognises as a leftover.
class NeueDatei {
public:
    explicit NeueDatei(int ordner) : ordner_(ordner)
    {
        // Giving an unnamed file a name needs /proc (or privileges).
        static const bool unbenanntGeht = ::access("/proc/self/fd", X_OK) == 0;
        if (unbenanntGeht) {
            const int fd = sys().openat(ordner, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_.uebernehmen(fd);
                return;
            }
            // A file system or kernel without unnamed files says so in one of these ways.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                scheitern(errno);
        }
        for (int versuch = 0; versuch < 100; ++versuch) {
            name_ = tempName();
            // Only we may read it, from the first moment.
            const int fd = sys().openat(ordner, name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                fd_.uebernehmen(fd);
                benannt_ = true;
                return;
            }
            if (errno != EEXIST)
                scheitern(errno);
        }
        scheitern(EEXIST);
    }
    NeueDatei(const NeueDatei &) = delete;
    NeueDatei &operator=(const NeueDatei &) = delete;
    ~NeueDatei()
    {
        if (benannt_ && !fertig_)
            (void)sys().unlinkat(ordner_, name_.constData(), 0);
    }
    int fd() const { return fd_.get(); }

    // Puts the file in the target's place, in one step that replaces an old file.
    void benennen(const QByteArray &ziel, bool zielGibtEs)
    {
        if (!benannt_) {
            // A target that is not there yet gets the file's first name directly.
            if (!zielGibtEs && verlinken(ziel)) {
                fertig_ = true;
                return;
            }
            for (int versuch = 0; !benannt_; ++versuch) {
                if (versuch == 100)
                    scheitern(EEXIST);
                name_ = tempName();
                benannt_ = verlinken(name_);
            }
        }
        if (sys().renameat(ordner_, name_.constData(), ordner_, ziel.constData()) != 0)
            scheitern(errno);
        fertig_ = true;
    }

private:
    // Gives the unnamed file the name `name`; false if that name is taken.
    bool verlinken(const QByteArray &name)
    {
        char quelle[40];
        std::snprintf(quelle, sizeof quelle, "/proc/self/fd/%d", fd_.get());
        if (sys().linkat(AT_FDCWD, quelle, ordner_, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            scheitern(errno);
        return false;
    }

    int ordner_;
    Deskriptor fd_;
    QByteArray name_;
    bool benannt_ = false;
    bool fertig_ = false;
};

// The old file's owner, group and rights, or those of a new file. The new
// content is written while only we may read it and gets these rights once it
// is complete, just before it takes the file's name; a save killed before then
// leaves nothing another user could read. The owner first, since a change of
// owner clears the set-id bits.
void rechteSetzen(int fd, const struct stat *alt)
{
    if (!alt) {
        if (sys().fchmod(fd, neueRechte()) != 0)
            scheitern(errno);
        return;
    }
    if (::geteuid() == 0) {
        if (sys().fchown(fd, alt->st_uid, alt->st_gid) != 0)
            scheitern(errno);
    } else if (alt->st_gid != ::getegid()) {
        // A shared file keeps its group where we belong to it; otherwise it
        // takes ours, as any newly written file would.
        (void)sys().fchown(fd, uid_t(-1), alt->st_gid);
    }
    if (sys().fchmod(fd, alt->st_mode & 07777) != 0)
        scheitern(errno);
}

// The safe replace: a new file, flushed, then renamed over the old one.
void ersetzen(const QByteArray &ziel, const struct stat *alt, const std::uint8_t *quelle, std::size_t n)
{
    Deskriptor ordner(ordnerOeffnen(ordnerVon(ziel)));
    resteEntfernen(ordner.get());
    NeueDatei neu(ordner.get());
    allesSchreiben(neu.fd(), quelle, n);
    rechteSetzen(neu.fd(), alt);
    if (sys().fsync(neu.fd()) != 0)
        scheitern(errno);
    neu.benennen(dateinameVon(ziel), alt != nullptr);
    // Makes the new name durable. The new file is complete, flushed and in
    // place by now, so a failure here is no reason to tell the user the save
    // failed (and there is no old file left to keep); it is tolerated on purpose.
    (void)sys().fsync(ordner.get());
}

// Rewrites the file where it stands, for a folder in which we may write the
// file but not create one. The old bytes are kept in memory and written back
// if the rewrite fails. `urFehler` is why the safe replace could not be made;
// it is reported if the old bytes cannot be kept.
void imOrtSchreiben(const QByteArray &ziel, const std::uint8_t *quelle, std::size_t n, int urFehler)
{
    Deskriptor fd(sys().openat(AT_FDCWD, ziel.constData(), O_RDWR | O_CLOEXEC, 0));
    if (fd.get() < 0)
        scheitern(errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        scheitern(errno);
    if (!S_ISREG(st.st_mode))
        scheitern(urFehler);
    const std::uint64_t altGroesse = std::uint64_t(std::max<off_t>(st.st_size, 0));
    if (altGroesse > Einlesen::freierSpeicher() / 2)
        scheitern(urFehler);
    std::unique_ptr<std::uint8_t[]> altBytes(new (std::nothrow) std::uint8_t[std::size_t(altGroesse) + 1]);
    if (!altBytes)
        scheitern(urFehler);
    const std::size_t altN = allesLesen(fd.get(), altBytes.get(), std::size_t(altGroesse));

    try {
        allesSchreiben(fd.get(), quelle, n);
        if (n < altN && sys().ftruncate(fd.get(), off_t(n)) != 0)
            scheitern(errno);
        if (sys().fsync(fd.get()) != 0)
            scheitern(errno);
    } catch (const Fehlschlag &) {
        try {
            allesSchreiben(fd.get(), altBytes.get(), altN);
        } catch (const Fehlschlag &) {
            // Nothing more can be done than to try the rest.
        }
        (void)sys().ftruncate(fd.get(), off_t(altN));
        (void)sys().fsync(fd.get());
        throw;
    }
}

// Files up to this size are loaded without looking at the free memory.
constexpr std::uint64_t KleinGenug = std::uint64_t(16) << 20;

void groessePruefen(std::uint64_t groesse, std::uint64_t hoechstens)
{
    if (groesse > hoechstens)
        throw EDateiZuGross(groesse, hoechstens);
}

// Appends the records of an opened data file to `ziel`.
// A large collection is read into fresh memory, page by page. Offered huge
// pages, the kernel fills it with a few dozen faults instead of ten thousand,
// which is most of what a load costs beyond copying the bytes.
void grosseSeitenAnbieten(void *anfang, std::size_t n)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t Seite = std::uintptr_t(2) << 20;
    const auto a = (reinterpret_cast<std::uintptr_t>(anfang) + Seite - 1) & ~(Seite - 1);
    const auto e = (reinterpret_cast<std::uintptr_t>(anfang) + n) & ~(Seite - 1);
    if (e > a)
        (void)::madvise(reinterpret_cast<void *>(a), e - a, MADV_HUGEPAGE); // only advice: fine where refused
#else
    (void)anfang;
    (void)n;
#endif
}

void einlesen(Einlesen::Lesedatei &datei, TSchlangen &ziel)
{
    const std::uint64_t groesse = datei.groesse();
    const std::uint64_t saetze = (groesse + TSchlange::Groesse - 1) / TSchlange::Groesse;
    const std::size_t alt = ziel.size();
    ziel.reserve(alt + std::size_t(saetze)); // past the limit's estimate: std::bad_alloc, reported as such
    grosseSeitenAnbieten(ziel.data() + alt, std::size_t(saetze) * TSchlange::Groesse);

    // Records are read straight into the collection's own storage, which is not
    // zeroed first: the file's bytes fill it once. A short or failed read keeps
    // every whole record before it.
    for (std::uint64_t i = 0; i < saetze; ++i)
        ziel.emplace_back(TSchlange::Ungefuellt{});
    const std::size_t want = std::size_t(saetze) * TSchlange::Groesse;
    int err = 0;
    const std::size_t got = saetze ? datei.lesen(ziel[alt].data(), want, err) : 0;
    ziel.erase(ziel.begin() + std::ptrdiff_t(alt + got / TSchlange::Groesse), ziel.end());
    if (err != 0)
        fehler(err);
    if (got < want)
        throw EInOutError(100);
    if (const int e = datei.schliessen())
        fehler(e);
}

} // namespace

namespace Datendatei {

std::uint64_t ladeGrenze()
{
    // The other half stays for the windows, a later save and the rest of the system.
    return Einlesen::freierSpeicher() / 2;
}

void laden(const QString &path, TSchlangen &ziel)
{
    Einlesen::Lesedatei datei(path);
    if (datei.fehler() != 0)
        fehler(datei.fehler());
    // A small file always fits; asking the system about its memory costs more
    // than reading a few records.
    if (datei.groesse() > KleinGenug)
        groessePruefen(datei.groesse(), ladeGrenze());
    einlesen(datei, ziel);
}

void laden(const QString &path, TSchlangen &ziel, std::uint64_t hoechstens)
{
    Einlesen::Lesedatei datei(path);
    if (datei.fehler() != 0)
        fehler(datei.fehler());
    groessePruefen(datei.groesse(), hoechstens);
    einlesen(datei, ziel);
}

void speichern(const QString &path, const TSchlange *records, std::size_t n)
{
    // TSchlange is exactly its bytes, so the array is the file image.
    dateiErsetzen(path, records, n * TSchlange::Groesse);
}

void dateiErsetzen(const QString &path, const void *bytes, std::size_t n)
{
    const QByteArray ziel = linkAufloesen(systemName(path));
    if (ziel.endsWith('/'))
        fehler(EISDIR);

    struct stat alt;
    bool gibtEs = true;
    if (::stat(ziel.constData(), &alt) != 0) {
        if (errno != ENOENT)
            fehler(errno);
        gibtEs = false;
    }
    if (gibtEs) {
        if (S_ISDIR(alt.st_mode))
            fehler(EISDIR);
        if (!S_ISREG(alt.st_mode)) // a device or pipe is no data file to replace
            fehler(EINVAL);
        // A file we may not write stays untouched, even where the folder would
        // let us replace it.
        if (::access(ziel.constData(), W_OK) != 0)
            fehler(errno);
    }

    const auto *quelle = static_cast<const std::uint8_t *>(bytes);
    try {
        ersetzen(ziel, gibtEs ? &alt : nullptr, quelle, n);
    } catch (const Fehlschlag &f) {
        // A folder that takes no new file (no write right, immutable, sticky
        // with another owner) may still let us write the file itself.
        if (!gibtEs || (f.err != EACCES && f.err != EPERM))
            fehler(f.err);
        try {
            imOrtSchreiben(ziel, quelle, n, f.err);
        } catch (const Fehlschlag &g) {
            fehler(g.err);
        }
    }
}

} // namespace Datendatei
