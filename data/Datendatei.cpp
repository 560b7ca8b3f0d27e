#include "data/Datendatei.h"

#include "data/Fehler.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Records per read: large reads, but a chunk small enough that zeroing the
// fresh records just before the kernel copies into them stays in the cache.
constexpr std::size_t SaetzeJeLesen = 64;
// Linux moves at most about 2 GiB per read or write call.
constexpr std::size_t MaxJeAufruf = std::size_t(1) << 30;

[[noreturn]] void fehler(int err)
{
    throw EInOutError(EInOutError::codeFromErrno(err));
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

// Owns a descriptor; close() reports its failure, the destructor (reached only
// on the way out of a failure already being raised) closes quietly.
class Deskriptor {
public:
    explicit Deskriptor(int fd = -1) : fd_(fd) {}
    Deskriptor(const Deskriptor &) = delete;
    Deskriptor &operator=(const Deskriptor &) = delete;
    ~Deskriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    void uebernehmen(int fd) { fd_ = fd; }
    void close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            fehler(errno);
    }

private:
    int fd_;
};

// Reads up to `want` bytes, looping over partial reads; stops early only at the
// end of the file. `err` receives the error number of a failed read (0 if none).
std::size_t allesLesen(int fd, std::uint8_t *ziel, std::size_t want, int &err)
{
    err = 0;
    std::size_t got = 0;
    while (got < want) {
        const ssize_t r = ::read(fd, ziel + got, std::min(want - got, MaxJeAufruf));
        if (r > 0) {
            got += std::size_t(r);
        } else if (r == 0) {
            break;
        } else if (errno != EINTR) {
            err = errno;
            break;
        }
    }
    return got;
}

void allesSchreiben(int fd, const std::uint8_t *quelle, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t w = ::write(fd, quelle + done, std::min(count - done, MaxJeAufruf));
        if (w > 0)
            done += std::size_t(w);
        else if (w == 0)
            throw EInOutError(101); // the file takes no more bytes
        else if (errno != EINTR)
            fehler(errno); // a full disk or file-size limit maps onto 101
    }
}

QByteArray ordnerVon(const QByteArray &pfad)
{
    const qsizetype slash = pfad.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : pfad.left(slash);
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

// A new file beside the target that vanishes again unless it was renamed
// over the target.
class TempDatei {
public:
    explicit TempDatei(const QByteArray &ziel)
    {
        const qsizetype slash = ziel.lastIndexOf('/');
        const QByteArray ordner = slash < 0 ? QByteArray() : ziel.left(slash + 1);
        const QByteArray basis = ziel.mid(slash + 1);
        for (int versuch = 0; versuch < 100; ++versuch) {
            // Short, so that a target name near the file system's limit still fits.
            name = ordner + ".vivarix-" + QByteArray::number(::getpid()) + '-' +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
            // 0666 under the umask: a new data file gets the usual rights.
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                fd_.uebernehmen(fd);
                return;
            }
            if (errno != EEXIST)
                fehler(errno);
        }
        fehler(EEXIST);
    }
    TempDatei(const TempDatei &) = delete;
    TempDatei &operator=(const TempDatei &) = delete;
    ~TempDatei()
    {
        if (!umbenannt)
            ::unlink(name.constData());
    }
    int fd() const { return fd_.get(); }
    void schliessen() { fd_.close(); }
    void umbenennenNach(const QByteArray &ziel)
    {
        if (::rename(name.constData(), ziel.constData()) != 0)
            fehler(errno);
        umbenannt = true;
    }

private:
    QByteArray name;
    Deskriptor fd_;
    bool umbenannt = false;
};

// Makes the rename itself durable. The new file is complete, flushed and in
// place by now, so a failure here is no reason to tell the user the save
// failed (and there is no old file left to keep); it is tolerated on purpose.
void ordnerSichern(const QByteArray &ordner)
{
    const int fd = ::open(ordner.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        (void)::close(fd);
    }
}

} // namespace

namespace Datendatei {

void laden(const QString &path, TSchlangen &ziel)
{
    const QByteArray name = systemName(path);
    // Opened without waiting, so a named pipe cannot freeze the program; only a
    // regular file is read.
    Deskriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        fehler(errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        fehler(errno);
    if (S_ISDIR(st.st_mode))
        fehler(EISDIR);
    if (!S_ISREG(st.st_mode))
        fehler(EINVAL);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        fehler(errno);

    const std::uint64_t groesse = st.st_size > 0 ? std::uint64_t(st.st_size) : 0;
    const std::uint64_t saetze = (groesse + TSchlange::Groesse - 1) / TSchlange::Groesse;
    ziel.reserve(ziel.size() + std::size_t(saetze));

    // Records are read straight into the collection's own storage, a chunk of
    // them at a time; a short or failed read keeps every whole record before it.
    std::uint64_t offen = saetze;
    while (offen > 0) {
        const std::size_t stueck = std::size_t(std::min<std::uint64_t>(offen, SaetzeJeLesen));
        const std::size_t alt = ziel.size();
        ziel.resize(alt + stueck);
        const std::size_t want = stueck * TSchlange::Groesse;
        int err = 0;
        const std::size_t got = allesLesen(fd.get(), ziel[alt].data(), want, err);
        ziel.resize(alt + got / TSchlange::Groesse);
        if (err != 0)
            fehler(err);
        if (got < want)
            throw EInOutError(100);
        offen -= stueck;
    }
    fd.close();
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

    TempDatei temp(ziel);
    if (gibtEs) {
        if (::fchmod(temp.fd(), alt.st_mode & 07777) != 0)
            fehler(errno);
        if (::geteuid() == 0) {
            if (::fchown(temp.fd(), alt.st_uid, alt.st_gid) != 0)
                fehler(errno);
        } else if (alt.st_gid != ::getegid()) {
            // A shared file keeps its group where we belong to it; otherwise it
            // takes ours, as any newly written file would.
            (void)::fchown(temp.fd(), uid_t(-1), alt.st_gid);
        }
    }
    allesSchreiben(temp.fd(), static_cast<const std::uint8_t *>(bytes), n);
    if (::fsync(temp.fd()) != 0)
        fehler(errno);
    temp.schliessen();
    temp.umbenennenNach(ziel);
    ordnerSichern(ordnerVon(ziel));
}

} // namespace Datendatei
