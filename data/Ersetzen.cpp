#include "data/Ersetzen.h"

#include "data/Einlesen.h"
#include "data/Fehler.h"
#include "data/Pruefsumme.h"
#include "data/Systemaufrufe.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

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

// Writes all `count` bytes at offset `ab` on.
void allesSchreiben(int fd, const std::uint8_t *quelle, std::size_t count, off_t ab = 0)
{
    int err = 0;
    const std::size_t done = ganzUebertragen(count, err, true, [&](std::size_t erledigt, std::size_t stueck) {
        return sys().pwrite(fd, quelle + erledigt, stueck, ab + off_t(erledigt));
    });
    if (err != 0)
        scheitern(err); // a full disk or a file-size limit maps onto 101
    if (done < count)
        scheitern(ENOSPC); // the file takes no more bytes
}

// Reads `count` bytes from offset `ab` on; fewer only where the file ends.
std::size_t allesLesen(int fd, std::uint8_t *ziel, std::size_t count, off_t ab)
{
    int err = 0;
    const std::size_t got = ganzUebertragen(count, err, false, [&](std::size_t erledigt, std::size_t stueck) {
        return sys().pread(fd, ziel + erledigt, stueck, ab + off_t(erledigt));
    });
    if (err != 0)
        scheitern(err);
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
        if (sys().lstat(pfad.constData(), &st) != 0) {
            if (errno == ENOENT)
                return pfad;
            fehler(errno);
        }
        if (!S_ISLNK(st.st_mode))
            return pfad;
        QByteArray ziel(std::max<qsizetype>(st.st_size, 255) + 1, Qt::Uninitialized);
        const ssize_t len = sys().readlink(pfad.constData(), ziel.data(), std::size_t(ziel.size()));
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
    for (const QByteArray &zeile : Einlesen::lesen(QStringLiteral("/proc/self/status"), 64 << 10).bytes.split('\n'))
        if (zeile.startsWith("Umask:")) {
            maske = zeile.mid(6).trimmed().toUInt(&gefunden, 8);
            break;
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
        quelle += Einlesen::lesen(QStringLiteral("/proc/sys/kernel/random/boot_id"), 64).bytes;
        struct stat ns;
        if (sys().stat("/proc/self/ns/pid", &ns) == 0)
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
    Deskriptor liste(sys().openat(ordner, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (liste.get() < 0)
        return; // a folder we may not list keeps its leftovers
    // The system's records, each "struct dirent64": its length, then from
    // d_name on its name, ended by a NUL.
    std::vector<std::uint64_t> puffer(4096);
    const auto *anfang = reinterpret_cast<const char *>(puffer.data());
    for (;;) {
        const ssize_t n = sys().getdents(liste.get(), puffer.data(), puffer.size() * sizeof puffer[0]);
        if (n <= 0)
            return;
        for (ssize_t pos = 0; pos < n;) {
            unsigned short laenge = 0;
            std::memcpy(&laenge, anfang + pos + offsetof(dirent64, d_reclen), sizeof laenge);
            const char *name = anfang + pos + offsetof(dirent64, d_name);
            if (std::strncmp(name, TempAnfang, sizeof TempAnfang - 1) == 0 && verwaist(name))
                (void)sys().unlinkat(ordner, name, 0);
            pos += laenge;
        }
    }
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
        static const bool unbenanntGeht = sys().faccessat(AT_FDCWD, "/proc/self/fd", X_OK, 0) == 0;
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

// The extended attributes of a file, its access control list among them.
using Attribute = std::vector<std::pair<QByteArray, QByteArray>>;

// Raised where the new file cannot be given the old one's owner, group or
// attributes: the file is then rewritten in place instead, so that nobody
// gains or loses access.
struct AttributeBleiben {};

// Reads one list or value whose length is asked first; it may grow meanwhile.
template <typename Lesen>
std::optional<QByteArray> variabelLesen(Lesen lesen)
{
    for (int versuch = 0; versuch < 10; ++versuch) {
        const ssize_t n = lesen(nullptr, 0);
        if (n < 0)
            return std::nullopt;
        QByteArray b(qsizetype(n), Qt::Uninitialized);
        const ssize_t m = lesen(b.data(), std::size_t(b.size()));
        if (m >= 0) {
            b.truncate(qsizetype(m));
            return b;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

// The attributes of the open file `fd`, else (fd -1) of the file at `pfad`.
// Nothing when they cannot be read; none on a file system without them.
std::optional<Attribute> attributeLesen(int fd, const char *pfad)
{
    const std::optional<QByteArray> namen = variabelLesen(
        [&](char *b, std::size_t n) { return fd >= 0 ? sys().flistxattr(fd, b, n) : sys().listxattr(pfad, b, n); });
    if (!namen)
        return errno == ENOTSUP ? std::optional<Attribute>(Attribute{}) : std::nullopt;
    Attribute a;
    for (const QByteArray &name : namen->split('\0')) {
        if (name.isEmpty())
            continue;
        const std::optional<QByteArray> wert = variabelLesen([&](char *b, std::size_t n) {
            return fd >= 0 ? sys().fgetxattr(fd, name.constData(), b, n) : sys().getxattr(pfad, name.constData(), b, n);
        });
        if (!wert) {
            if (errno == ENODATA) // removed meanwhile
                continue;
            return std::nullopt;
        }
        a.emplace_back(name, *wert);
    }
    return a;
}

// The old file's attributes, read before anything is written.
Attribute alteAttribute(const QByteArray &ziel)
{
    const int alt = sys().openat(AT_FDCWD, ziel.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0);
    // A file we may write but not read still lists its attributes by name.
    const std::optional<Attribute> a = attributeLesen(alt, ziel.constData());
    if (alt >= 0)
        sys().close(alt);
    if (!a)
        throw AttributeBleiben{};
    return *a;
}

const QByteArray *wertVon(const Attribute &a, const QByteArray &name)
{
    for (const auto &[n, w] : a)
        if (n == name)
            return &w;
    return nullptr;
}

// Gives the new file exactly the attributes of the old one: those it got
// from its folder (an inherited access list) and the old one lacks go.
void attributeUebertragen(int fd, const Attribute &alt)
{
    const std::optional<Attribute> hat = attributeLesen(fd, nullptr);
    if (!hat)
        throw AttributeBleiben{};
    for (const auto &[name, wert] : *hat)
        if (!wertVon(alt, name) && sys().fremovexattr(fd, name.constData()) != 0)
            throw AttributeBleiben{};
    for (const auto &[name, wert] : alt) {
        const QByteArray *schon = wertVon(*hat, name);
        if (schon && *schon == wert)
            continue;
        if (sys().fsetxattr(fd, name.constData(), wert.constData(), std::size_t(wert.size()), 0) != 0)
            throw AttributeBleiben{};
    }
}

// The new file gets the old one's owner and group before a byte is in it.
// Where we cannot give it them (another user's file, a group we are not in),
// the file is rewritten in place instead, so that its owner keeps it.
void besitzUebertragen(int fd, const struct stat &alt)
{
    struct stat neu;
    if (sys().fstat(fd, &neu) != 0)
        scheitern(errno);
    if (neu.st_uid == alt.st_uid && neu.st_gid == alt.st_gid)
        return;
    if (sys().fchown(fd, neu.st_uid == alt.st_uid ? uid_t(-1) : alt.st_uid,
                     neu.st_gid == alt.st_gid ? gid_t(-1) : alt.st_gid) != 0)
        throw AttributeBleiben{};
}

// The old file's rights, or those of a new file. The new content is written
// while only we may read it and gets these rights once it is complete, just
// before it takes the file's name; a save killed before then leaves nothing
// another user could read. They follow the change of owner, which clears the
// set-id bits.
void rechteSetzen(int fd, const struct stat *alt)
{
    if (sys().fchmod(fd, alt ? alt->st_mode & 07777 : neueRechte()) != 0)
        scheitern(errno);
}

// The safe replace: a new file, flushed, then renamed over the old one.
std::optional<struct stat> ersetzen(const QByteArray &ziel, const struct stat *alt, const std::uint8_t *quelle,
                                    std::size_t n, const Ersetzen::VorDemErsetzen &vorher)
{
    const Attribute attribute = alt ? alteAttribute(ziel) : Attribute{};
    Deskriptor ordner(ordnerOeffnen(ordnerVon(ziel)));
    resteEntfernen(ordner.get());
    NeueDatei neu(ordner.get());
    if (alt)
        besitzUebertragen(neu.fd(), *alt);
    allesSchreiben(neu.fd(), quelle, n);
    rechteSetzen(neu.fd(), alt);
    if (alt)
        attributeUebertragen(neu.fd(), attribute);
    if (sys().fsync(neu.fd()) != 0)
        scheitern(errno);
    if (alt && vorher)
        vorher(QFile::decodeName(ziel), *alt, true);
    neu.benennen(dateinameVon(ziel), alt != nullptr);
    // Makes the new name durable. The new file is complete, flushed and in
    // place by now, so a failure here is no reason to tell the user the save
    // failed (and there is no old file left to keep); it is tolerated on purpose.
    (void)sys().fsync(ordner.get());
    struct stat st;
    if (sys().fstat(neu.fd(), &st) != 0)
        return std::nullopt;
    return st;
}

// $XDG_CACHE_HOME/vivarix, else ~/.cache/vivarix.
QByteArray sicherungsOrdnerName()
{
    QByteArray basis = qgetenv("XDG_CACHE_HOME");
    if (!basis.startsWith('/'))
        basis = QFile::encodeName(QDir::homePath()) + "/.cache";
    return basis + "/vivarix";
}

[[noreturn]] void ordnerFehler(const QString &grund)
{
    throw Ersetzen::ESicherungsOrdner(QFile::decodeName(sicherungsOrdnerName()), grund);
}

// A failed system call on the copy or its marker: the cache is to blame, not
// the data file.
QString keineKopie(int err)
{
    return QStringLiteral("nimmt keine Kopie auf: ") + EInOutError::messageFor(EInOutError::codeFromErrno(err));
}

[[noreturn]] void kopieFehler(int err)
{
    ordnerFehler(keineKopie(err));
}

// Opens the folder `o`, made (readable by us alone, with the folders above it)
// where it is missing and `anlegen`. Nobody else may put or redirect anything
// in it: it is no link, it is ours, and only we may write in it. Otherwise
// -1, and `grund` says why (nothing for a folder not there without `anlegen`).
int eigenerOrdnerOeffnen(const QByteArray &o, bool anlegen, QString &grund)
{
    const auto nicht = [&](const QString &warum) {
        grund = warum;
        return -1;
    };
    if (anlegen) {
        // The folders above it as any program makes them; a failure shows in the last one.
        for (qsizetype schnitt = o.indexOf('/', 1); schnitt > 0; schnitt = o.indexOf('/', schnitt + 1))
            (void)sys().mkdir(o.left(schnitt).constData(), 0777);
        if (sys().mkdir(o.constData(), 0700) != 0 && errno != EEXIST)
            return nicht(errno == ENOENT || errno == ENOTDIR
                             ? QStringLiteral("kann nicht angelegt werden: ein Teil seines Pfads ist kein Ordner")
                             : keineKopie(errno));
    }
    Deskriptor ordner(sys().openat(AT_FDCWD, o.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0));
    if (ordner.get() < 0) {
        const int err = errno;
        struct stat l;
        if (!anlegen && err == ENOENT)
            return nicht({});
        if (sys().lstat(o.constData(), &l) == 0 && S_ISLNK(l.st_mode))
            return nicht(QStringLiteral("ist nicht sicher: er ist ein symbolischer Verweis"));
        if (err == ENOTDIR)
            return nicht(QStringLiteral("ist kein Ordner"));
        return nicht(keineKopie(err));
    }
    struct stat st;
    if (sys().fstat(ordner.get(), &st) != 0)
        return nicht(keineKopie(errno));
    if (st.st_uid != ::geteuid())
        return nicht(QStringLiteral("ist nicht sicher: er gehört einem anderen Benutzer"));
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return nicht(QStringLiteral("ist nicht sicher: auch andere Benutzer dürfen darin schreiben"));
    return ordner.freigeben();
}

// The cache folder, checked as above; raises ESicherungsOrdner. Without
// `anlegen`, a folder that is not there gives -1.
int sicherungsOrdnerOeffnen(bool anlegen)
{
    QString grund;
    const int fd = eigenerOrdnerOeffnen(sicherungsOrdnerName(), anlegen, grund);
    if (fd < 0 && !grund.isEmpty())
        ordnerFehler(grund);
    return fd;
}

// The file's birth time where the file system keeps one: what tells a file
// from a later one that got its inode number after it was deleted.
QByteArray geburt(int fd, const char *pfad)
{
    struct statx sx;
    if (::statx(fd, pfad, fd >= 0 && !pfad[0] ? AT_EMPTY_PATH : 0, STATX_BTIME, &sx) != 0 ||
        !(sx.stx_mask & STATX_BTIME))
        return QByteArrayLiteral("-");
    return QByteArray::number(qlonglong(sx.stx_btime.tv_sec)) + '.' + QByteArray::number(sx.stx_btime.tv_nsec);
}

// The path made absolute, for a marker read from another folder later.
QByteArray absolut(const QByteArray &pfad)
{
    return pfad.startsWith('/') ? pfad : QFile::encodeName(QFileInfo(QFile::decodeName(pfad)).absoluteFilePath());
}

// What a marker says: the checksums of the old and the new bytes, the path of
// the file and its birth time ("-" where unknown).
struct Marke {
    std::uint64_t alt = 0, neu = 0;
    QByteArray pfad, geburt;
    bool frueher = false; // sums of the kind an earlier version wrote
};

// A marker names the kind of its sums, so that one left by an earlier version
// (whose sums were of another kind) is never compared with the wrong sum.
constexpr char SummenArt[] = "xxh3:";
QByteArray summeText(std::uint64_t summe)
{
    return SummenArt + QByteArray::number(qulonglong(summe), 16);
}

std::optional<Marke> markeLesen(int ordner, const QByteArray &name)
{
    Deskriptor fd(sys().openat(ordner, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
    if (fd.get() < 0)
        return std::nullopt;
    QByteArray text(1 << 16, '\0');
    try {
        text.truncate(qsizetype(
            allesLesen(fd.get(), reinterpret_cast<std::uint8_t *>(text.data()), std::size_t(text.size()), 0)));
    } catch (const Fehlschlag &) {
        return std::nullopt;
    }
    const QList<QByteArray> zeilen = text.split('\n');
    if (zeilen.size() < 3)
        return std::nullopt;
    Marke m;
    m.frueher = !zeilen[0].startsWith(SummenArt);
    const qsizetype art = m.frueher ? 0 : qsizetype(std::strlen(SummenArt));
    bool ok1 = false, ok2 = false;
    m.alt = zeilen[0].mid(art).toULongLong(&ok1, 16);
    m.neu = zeilen[1].mid(art).toULongLong(&ok2, 16);
    m.pfad = zeilen[2];
    // An earlier version ended its marker after the path: no birth time known.
    m.geburt = zeilen.size() > 3 && !zeilen[3].isEmpty() ? zeilen[3] : QByteArrayLiteral("-");
    if (!ok1 || !ok2 || !m.pfad.startsWith('/'))
        return std::nullopt;
    return m;
}

// Removes the copy of a save that died before it put its marker in place
// (the data file was never touched), and the marker it was writing. A save
// still making the copy holds a lock on it, and puts the marker in place
// before it lets go.
void waiseEntfernen(int ordner, const QByteArray &kenn)
{
    const QByteArray name = kenn + ".kopie";
    Deskriptor k(sys().openat(ordner, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
    if (k.get() >= 0 && ::flock(k.get(), LOCK_EX | LOCK_NB) != 0)
        return;
    if (sys().faccessat(ordner, (kenn + ".marke").constData(), F_OK, AT_SYMLINK_NOFOLLOW) == 0)
        return;
    (void)sys().unlinkat(ordner, (kenn + ".marke.tmp").constData(), 0);
    if (k.get() >= 0)
        (void)sys().unlinkat(ordner, name.constData(), 0);
}

// The copy of a file's old bytes that an in-place rewrite keeps in the cache
// folder, "<device>-<inode>.kopie", and beside it the marker that says the
// rewrite is under way, "<device>-<inode>.marke". Both are named after the
// file itself, so every hard link of it finds them; the marker names the file
// by its path and birth time as well, so that a file that later gets the same
// inode number is never taken for it.
class Sicherung {
public:
    Sicherung(const struct stat &st, int datei) : datei_(datei)
    {
        kenn_ = kennung(st);
        ordner_.uebernehmen(sicherungsOrdnerOeffnen(true));
    }

    // Copies the old bytes, flushes them, and then puts the marker in place.
    // A failure leaves no part of a copy behind.
    void anlegen(const QByteArray &ziel, const std::uint8_t *neu, std::size_t n)
    {
        // The copy of an earlier rewrite that nobody has seen yet stays.
        (void)aufraeumen(ordner_.get(), kenn_, Aufraeumen::Beiseite, QFile::decodeName(ziel));
        // What a save killed before its marker left (the folder is ours alone).
        (void)sys().unlinkat(ordner_.get(), kopie().constData(), 0);
        const QByteArray vorlaeufig = marke() + ".tmp";
        (void)sys().unlinkat(ordner_.get(), vorlaeufig.constData(), 0);
        try {
            Deskriptor k(sys().openat(ordner_.get(), kopie().constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (k.get() < 0)
                kopieFehler(errno);
            angelegt_ = true;
            (void)::flock(k.get(), LOCK_EX); // until the marker is in place: see waiseEntfernen
            Pruefsumme::Summe summe;
            altN_ = umfuellen(datei_, k.get(), &summe, true);
            if (sys().fsync(k.get()) != 0)
                kopieFehler(errno);
            const QByteArray text = summeText(summe.wert()) + '\n' + summeText(Pruefsumme::von(neu, n)) + '\n' +
                                    absolut(ziel) + '\n' + geburt(datei_, "") + '\n';
            Deskriptor m(sys().openat(ordner_.get(), vorlaeufig.constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (m.get() < 0)
                kopieFehler(errno);
            try {
                allesSchreiben(m.get(), reinterpret_cast<const std::uint8_t *>(text.constData()),
                               std::size_t(text.size()));
            } catch (const Fehlschlag &f) {
                kopieFehler(f.err);
            }
            if (sys().fsync(m.get()) != 0 ||
                sys().renameat(ordner_.get(), vorlaeufig.constData(), ordner_.get(), marke().constData()) != 0 ||
                sys().fsync(ordner_.get()) != 0)
                kopieFehler(errno);
        } catch (...) {
            // The data file is untouched yet: nothing of this copy is wanted.
            (void)sys().unlinkat(ordner_.get(), vorlaeufig.constData(), 0);
            if (angelegt_) {
                (void)sys().unlinkat(ordner_.get(), marke().constData(), 0);
                (void)sys().unlinkat(ordner_.get(), kopie().constData(), 0);
            }
            angelegt_ = false;
            throw;
        }
    }
    std::size_t altN() const { return altN_; }

    // Puts the old bytes back after a rewrite that failed; true when it worked.
    bool zurueckschreiben()
    {
        Deskriptor k(sys().openat(ordner_.get(), kopie().constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0));
        try {
            if (k.get() < 0 || umfuellen(k.get(), datei_, nullptr, false) != altN_)
                return false;
        } catch (const Fehlschlag &) {
            return false;
        }
        return sys().ftruncate(datei_, off_t(altN_)) == 0 && sys().fsync(datei_) == 0;
    }

    // The rewrite ended (or was undone): the marker goes first, then the copy.
    void entfernen()
    {
        if (angelegt_ && sys().unlinkat(ordner_.get(), marke().constData(), 0) == 0)
            (void)sys().unlinkat(ordner_.get(), kopie().constData(), 0);
    }

    enum class Aufraeumen {
        Beiseite, // a copy still wanted is put aside under a name of its own
        NurGanze  // only what nobody needs goes; the rest stays for the next load
    };

    // Looks at what a rewrite of the file with the identity `kenn` left:
    // nothing when there is no marker, or the file holds its old or its new
    // bytes whole (then marker and copy go). Otherwise, with
    // Aufraeumen::Beiseite, the copy is kept under a name of its own; its path
    // is returned where it is the copy of that very file, whose rewrite was
    // interrupted.
    // The copy is named after `name` where given (the name the keeper used),
    // else after the marker's path.
    static std::optional<QByteArray> aufraeumen(int ordner, const QByteArray &kenn, Aufraeumen art,
                                                const QString &name = {})
    {
        const std::optional<Marke> m = markeLesen(ordner, kenn + ".marke");
        if (!m) {
            if (sys().faccessat(ordner, (kenn + ".marke").constData(), F_OK, AT_SYMLINK_NOFOLLOW) != 0)
                waiseEntfernen(ordner, kenn);
            return std::nullopt;
        }
        struct stat st;
        const bool da = sys().stat(m->pfad.constData(), &st) == 0 && kennung(st) == kenn;
        const QByteArray geboren = da ? geburt(AT_FDCWD, m->pfad.constData()) : QByteArray();
        // The birth time tells a file from a later one of the same inode number;
        // where it is unknown, the path must still lead to that inode.
        const bool dieselbe = da && (m->geburt == "-" || geboren == "-" || m->geburt == geboren);
        if (dieselbe) {
            const std::optional<std::uint64_t> jetzt = Pruefsumme::datei(QFile::decodeName(m->pfad), m->frueher);
            const bool ganz = jetzt && (*jetzt == m->alt || *jetzt == m->neu);
            if (ganz || sys().faccessat(ordner, (kenn + ".kopie").constData(), F_OK, AT_SYMLINK_NOFOLLOW) != 0) {
                if (sys().unlinkat(ordner, (kenn + ".marke").constData(), 0) == 0)
                    (void)sys().unlinkat(ordner, (kenn + ".kopie").constData(), 0);
                return std::nullopt;
            }
        }
        if (art != Aufraeumen::Beiseite)
            return std::nullopt;
        // The file it names is gone (or on a drive not there now): its copy
        // stays, out of the way of a file that takes its inode number.
        const QByteArray wo =
            beiseiteLegen(ordner, kenn, QFileInfo(dieselbe && !name.isEmpty() ? name : QFile::decodeName(m->pfad)));
        if (!dieselbe)
            return std::nullopt;
        return wo;
    }

    static QByteArray kennung(const struct stat &st)
    {
        return QByteArray::number(qulonglong(st.st_dev), 16) + '-' + QByteArray::number(qulonglong(st.st_ino), 16);
    }

private:
    // Gives the copy `<kenn>.kopie` a name of its own after the file's,
    // "mysnakes vor dem Speichern 1.vix", and removes the marker. Returns
    // where the copy is.
    static QByteArray beiseiteLegen(int ordner, const QByteArray &kenn, const QFileInfo &datei)
    {
        const QByteArray von = kenn + ".kopie";
        const QString endung = datei.suffix().isEmpty() ? QString() : u'.' + datei.suffix();
        QByteArray nach = von;
        for (int k = 1; k < 1000; ++k) {
            const QByteArray versuch = QFile::encodeName(
                QStringLiteral("%1 vor dem Speichern %2").arg(datei.completeBaseName()).arg(k) + endung);
            if (sys().linkat(ordner, von.constData(), ordner, versuch.constData(), 0) == 0) {
                (void)sys().unlinkat(ordner, von.constData(), 0);
                nach = versuch;
                break;
            }
            if (errno != EEXIST)
                break;
        }
        (void)sys().unlinkat(ordner, (kenn + ".marke").constData(), 0);
        (void)sys().fsync(ordner);
        return sicherungsOrdnerName() + '/' + nach;
    }

    QByteArray kopie() const { return kenn_ + ".kopie"; }
    QByteArray marke() const { return kenn_ + ".marke"; }

    // Copies the whole of `von` into `nach`; with `summe`, sums the bytes.
    // Where `nachIstKopie`, a failed write is the cache's fault.
    static std::size_t umfuellen(int von, int nach, Pruefsumme::Summe *summe, bool nachIstKopie)
    {
        std::unique_ptr<std::uint8_t[]> puffer(new (std::nothrow) std::uint8_t[Pruefsumme::Stueck]);
        if (!puffer)
            scheitern(ENOMEM);
        std::size_t gesamt = 0;
        for (;;) {
            const std::size_t n = allesLesen(von, puffer.get(), Pruefsumme::Stueck, off_t(gesamt));
            try {
                allesSchreiben(nach, puffer.get(), n, off_t(gesamt));
            } catch (const Fehlschlag &f) {
                if (nachIstKopie)
                    kopieFehler(f.err);
                throw;
            }
            if (summe)
                summe->dazu(puffer.get(), n);
            gesamt += n;
            if (n < Pruefsumme::Stueck)
                return gesamt;
        }
    }

    int datei_;
    Deskriptor ordner_;
    QByteArray kenn_;
    std::size_t altN_ = 0;
    bool angelegt_ = false;
};

// Rewrites the file where it stands: for a folder in which we may write the
// file but not create one, and for a file whose other names or attributes a
// new file would not keep. A killed rewrite leaves the copy and its marker
// (see Sicherung); a failed one puts the old bytes back. `urFehler` is why
// the safe replace could not be made, reported for what is no regular file.
std::optional<struct stat> imOrtSchreiben(const QByteArray &ziel, const std::uint8_t *quelle, std::size_t n,
                                          int urFehler, const Ersetzen::VorDemErsetzen &vorher)
{
    Deskriptor fd(sys().openat(AT_FDCWD, ziel.constData(), O_RDWR | O_CLOEXEC, 0));
    if (fd.get() < 0)
        scheitern(errno);
    struct stat st;
    if (sys().fstat(fd.get(), &st) != 0)
        scheitern(errno);
    if (!S_ISREG(st.st_mode))
        scheitern(urFehler);
    Sicherung sicherung(st, fd.get());
    if (vorher)
        vorher(QFile::decodeName(ziel), st, false);
    sicherung.anlegen(ziel, quelle, n);
    try {
        allesSchreiben(fd.get(), quelle, n);
        if (n < sicherung.altN() && sys().ftruncate(fd.get(), off_t(n)) != 0)
            scheitern(errno);
        if (sys().fsync(fd.get()) != 0)
            scheitern(errno);
    } catch (const Fehlschlag &) {
        if (sicherung.zurueckschreiben())
            sicherung.entfernen();
        throw;
    }
    sicherung.entfernen();
    if (sys().fstat(fd.get(), &st) != 0)
        return std::nullopt;
    return st;
}

} // namespace

namespace Ersetzen {

std::optional<QString> unterbrochen(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || sys().stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    Deskriptor ordner;
    try {
        ordner.uebernehmen(sicherungsOrdnerOeffnen(false));
    } catch (const ESicherungsOrdner &) {
        return std::nullopt; // what lies in a folder others may change is not offered; the next save says why
    }
    if (ordner.get() < 0)
        return std::nullopt;
    const std::optional<QByteArray> kopie =
        Sicherung::aufraeumen(ordner.get(), Sicherung::kennung(st), Sicherung::Aufraeumen::Beiseite, path);
    if (!kopie)
        return std::nullopt;
    return QFile::decodeName(*kopie);
}

void resteAufraeumen()
{
    Deskriptor ordner;
    try {
        ordner.uebernehmen(sicherungsOrdnerOeffnen(false));
    } catch (const ESicherungsOrdner &) {
        return;
    }
    if (ordner.get() < 0)
        return;
    QSet<QByteArray> kennungen;
    for (const QString &name : QDir(sicherungsOrdner()).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray n = QFile::encodeName(name);
        for (const char *endung : {".kopie", ".marke", ".marke.tmp"})
            if (n.endsWith(endung)) {
                kennungen.insert(n.chopped(qsizetype(std::strlen(endung))));
                break;
            }
    }
    for (const QByteArray &kenn : std::as_const(kennungen))
        (void)Sicherung::aufraeumen(ordner.get(), kenn, Sicherung::Aufraeumen::NurGanze);
}

ESicherungsOrdner::ESicherungsOrdner(const QString &ordner, const QString &grund)
    : EVivarix(QStringLiteral("Der Ordner für Sicherheitskopien „%1“ %2").arg(ordner, grund))
{
}

int eigenerOrdner(const QString &pfad, QString &grund)
{
    return eigenerOrdnerOeffnen(QFile::encodeName(pfad), true, grund);
}

QString sicherungsOrdner()
{
    return QFile::decodeName(sicherungsOrdnerName());
}

std::optional<struct stat> datei(const QString &path, const void *bytes, std::size_t n, const VorDemErsetzen &vorher)
{
    const QByteArray ziel = linkAufloesen(systemName(path));
    if (ziel.endsWith('/'))
        fehler(EISDIR);

    struct stat alt;
    bool gibtEs = true;
    if (sys().stat(ziel.constData(), &alt) != 0) {
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
        if (sys().faccessat(AT_FDCWD, ziel.constData(), W_OK, 0) != 0)
            fehler(errno);
    }

    const auto *quelle = static_cast<const std::uint8_t *>(bytes);
    int urFehler = EINVAL;
    // A new file would leave the file's other names with the old bytes.
    if (!gibtEs || alt.st_nlink <= 1) {
        try {
            return ersetzen(ziel, gibtEs ? &alt : nullptr, quelle, n, vorher);
        } catch (const AttributeBleiben &) {
            // Rewritten in place, the file keeps its owner and every attribute it has.
        } catch (const Fehlschlag &f) {
            // A folder that takes no new file (no write right, immutable, sticky
            // with another owner) may still let us write the file itself.
            if (!gibtEs || (f.err != EACCES && f.err != EPERM))
                fehler(f.err);
            urFehler = f.err;
        }
    }
    try {
        return imOrtSchreiben(ziel, quelle, n, urFehler, vorher);
    } catch (const Fehlschlag &g) {
        fehler(g.err);
    }
}

} // namespace Ersetzen
