// Saving and loading under faults: full disks, file-size limits, saves killed
// midway, folders that take no new file, files too large for memory, and the
// order in which the bytes reach the disk.
#include "Hilfen.h"
#include "app/Start.h"
#include "data/Datendatei.h"
#include "data/Einlesen.h"
#include "data/Ersetzen.h"
#include "data/Fassungen.h"
#include "data/Fehler.h"
#include "data/Pruefsumme.h"
#include "data/Systemaufrufe.h"
#include "data/TSchlange.h"
#include "output/Export.h"
#include "settings/Optionen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

constexpr qsizetype G = qsizetype(TSchlange::Groesse);

TSchlangen sammlung(int n, std::uint8_t muster)
{
    TSchlangen s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        std::memset(s[std::size_t(i)].data(), muster + i, TSchlange::Groesse);
    return s;
}

// One system call as the save made it.
struct Aufruf {
    std::string was;
    int fd = -1; // the descriptor it worked on (for openat: the one it returned)
    std::string name;
    int flags = 0;
    mode_t modus = 0;
};

// Records the save's system calls and lets one of them fail.
class Protokoll : public Systemaufrufe {
public:
    std::vector<Aufruf> aufrufe;
    std::string fehlerBei;               // the call that fails ...
    int fehlerNr = 0;                    // ... with this error number ...
    int nach = 0;                        // ... after this many successful calls of it
    bool ohneUnbenannt = false;          // behave like a file system without unnamed files
    std::function<void()> beimSchreiben; // runs before each write

    int openat(int o, const char *n, int f, mode_t m) override
    {
        const bool unbenannt = (f & O_TMPFILE) == O_TMPFILE;
        aufrufe.push_back({unbenannt ? "openat-unbenannt" : "openat", -1, n, f, m});
        if (unbenannt && ohneUnbenannt) {
            errno = EOPNOTSUPP;
            return -1;
        }
        if (scheitert("openat"))
            return -1;
        const int fd = Systemaufrufe::openat(o, n, f, m);
        aufrufe.back().fd = fd;
        return fd;
    }
    int close(int fd) override { return merken("close", fd) ? -1 : Systemaufrufe::close(fd); }
    ssize_t pread(int fd, void *z, size_t n, off_t p) override
    {
        return merken("pread", fd) ? -1 : Systemaufrufe::pread(fd, z, n, p);
    }
    ssize_t pwrite(int fd, const void *q, size_t n, off_t p) override
    {
        if (beimSchreiben)
            beimSchreiben();
        aufrufe.push_back({"pwrite", fd, {}, 0, 0});
        if (fehlerBei == "pwrite" && nach == 0 && !halb && n > 1) {
            halb = true; // the disk fills in the middle of the content
            return Systemaufrufe::pwrite(fd, q, n / 2, p);
        }
        return scheitert("pwrite") ? -1 : Systemaufrufe::pwrite(fd, q, n, p);
    }
    int fsync(int fd) override { return merken("fsync", fd) ? -1 : Systemaufrufe::fsync(fd); }
    int ftruncate(int fd, off_t l) override { return merken("ftruncate", fd) ? -1 : Systemaufrufe::ftruncate(fd, l); }
    int fchmod(int fd, mode_t m) override
    {
        return merken({"fchmod", fd, {}, 0, m}) ? -1 : Systemaufrufe::fchmod(fd, m);
    }
    int fchown(int fd, uid_t u, gid_t g) override
    {
        return merken("fchown", fd) ? -1 : Systemaufrufe::fchown(fd, u, g);
    }
    int linkat(int vo, const char *v, int no, const char *n, int f) override
    {
        return merken({"linkat", -1, std::string(v) + " -> " + n, f, 0}) ? -1 : Systemaufrufe::linkat(vo, v, no, n, f);
    }
    int renameat(int vo, const char *v, int no, const char *n) override
    {
        return merken({"renameat", -1, std::string(v) + " -> " + n, 0, 0}) ? -1 : Systemaufrufe::renameat(vo, v, no, n);
    }
    int unlinkat(int o, const char *n, int f) override
    {
        return merken({"unlinkat", o, n, f, 0}) ? -1 : Systemaufrufe::unlinkat(o, n, f);
    }
    int fsetxattr(int fd, const char *n, const void *w, size_t l, int f) override
    {
        return merken({"fsetxattr", fd, n, f, 0}) ? -1 : Systemaufrufe::fsetxattr(fd, n, w, l, f);
    }
    ssize_t getdents(int fd, void *z, size_t n) override
    {
        return merken("getdents", fd) ? -1 : Systemaufrufe::getdents(fd, z, n);
    }
    int mkdir(const char *n, mode_t m) override
    {
        return merken({"mkdir", -1, n, 0, m}) ? -1 : Systemaufrufe::mkdir(n, m);
    }

    // The names the calls `was` were given, in order.
    std::vector<std::string> namen(const std::string &was) const
    {
        std::vector<std::string> n;
        for (const Aufruf &a : aufrufe)
            if (a.was == was)
                n.push_back(a.name);
        return n;
    }
    // Index of the first call `was` (on `fd`, if given) at or after `ab`; -1 if none.
    int finde(const std::string &was, int fd = -2, int ab = 0) const
    {
        for (int i = ab; i < int(aufrufe.size()); ++i)
            if (aufrufe[std::size_t(i)].was == was && (fd == -2 || aufrufe[std::size_t(i)].fd == fd))
                return i;
        return -1;
    }
    int letzte(const std::string &was, int fd) const
    {
        for (int i = int(aufrufe.size()) - 1; i >= 0; --i)
            if (aufrufe[std::size_t(i)].was == was && aufrufe[std::size_t(i)].fd == fd)
                return i;
        return -1;
    }
    std::string folge() const
    {
        std::string s;
        for (const Aufruf &a : aufrufe)
            s += a.was + "(" + std::to_string(a.fd) + (a.name.empty() ? "" : " " + a.name) + ") ";
        return s;
    }

private:
    bool merken(const char *was, int fd) { return merken({was, fd, {}, 0, 0}); }
    bool merken(const Aufruf &a)
    {
        aufrufe.push_back(a);
        return scheitert(a.was);
    }
    bool scheitert(const std::string &was)
    {
        if (fehlerBei != was || nach-- != 0)
            return false;
        errno = fehlerNr;
        return true;
    }
    bool halb = false;
};

// Puts a table of system calls in place for one scope.
class Eingesetzt {
public:
    explicit Eingesetzt(Systemaufrufe &s) { Systemaufrufe::setzen(&s); }
    ~Eingesetzt() { Systemaufrufe::setzen(nullptr); }
};

class SicherungTest : public OrdnerTest {};

bool istTempName(const QString &name)
{
    return name.startsWith(QStringLiteral(".vivarix-")) && name.endsWith(QStringLiteral(".tmp"));
}

} // namespace

// ---- The program's own start-up under a file-size limit -------------------------

TEST_F(SicherungTest, DateigroessengrenzeLaesstDasSpeichernScheiternNichtDasProgramm)
{
    const TSchlangen alt = sammlung(1, 10);
    Datendatei::speichern(pfad("d.vix"), alt);
    Optionen::setVerzeichnis(dir.path());
    const QByteArray altOptionen = "[Options]\r\nautoload=1\r\nfile=/x.vix\r\n";
    dateiSchreiben(Optionen::pfad(), altOptionen);
    dateiSchreiben(pfad("Kaa.txt"), "alte Ausgabe\r\n");

    // What the program does at start, and then a save of a collection, of
    // settings and of an export, each larger than the limit.
    const auto speichernUnterGrenze = [&](bool startEinrichten) {
        return imKind([&] {
            std::signal(SIGXFSZ, SIG_DFL); // as a fresh process finds it
            if (startEinrichten)
                Start::prozessEinrichten();
            const rlimit grenze{50, 50};
            if (::setrlimit(RLIMIT_FSIZE, &grenze) != 0)
                return 251;
            Optionen::Werte w;
            w.futter = QStringList{QString(100, u'x')};
            const int daten = code([&] { Datendatei::speichern(pfad("d.vix"), sammlung(3, 20)); });
            const int optionen = code([&] { Optionen::speichern(w); });
            const int ausgabe = code([&] { Export::schreiben(pfad("Kaa.txt"), sammlung(1, 20)[0]); });
            return daten == EInOutError::ZuWenigPlatz && optionen == EInOutError::ZuWenigPlatz &&
                           ausgabe == EInOutError::ZuWenigPlatz
                       ? 0
                       : 1;
        });
    };
    // Without it the signal ends the process: that is the fault the start-up prevents.
    EXPECT_EQ(speichernUnterGrenze(false), 255);
    EXPECT_EQ(speichernUnterGrenze(true), 0);
    EXPECT_EQ(dateiLesen(pfad("d.vix")), bytesVon(alt));
    EXPECT_EQ(dateiLesen(Optionen::pfad()), altOptionen);
    EXPECT_EQ(dateiLesen(pfad("Kaa.txt")), "alte Ausgabe\r\n");
    EXPECT_EQ(eintraege(), (QStringList{"Kaa.txt", "d.vix", "options.ini"}));
    Optionen::setVerzeichnis(QStringLiteral("."));
}

TEST_F(SicherungTest, DasProgrammSelbstUebergehtDasDateigroessenSignal)
{
    // The real program, started as a keeper would: its start-up must have set
    // the signal aside before any window appears.
    const QString programm = QCoreApplication::applicationDirPath() + QStringLiteral("/../vivarix");
    if (!QFileInfo(programm).isExecutable())
        GTEST_SKIP() << "the program is not built";
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(programm, {});
    ASSERT_TRUE(p.waitForStarted());
    const QString status = QStringLiteral("/proc/%1/status").arg(p.processId());
    bool ignoriert = false;
    for (int versuch = 0; versuch < 200 && !ignoriert && p.state() == QProcess::Running; ++versuch) {
        QFile f(status);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &zeile : f.readAll().split('\n'))
                if (zeile.startsWith("SigIgn:"))
                    ignoriert = (zeile.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGXFSZ - 1)) & 1;
        if (!ignoriert)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    p.kill();
    p.waitForFinished();
    EXPECT_TRUE(ignoriert);
}

// ---- The order of the system calls -------------------------------------------------

TEST_F(SicherungTest, DieBytesSindAufDerPlatteBevorSieDenNamenTragen)
{
    const TSchlangen alt = sammlung(2, 1), neu = sammlung(3, 50);
    for (const bool ohneUnbenannt : {false, true})
        for (const bool gibtEs : {true, false}) {
            SCOPED_TRACE(std::string(ohneUnbenannt ? "named" : "unnamed") + (gibtEs ? ", replacing" : ", new"));
            const QString ziel = pfad(QStringLiteral("o%1%2.vix").arg(ohneUnbenannt).arg(gibtEs));
            if (gibtEs) {
                Datendatei::speichern(ziel, alt);
                ASSERT_EQ(::chmod(QFile::encodeName(ziel).constData(), 0604), 0);
            }
            Protokoll p;
            p.ohneUnbenannt = ohneUnbenannt;
            const mode_t maske = ::umask(027);
            {
                Eingesetzt e(p);
                Datendatei::speichern(ziel, neu);
            }
            ::umask(maske);
            EXPECT_EQ(dateiLesen(ziel), bytesVon(neu));
            SCOPED_TRACE(p.folge());

            // The old file's attributes are read and the folder is opened (and
            // listed for leftovers) before anything is written; then the new
            // file, readable by us alone.
            const std::string ordnerName = QFile::encodeName(dir.path()).toStdString();
            int ordnerOeffnen = -1, anlegen = -1;
            for (int i = 0; i < int(p.aufrufe.size()) && anlegen < 0; ++i) {
                const Aufruf &a = p.aufrufe[std::size_t(i)];
                if (a.was == "openat" && a.name == ordnerName && ordnerOeffnen < 0)
                    ordnerOeffnen = i;
                else if (ohneUnbenannt ? a.was == "openat" && (a.flags & O_CREAT) : a.was == "openat-unbenannt")
                    anlegen = i;
            }
            ASSERT_GE(ordnerOeffnen, 0);
            EXPECT_EQ(p.finde("pwrite"), p.finde("pwrite", -2, ordnerOeffnen));
            EXPECT_GT(p.finde("getdents", -2, ordnerOeffnen), ordnerOeffnen);
            EXPECT_LT(p.finde("getdents"), p.finde("pwrite"));
            const int ordner = p.aufrufe[std::size_t(ordnerOeffnen)].fd;
            ASSERT_GT(anlegen, ordnerOeffnen);
            const Aufruf &neuAuf = p.aufrufe[std::size_t(anlegen)];
            EXPECT_EQ(neuAuf.modus, 0600u);
            if (ohneUnbenannt) {
                EXPECT_TRUE(istTempName(QString::fromStdString(neuAuf.name))) << neuAuf.name;
                EXPECT_NE(neuAuf.flags & O_EXCL, 0);
            }
            const int f = neuAuf.fd;
            ASSERT_GE(f, 0);

            // Content, then rights, then flush, then the name, then the folder's flush.
            const int rechte = p.finde("fchmod", f);
            const int ersterWrite = p.finde("pwrite", f);
            const int letzterWrite = p.letzte("pwrite", f);
            const int flush = p.finde("fsync", f);
            const int link = p.finde("linkat");
            const int rename = p.finde("renameat");
            const int ordnerFlush = p.finde("fsync", ordner);
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(ziel).constData(), &st), 0);
            EXPECT_EQ(p.aufrufe[std::size_t(rechte)].modus, st.st_mode & 07777);
            EXPECT_EQ(st.st_mode & 07777, gibtEs ? 0604u : 0640u)
                << "a new file gets the usual rights, an old one its own";
            // A new file's rights come from the umask the kernel reports.
            const std::vector<std::string> geoeffnet = p.namen("openat");
            EXPECT_EQ(std::count(geoeffnet.begin(), geoeffnet.end(), "/proc/self/status"), gibtEs ? 0 : 1);
            EXPECT_LT(ersterWrite, rechte);
            EXPECT_LT(letzterWrite, rechte);
            EXPECT_LT(rechte, flush);
            const int benannt = link >= 0 ? link : rename;
            ASSERT_GE(benannt, 0);
            EXPECT_LT(flush, benannt);
            if (link >= 0) { // the very descriptor that was written and flushed
                EXPECT_EQ(p.aufrufe[std::size_t(link)].name.rfind("/proc/self/fd/" + std::to_string(f) + " -> ", 0),
                          0u);
            }
            EXPECT_EQ(link >= 0, !ohneUnbenannt);
            // A new file gets its name in one step; an old one is replaced by a rename.
            EXPECT_EQ(rename >= 0, gibtEs || ohneUnbenannt);
            if (rename >= 0) {
                EXPECT_LT(std::max(link, flush), rename);
            }
            EXPECT_GT(ordnerFlush, std::max(link, rename));
            EXPECT_EQ(p.finde("unlinkat"), -1);
            EXPECT_EQ(p.finde("pwrite", f, letzterWrite + 1), -1);
        }
}

// ---- Another program's change between two saves ------------------------------------

TEST_F(SicherungTest, NachDemEigenenSpeichernLiestDasNaechsteNichtsZurueck)
{
    const QString d = pfad("d.vix");
    const TSchlangen drei = sammlung(3, 1);
    const Datendatei::Stand stand = Datendatei::speichern(d, drei);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(d).constData(), &st), 0);
    if (st.st_mtim.tv_nsec == 0 && st.st_ctim.tv_nsec == 0)
        GTEST_SKIP() << "the file system keeps its times in whole seconds";
    EXPECT_TRUE(stand.zeitenReichen);

    // The next save asks whether the file is still the one saved: its times
    // say so, and not a byte is read for it.
    Protokoll p;
    {
        Eingesetzt e(p);
        EXPECT_TRUE(Datendatei::unveraendert(d, stand));
    }
    EXPECT_EQ(p.finde("openat"), -1) << p.folge();

    // Another program rewrites it in place at once, same size, and sets its
    // modification time back to ours: noticed all the same.
    QByteArray fremd = bytesVon(drei);
    fremd[1] = char(fremd[1] ^ 1);
    {
        QFile f(d);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_EQ(f.write(fremd), fremd.size());
    }
    const timespec zeiten[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(d).constData(), zeiten, 0), 0);
    EXPECT_FALSE(Datendatei::unveraendert(d, stand));
    // Written back as it was, only touched, given other rights or a second
    // name: the bytes decide, and they are ours.
    dateiSchreiben(d, bytesVon(drei));
    EXPECT_TRUE(Datendatei::unveraendert(d, stand));
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0640), 0);
    ASSERT_EQ(::link(QFile::encodeName(d).constData(), QFile::encodeName(pfad("zweit.vix")).constData()), 0);
    EXPECT_TRUE(Datendatei::unveraendert(d, stand));
}

// A file system that keeps whole seconds and sets the change time with the
// modification time (as FAT and many network mounts do).
class GanzeSekunden : public Systemaufrufe {
public:
    int stat(const char *pfad, struct stat *st) override { return grob(Systemaufrufe::stat(pfad, st), st); }
    int fstat(int fd, struct stat *st) override { return grob(Systemaufrufe::fstat(fd, st), st); }

private:
    static int grob(int r, struct stat *st)
    {
        st->st_mtim.tv_nsec = 0;
        st->st_ctim = st->st_mtim;
        return r;
    }
};

TEST_F(SicherungTest, GanzeSekundenVerbergenKeineAenderungGleicherGroesse)
{
    // Loaded long after it was written: its times looked settled.
    const QString d = pfad("d.vix");
    dateiSchreiben(d, bytesVon(sammlung(3, 1)));
    const timespec alt[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(d).constData(), alt, 0), 0);
    GanzeSekunden grob;
    Eingesetzt e(grob);
    TSchlangen geladen;
    Datendatei::Stand stand;
    Datendatei::laden(d, geladen, &stand);
    EXPECT_TRUE(Datendatei::unveraendert(d, stand));
    // Another program changes a byte and puts the time back: both times read as before.
    QByteArray fremd = bytesVon(geladen);
    fremd[7] = char(fremd[7] ^ 4);
    dateiSchreiben(d, fremd);
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(d).constData(), alt, 0), 0);
    EXPECT_FALSE(Datendatei::unveraendert(d, stand));
}

// ---- Failing system calls ----------------------------------------------------------

TEST_F(SicherungTest, ScheiternderAufrufLaesstDieAltenDateienBytegenauUndKeinenRest)
{
    struct Fall {
        const char *aufruf;
        int nr;
        int code;
    };
    const Fall faelle[] = {
        {"pwrite", ENOSPC, EInOutError::ZuWenigPlatz},   {"pwrite", EFBIG, EInOutError::ZuWenigPlatz},
        {"pwrite", EDQUOT, EInOutError::ZuWenigPlatz},   {"fsync", ENOSPC, EInOutError::ZuWenigPlatz},
        {"fsync", EIO, EInOutError::Geraetefehler},      {"fchmod", EROFS, EInOutError::ZugriffVerweigert},
        {"linkat", ENOSPC, EInOutError::ZuWenigPlatz},   {"renameat", EIO, EInOutError::Geraetefehler},
        {"openat", EMFILE, EInOutError::ZuVieleDateien},
    };
    const TSchlangen alt = sammlung(3, 1), neu = sammlung(4, 60);
    Datendatei::speichern(pfad("d.vix"), alt);
    Optionen::setVerzeichnis(dir.path());
    const QByteArray altOptionen = "[Options]\r\nmaximize=1\r\n";
    dateiSchreiben(Optionen::pfad(), altOptionen);
    const QStringList vorher = eintraege();
    const auto offeneDeskriptoren = [] {
        const QDir fds(QStringLiteral("/proc/self/fd"));
        return fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
    };
    const qsizetype offenVorher = offeneDeskriptoren();

    for (const bool ohneUnbenannt : {false, true})
        for (const Fall &f : faelle) {
            if (ohneUnbenannt && std::string(f.aufruf) == "linkat")
                continue; // a named file is never linked
            SCOPED_TRACE(std::string(f.aufruf) + " " + std::to_string(f.nr) + (ohneUnbenannt ? " named" : ""));
            // The old file is opened for its attributes, the folder opened and
            // listed first; it is the file after them that fails to open.
            const int nach = std::string(f.aufruf) == "openat" ? 3 : 0;
            for (const bool einstellungen : {false, true}) {
                Protokoll p;
                p.fehlerBei = f.aufruf;
                p.fehlerNr = f.nr;
                p.nach = nach;
                p.ohneUnbenannt = ohneUnbenannt;
                int c = 0;
                {
                    Eingesetzt e(p);
                    c = einstellungen ? code([] { Optionen::speichern(Optionen::Werte{}); })
                                      : code([&] { Datendatei::speichern(pfad("d.vix"), neu); });
                }
                EXPECT_EQ(c, f.code) << p.folge();
            }
            EXPECT_EQ(dateiLesen(pfad("d.vix")), bytesVon(alt));
            EXPECT_EQ(dateiLesen(Optionen::pfad()), altOptionen);
            EXPECT_EQ(eintraege(), vorher);
        }
    EXPECT_GE(offenVorher, 3);
    EXPECT_EQ(offeneDeskriptoren(), offenVorher); // no failure leaves a file open
    Optionen::setVerzeichnis(QStringLiteral("."));
}

TEST_F(SicherungTest, VolleFestplatteLaesstDieAltenDateienGanz)
{
    // A real, tiny file system, where the test may mount one.
    const TSchlangen alt = sammlung(2, 3), neu = sammlung(5, 70);
    const QString ordner = pfad("klein");
    ASSERT_TRUE(QDir().mkdir(ordner));
    KleinesDateisystem klein(ordner, "256k");
    if (!klein.da)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const QString d = ordner + QStringLiteral("/d.vix");
    Datendatei::speichern(d, alt); // 88 kB: the new 222 kB do not fit beside it
    Optionen::setVerzeichnis(ordner);
    const QByteArray altOptionen = "maximize=1\r\n";
    dateiSchreiben(Optionen::pfad(), altOptionen);
    EXPECT_EQ(code([&] { Datendatei::speichern(d, neu); }), EInOutError::ZuWenigPlatz);
    EXPECT_EQ(dateiLesen(d), bytesVon(alt));
    EXPECT_EQ(eintraege(ordner), (QStringList{"d.vix", "options.ini"}));
    // Filled to the last block, the settings cannot be written either.
    vollschreiben(ordner + QStringLiteral("/fuell"));
    EXPECT_EQ(code([] { Optionen::speichern(Optionen::Werte{}); }), EInOutError::ZuWenigPlatz);
    EXPECT_EQ(dateiLesen(Optionen::pfad()), altOptionen);
    EXPECT_EQ(dateiLesen(d), bytesVon(alt));
    EXPECT_EQ(eintraege(ordner), (QStringList{"d.vix", "fuell", "options.ini"}));
    Optionen::setVerzeichnis(QStringLiteral("."));
}

// ---- Saves killed midway --------------------------------------------------------

namespace {
// Makes a folder immutable for its lifetime, where the file system allows it.
class Unveraenderlich {
public:
    explicit Unveraenderlich(const QString &ordner) : ordner_(ordner)
    {
        ok_ = ::geteuid() == 0 && QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), ordner}) == 0;
    }
    ~Unveraenderlich()
    {
        if (ok_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), ordner_});
    }
    bool ok() const { return ok_; }

private:
    QString ordner_;
    bool ok_ = false;
};
} // namespace

TEST_F(SicherungTest, AbgebrochenesSpeichernLaesstAltOderNeuGanzOderSagtWoDasAlteIst)
{
    const TSchlangen a = sammlung(1000, 1), b = sammlung(999, 2);
    const QByteArray bytesA = bytesVon(a), bytesB = bytesVon(b);
    ASSERT_TRUE(QDir().mkdir(pfad("fest")));
    // The ways a save goes: a new file unnamed or named until complete, or
    // the file rewritten in place because it has a second name or its folder
    // takes no new file.
    enum class Weg { Unbenannt, Benannt, ZweiterName, FesterOrdner };
    const struct {
        Weg weg;
        QString datei;
    } wege[] = {{Weg::Unbenannt, pfad("d.vix")},
                {Weg::Benannt, pfad("d.vix")},
                {Weg::ZweiterName, pfad("h.vix")},
                {Weg::FesterOrdner, pfad("fest/f.vix")}};
    const QStringList eigene{QStringLiteral("d.vix"), QStringLiteral("h.vix"), QStringLiteral("h2.vix"),
                             QStringLiteral("fest")};
    for (const auto &w : wege) {
        SCOPED_TRACE(int(w.weg));
        const QString d = w.datei;
        Datendatei::speichern(d, a);
        if (w.weg == Weg::ZweiterName) {
            ASSERT_EQ(::link(QFile::encodeName(d).constData(), QFile::encodeName(pfad("h2.vix")).constData()), 0);
        }
        std::optional<Unveraenderlich> fest;
        if (w.weg == Weg::FesterOrdner) {
            fest.emplace(pfad("fest"));
            if (!fest->ok()) {
                std::cout << "[  SKIPPED ] immutable folder: needs root and a file system with chattr\n";
                continue;
            }
        }

        // How long one save takes here, so the kills spread over all of it.
        const auto start = std::chrono::steady_clock::now();
        Datendatei::speichern(d, b);
        const auto dauer =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        const int runden = 12;
        int alteGesehen = 0, neueGesehen = 0, gemeldet = 0;
        for (int i = 0; i < runden; ++i) {
            const QByteArray vorher = dateiLesen(d);
            const bool istA = vorher == bytesA;
            ASSERT_TRUE(istA || vorher == bytesB) << "round " << i;
            int rohr[2];
            ASSERT_EQ(::pipe(rohr), 0);
            const pid_t kind = ::fork();
            if (kind == 0) {
                Protokoll p;
                p.ohneUnbenannt = w.weg == Weg::Benannt;
                Systemaufrufe::setzen(&p);
                (void)::write(rohr[1], "x", 1);
                Datendatei::speichern(d, istA ? b : a);
                ::_exit(0);
            }
            char x;
            ASSERT_EQ(::read(rohr[0], &x, 1), 1);
            ::close(rohr[0]);
            ::close(rohr[1]);
            // From right at the start to a little after the save's usual end.
            std::this_thread::sleep_for(dauer * i / (runden - 2));
            ::kill(kind, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(kind, &status, 0), kind);

            // The next load says where the old collection is, or finds one whole.
            const std::optional<QString> kopie = Ersetzen::unterbrochen(d);
            const QByteArray nachher = dateiLesen(d);
            if (kopie) {
                EXPECT_EQ(dateiLesen(*kopie), vorher) << "round " << i;
                EXPECT_TRUE(QFile::remove(*kopie));
                dateiSchreiben(d, vorher); // as the keeper would put it back
                ++gemeldet;
            } else {
                const bool alt = nachher == vorher;
                EXPECT_TRUE(alt || nachher == (istA ? bytesB : bytesA))
                    << "round " << i << ": " << nachher.size() << " bytes";
                (alt ? alteGesehen : neueGesehen)++;
            }
            for (const QString &e : eintraege())
                EXPECT_TRUE(eigene.contains(e) || istTempName(e)) << e.toStdString();
            if (w.weg == Weg::ZweiterName) {
                EXPECT_EQ(dateiLesen(pfad("h2.vix")), dateiLesen(d)) << "round " << i;
            }
        }
        // Kills before and after the save's end happened (a hint, not the point).
        std::cout << "kept old " << alteGesehen << ", got new " << neueGesehen << ", told " << gemeldet << "\n";

        // The next save clears what the killed ones left.
        Datendatei::speichern(d, a);
        EXPECT_EQ(dateiLesen(d), bytesA);
        EXPECT_EQ(Ersetzen::unterbrochen(d), std::nullopt);
        EXPECT_EQ(eintraege(Ersetzen::sicherungsOrdner()), QStringList{});

        // What an earlier version left after a rewrite it ended: its marker
        // holds sums of the earlier kind, which the whole file still matches.
        if (w.weg == Weg::ZweiterName) {
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(d).constData(), &st), 0);
            const QString kenn = Ersetzen::sicherungsOrdner() + u'/' + QString::number(st.st_dev, 16) + u'-' +
                                 QString::number(st.st_ino, 16);
            const auto *roh = reinterpret_cast<const std::uint8_t *>(bytesA.constData());
            dateiSchreiben(kenn + ".kopie", bytesB);
            dateiSchreiben(kenn + ".marke",
                           QByteArray::number(qulonglong(Pruefsumme::frueherVon(roh, std::size_t(bytesA.size()))), 16) +
                               "\n1\n" + QFile::encodeName(d) + '\n');
            EXPECT_EQ(Ersetzen::unterbrochen(d), std::nullopt);
            EXPECT_EQ(eintraege(Ersetzen::sicherungsOrdner()), QStringList{});
        }
    }
    EXPECT_EQ(eintraege(), (QStringList{QStringLiteral("d.vix"), QStringLiteral("fest"), QStringLiteral("h.vix"),
                                        QStringLiteral("h2.vix")}));
}

TEST_F(SicherungTest, NurResteBeendeterProzesseWerdenEntfernt)
{
    const QString d = pfad("d.vix");
    Datendatei::speichern(d, sammlung(2, 1));

    // A save killed after creating its file: unnamed, it leaves nothing; named,
    // it leaves its file.
    const auto getoetet = [&](bool ohneUnbenannt) {
        return imKind([&] {
            Protokoll p;
            p.ohneUnbenannt = ohneUnbenannt;
            p.beimSchreiben = [] { ::raise(SIGKILL); };
            Systemaufrufe::setzen(&p);
            Datendatei::speichern(d, sammlung(3, 9));
            return 0;
        });
    };
    EXPECT_EQ(getoetet(false), 255);
    EXPECT_EQ(eintraege(), QStringList{QStringLiteral("d.vix")});
    EXPECT_EQ(getoetet(true), 255);
    const QStringList nachMord = eintraege();
    ASSERT_EQ(nachMord.size(), 2);
    const QString rest = nachMord[0];
    ASSERT_TRUE(istTempName(rest)) << rest.toStdString();
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(pfad(rest)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "readable by others";

    // A save that is still running keeps its file: a child that waits in the
    // middle of its write.
    int weiter[2], bereit[2];
    ASSERT_EQ(::pipe(weiter), 0);
    ASSERT_EQ(::pipe(bereit), 0);
    const pid_t laeuft = ::fork();
    if (laeuft == 0) {
        Protokoll p;
        p.ohneUnbenannt = true;
        p.beimSchreiben = [&] {
            char x;
            (void)::write(bereit[1], "x", 1);
            (void)::read(weiter[0], &x, 1);
        };
        Systemaufrufe::setzen(&p);
        ::_exit(code([&] { Datendatei::speichern(pfad("anders.vix"), sammlung(1, 5)); }));
    }
    char x;
    ASSERT_EQ(::read(bereit[0], &x, 1), 1);

    // Files that only look alike, or come from another machine, stay too.
    const QStringList fremde{QStringLiteral(".vivarix-zzzzzz-1-abc.tmp"), QStringLiteral(".vivarix-notiz.txt"),
                             QStringLiteral("a.tmp")};
    for (const QString &f : fremde)
        dateiSchreiben(pfad(f), "fremd");

    Datendatei::speichern(d, sammlung(1, 7));
    QStringList danach = eintraege();
    EXPECT_FALSE(danach.contains(rest));
    EXPECT_EQ(danach.size(), 2 + fremde.size()) << danach.join(u' ').toStdString();
    for (const QString &f : fremde)
        EXPECT_EQ(dateiLesen(pfad(f)), QByteArray("fremd"));

    ASSERT_EQ(::write(weiter[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(laeuft, &status, 0), laeuft);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(dateiLesen(pfad("anders.vix")), bytesVon(sammlung(1, 5)));
    for (int fd : {weiter[0], weiter[1], bereit[0], bereit[1]})
        ::close(fd);
}

// ---- A folder that takes no new file ----------------------------------------------

TEST_F(SicherungTest, OrdnerOhneNeueDateienBekommtSeineDateiAnOrtUndStelleNeu)
{
    const QString ordner = pfad("fest");
    ASSERT_TRUE(QDir().mkdir(ordner));
    const QString d = ordner + QStringLiteral("/d.vix");
    const TSchlangen fuenf = sammlung(5, 1), zwei = sammlung(2, 80), sieben = sammlung(7, 90);
    Datendatei::speichern(d, fuenf);
    Optionen::setVerzeichnis(ordner);
    Optionen::Werte w;
    w.maximize = true;
    Optionen::speichern(Optionen::Werte{});

    const auto pruefen = [&](const std::function<int(const std::function<void()> &)> &als) {
        // Shorter and then longer than the old file, each replacing it exactly.
        EXPECT_EQ(als([&] { Datendatei::speichern(d, zwei); }), 0);
        EXPECT_EQ(dateiLesen(d), bytesVon(zwei));
        EXPECT_EQ(als([&] { Datendatei::speichern(d, sieben); }), 0);
        EXPECT_EQ(dateiLesen(d), bytesVon(sieben));
        EXPECT_EQ(als([&] { Optionen::speichern(w); }), 0);
        EXPECT_EQ(dateiLesen(Optionen::pfad()), Optionen::schreiben(w));

        // A rewrite that fails midway puts the old bytes back, also past the new end.
        // (The copy and its marker are written and flushed before the file.)
        for (const auto &[aufruf, nach] : {std::pair{"pwrite", 2}, {"ftruncate", 0}, {"fsync", 3}}) {
            SCOPED_TRACE(aufruf);
            EXPECT_EQ(als([&] {
                          Protokoll p;
                          p.fehlerBei = aufruf;
                          p.nach = nach;
                          p.fehlerNr = ENOSPC;
                          Eingesetzt e(p);
                          Datendatei::speichern(d, zwei);
                      }),
                      EInOutError::ZuWenigPlatz);
            EXPECT_EQ(dateiLesen(d), bytesVon(sieben));
        }
        // A file that did not exist cannot be made there.
        EXPECT_EQ(als([&] { Datendatei::speichern(ordner + QStringLiteral("/neu.vix"), zwei); }),
                  EInOutError::ZugriffVerweigert);
        EXPECT_EQ(eintraege(ordner), (QStringList{QStringLiteral("d.vix"), QStringLiteral("options.ini")}));
        Datendatei::speichern(d, fuenf);
    };

    // As an ordinary user: the folder is read-only, the files writable.
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(Optionen::pfad()).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(ordner).constData(), 0555), 0);
    pruefen([](const std::function<void()> &f) { return alsNobody([&] { return code(f); }); });
    ASSERT_EQ(::chmod(QFile::encodeName(ordner).constData(), 0755), 0);

    // As root, who may write anywhere but into an immutable folder.
    {
        Unveraenderlich fest(ordner);
        if (fest.ok())
            pruefen([](const std::function<void()> &f) { return code(f); });
        else
            std::cout << "[  SKIPPED ] immutable folder: needs root and a file system with chattr\n";
    }
    Optionen::setVerzeichnis(QStringLiteral("."));
}

TEST_F(SicherungTest, JederNameEinerMehrfachVerknuepftenDateiZeigtDieNeueSammlung)
{
    const QString d = pfad("d.vix"), zweit = pfad("zweit.vix");
    const TSchlangen drei = sammlung(3, 1), zwei = sammlung(2, 40), fuenf = sammlung(5, 60);
    Datendatei::speichern(d, drei);
    if (::link(QFile::encodeName(d).constData(), QFile::encodeName(zweit).constData()) != 0)
        GTEST_SKIP() << "no hard links here";
    struct stat vorher, st;
    ASSERT_EQ(::stat(QFile::encodeName(d).constData(), &vorher), 0);
    // Shorter and longer, saved under either name.
    for (const auto &[name, neu] : {std::pair{d, zwei}, std::pair{zweit, fuenf}, std::pair{d, drei}}) {
        Datendatei::speichern(name, neu);
        EXPECT_EQ(dateiLesen(d), bytesVon(neu));
        EXPECT_EQ(dateiLesen(zweit), bytesVon(neu));
    }
    ASSERT_EQ(::stat(QFile::encodeName(zweit).constData(), &st), 0);
    EXPECT_EQ(st.st_ino, vorher.st_ino);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(eintraege(), (QStringList{QStringLiteral("d.vix"), QStringLiteral("zweit.vix")}));
    EXPECT_EQ(eintraege(Ersetzen::sicherungsOrdner()), QStringList{}) << "the copy goes once the save is done";

    // A cache folder not there yet is made, with those above it.
    {
        QTemporaryDir anderer;
        const QByteArray cache = qgetenv("XDG_CACHE_HOME"), oben = QFile::encodeName(anderer.path());
        qputenv("XDG_CACHE_HOME", oben + "/a/b");
        Protokoll p;
        {
            Eingesetzt e(p);
            Datendatei::speichern(d, drei);
        }
        qputenv("XDG_CACHE_HOME", cache);
        const std::vector<std::string> gemacht = p.namen("mkdir");
        ASSERT_GE(gemacht.size(), 3u);
        EXPECT_EQ(std::vector(gemacht.end() - 3, gemacht.end()),
                  (std::vector<std::string>{oben.toStdString() + "/a", oben.toStdString() + "/a/b",
                                            oben.toStdString() + "/a/b/vivarix"}));
        EXPECT_EQ(eintraege(QFile::decodeName(oben + "/a/b/vivarix")), QStringList{});
        EXPECT_EQ(dateiLesen(zweit), bytesVon(drei));
    }

    // A rewrite that fails midway (the disk fills after half of the new bytes)
    // gets the old bytes back from the copy, under both names.
    Protokoll p;
    p.fehlerBei = "pwrite";
    p.fehlerNr = ENOSPC;
    p.nach = 2; // the copy and the marker are written first
    {
        Eingesetzt e(p);
        EXPECT_EQ(code([&] { Datendatei::speichern(d, fuenf); }), EInOutError::ZuWenigPlatz) << p.folge();
    }
    EXPECT_EQ(dateiLesen(zweit), bytesVon(drei));
    EXPECT_EQ(eintraege(Ersetzen::sicherungsOrdner()), QStringList{});
    EXPECT_EQ(Ersetzen::unterbrochen(d), std::nullopt);
}

// ---- The cache folder of in-place rewrites, and earlier versions ------------------

namespace {
// An environment variable set for one scope.
class Umgebung {
public:
    Umgebung(const char *name, const QString &wert) : name_(name), vorher_(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(wert));
    }
    ~Umgebung() { qputenv(name_, vorher_); }

private:
    const char *name_;
    QByteArray vorher_;
};

QByteArray sn(const QString &p)
{
    return QFile::encodeName(p);
}

struct stat statVon(const QString &p)
{
    struct stat st {};
    EXPECT_EQ(::stat(sn(p).constData(), &st), 0) << p.toStdString();
    return st;
}
} // namespace

TEST_F(SicherungTest, UnsichererOderVollerCacheOrdnerWirdGenanntUndDieDateiBleibtUnberuehrt)
{
    // A file with a second name is rewritten in place, through a copy in the cache.
    const QString d = pfad("d.vix");
    Datendatei::speichern(d, sammlung(4, 1));
    ASSERT_EQ(::link(sn(d).constData(), sn(pfad("d2.vix")).constData()), 0);
    std::optional<KleinesDateisystem> klein;
    const struct {
        const char *grund;
        std::function<bool(const QByteArray &)> anlegen; // false: not here
    } faelle[] = {
        {"ist nicht sicher: er ist ein symbolischer Verweis", // to a folder of the keeper's
         [&](const QByteArray &o) { return ::symlink(sn(dir.path()).constData(), o.constData()) == 0; }},
        {"ist kein Ordner", [](const QByteArray &o) { return ::close(::creat(o.constData(), 0600)) == 0; }},
        {"ist nicht sicher: auch andere Benutzer dürfen darin schreiben",
         [](const QByteArray &o) { return ::mkdir(o.constData(), 0700) == 0 && ::chmod(o.constData(), 0770) == 0; }},
        {"ist nicht sicher: er gehört einem anderen Benutzer",
         [](const QByteArray &o) {
             return ::mkdir(o.constData(), 0700) == 0 && ::chown(o.constData(), 65534, 0) == 0;
         }},
        {"nimmt keine Kopie auf: Zu wenig Speicherplatz", // smaller than the copy
         [&](const QByteArray &o) {
             return ::mkdir(o.constData(), 0700) == 0 && klein.emplace(QFile::decodeName(o), "64k").da &&
                    ::chmod(o.constData(), 0700) == 0;
         }},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.grund);
        QTemporaryDir basis;
        const QString o = basis.path() + QStringLiteral("/vivarix");
        if (!fall.anlegen(sn(o))) {
            std::cout << "[  SKIPPED ] needs root\n";
            continue;
        }
        Umgebung cache("XDG_CACHE_HOME", basis.path());
        QString gesagt;
        try {
            Datendatei::speichern(d, sammlung(6, 2));
        } catch (const Ersetzen::ESicherungsOrdner &e) {
            gesagt = e.message();
        }
        EXPECT_EQ(gesagt,
                  QStringLiteral("Der Ordner für Sicherheitskopien „%1“ %2").arg(o, QString::fromUtf8(fall.grund)));
        EXPECT_EQ(dateiLesen(d), bytesVon(sammlung(4, 1)));
        EXPECT_EQ(eintraege(), (QStringList{QStringLiteral("d.vix"), QStringLiteral("d2.vix")}));
        EXPECT_TRUE(!klein || eintraege(o).isEmpty()) << "no part of a copy stays";
        klein.reset();
    }
}

// What an in-place rewrite killed at some point leaves, and what the next
// start and load make of it; also when another file has got its inode number.
TEST_F(SicherungTest, ResteGetoeteterUmschreibungenGehenOderWerdenNurIhrerDateiGemeldet)
{
    const TSchlangen alt = sammlung(3, 1), neu = sammlung(5, 2);
    const QString d = pfad("d.vix"), d2 = pfad("d2.vix"), b = pfad("b.vix"), cache = Ersetzen::sicherungsOrdner();
    // Kills a save of `d` (with a second name) at its `bei`-th write: the copy,
    // the marker, then the file, half of whose new bytes are in by the 4th;
    // with 0, as it removes its marker after the rewrite.
    const auto toeten = [&](int bei) {
        for (const QString &f : {d, d2, b})
            QFile::remove(f);
        Datendatei::speichern(d, alt);
        EXPECT_EQ(::link(sn(d).constData(), sn(d2).constData()), 0);
        struct Morden : Protokoll {
            int bei = 0, n = 0;
            ssize_t pwrite(int fd, const void *q, size_t len, off_t p) override
            {
                if (++n == bei)
                    ::raise(SIGKILL);
                return Protokoll::pwrite(fd, q, bei == 4 && n == 3 ? len / 2 : len, p);
            }
            int unlinkat(int o, const char *name, int f) override
            {
                if (bei == 0 && QByteArray(name).endsWith(".marke"))
                    ::raise(SIGKILL);
                return Protokoll::unlinkat(o, name, f);
            }
        };
        return imKind([&] {
            Morden m;
            m.bei = bei;
            Systemaufrufe::setzen(&m);
            Datendatei::speichern(d, neu);
            return 0;
        });
    };
    // Before the marker the file is untouched, after the rewrite it is whole:
    // neither is told, and the next start removes what is left.
    for (const int bei : {2, 0}) {
        ASSERT_EQ(toeten(bei), 255);
        EXPECT_FALSE(eintraege(cache).isEmpty());
        Ersetzen::resteAufraeumen();
        EXPECT_EQ(eintraege(cache), QStringList{}) << bei;
        EXPECT_EQ(Ersetzen::unterbrochen(d2), std::nullopt);
    }
    // Killed midway: the start leaves the copy, the next load of the file tells it.
    ASSERT_EQ(toeten(4), 255);
    ASSERT_NE(dateiLesen(d), bytesVon(alt));
    ASSERT_NE(dateiLesen(d), bytesVon(neu));
    Ersetzen::resteAufraeumen();
    const std::optional<QString> kopie = Ersetzen::unterbrochen(d2);
    ASSERT_TRUE(kopie);
    EXPECT_EQ(dateiLesen(*kopie), bytesVon(alt));
    QFile::remove(*kopie);
    // Not so a file made after it was deleted, with its inode number (where
    // the system gives another, the leftovers are renamed after the new one).
    ASSERT_EQ(toeten(4), 255);
    const auto kennung = [](const QString &f) {
        const struct stat st = statVon(f);
        return QString::number(st.st_dev, 16) + u'-' + QString::number(st.st_ino, 16);
    };
    const QString von = kennung(d);
    QFile::remove(d);
    QFile::remove(d2);
    dateiSchreiben(b, "ein anderes Programm");
    const QString zu = kennung(b);
    for (const char *endung : {".kopie", ".marke"}) {
        if (zu != von) {
            ASSERT_TRUE(QFile::rename(cache + u'/' + von + endung, cache + u'/' + zu + endung));
        }
    }
    EXPECT_EQ(Ersetzen::unterbrochen(b), std::nullopt);
    EXPECT_EQ(dateiLesen(b), QByteArray("ein anderes Programm"));
    EXPECT_EQ(eintraege(cache), QStringList{QStringLiteral("d vor dem Speichern 1.vix")}) << "kept out of its way";
}

// A file of the keepers saved by bob, and bob's own in a group he is not in:
// the new file could not take their owner and group, so the file is
// rewritten where it stands and keeps them.
TEST_F(SicherungTest, FremdeDateiBehaeltBesitzerUndGruppe)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand files to other users";
    const uid_t alice = 12345, bob = 34567;
    const gid_t keepers = 23456;
    const struct {
        uid_t besitzer;
        mode_t rechte;
        std::vector<gid_t> bobsGruppen;
    } faelle[] = {{alice, 0660, {keepers}}, {bob, 0666, {}}};
    const QString d = pfad("geteilt.vix");
    for (const auto &fall : faelle) {
        Datendatei::speichern(d, sammlung(2, 1));
        ASSERT_EQ(::chown(sn(d).constData(), fall.besitzer, keepers), 0);
        ASSERT_EQ(::chmod(sn(d).constData(), fall.rechte), 0);
        const struct stat vorher = statVon(d);
        EXPECT_EQ(alsBenutzer(bob, bob, fall.bobsGruppen,
                              [&] { return code([&] { Datendatei::speichern(d, sammlung(3, 7)); }); }),
                  0);
        const struct stat nachher = statVon(d);
        EXPECT_EQ(dateiLesen(d), bytesVon(sammlung(3, 7)));
        EXPECT_EQ((std::tuple{nachher.st_uid, nachher.st_gid, nachher.st_mode & 07777, nachher.st_ino}),
                  (std::tuple{fall.besitzer, keepers, fall.rechte, vorher.st_ino}));
    }
}

TEST_F(SicherungTest, FruehereFassungenJeTagDieLetztenSiebenUndNieAufKostenDesSpeicherns)
{
    QTemporaryDir daten;
    std::optional<Umgebung> ort(std::in_place, "XDG_DATA_HOME", daten.path());
    const QString d = pfad("d.vix");
    const QDate erster(2026, 3, 30); // over a month's end
    // Saves `s` on the day `heute`, keeping a version; what the keeper is told.
    const auto speichern = [&](const TSchlangen &s, const QDate &heute) {
        QString gesagt;
        Datendatei::speichern(d, s, [&](const QString &p, const struct stat &alt, bool bleibt) {
            gesagt = Fassungen::behalten(p, alt, bleibt, heute);
        });
        EXPECT_EQ(dateiLesen(d), bytesVon(s));
        return gesagt;
    };
    // Two saves a day for ten days: the first of each day keeps the state before
    // it (on the first day, that of the first save).
    std::map<QDate, QByteArray> erwartet;
    ino_t letzterAlter = 0;
    for (int tag = 0; tag < 10; ++tag) {
        erwartet[erster.addDays(tag)] = tag ? dateiLesen(d) : bytesVon(sammlung(1, 0));
        letzterAlter = tag ? statVon(d).st_ino : 0;
        EXPECT_EQ(speichern(sammlung(1, std::uint8_t(tag)), erster.addDays(tag)), QString());
        EXPECT_EQ(speichern(sammlung(2, std::uint8_t(100 + tag)), erster.addDays(tag)), QString());
    }
    const std::vector<Fassungen::Fassung> fassungen = Fassungen::liste(d);
    ASSERT_EQ(fassungen.size(), 7u);
    EXPECT_EQ(QDir(Fassungen::ordnerFuer(d)).entryList(QDir::Files).size(), 7);
    for (int i = 0; i < 7; ++i) {
        const Fassungen::Fassung &f = fassungen[std::size_t(i)];
        EXPECT_EQ(f.tag, erster.addDays(9 - i));
        EXPECT_EQ(dateiLesen(f.pfad), erwartet[f.tag]) << i;
        EXPECT_EQ(f.schlangen, 2u) << i;
    }
    // On the same file system the version is the old file itself, and the data
    // file has no second name that would make the next save a rewrite.
    EXPECT_EQ(statVon(fassungen[0].pfad).st_ino, letzterAlter);
    EXPECT_EQ(statVon(d).st_nlink, 1u);
    EXPECT_NE(Fassungen::ordnerFuer(pfad("anders/d.vix")), Fassungen::ordnerFuer(d));

    // A file with a second name is rewritten in place: the version is a copy.
    ASSERT_EQ(::link(sn(d).constData(), sn(pfad("d2.vix")).constData()), 0);
    const QByteArray vorher = dateiLesen(d);
    EXPECT_EQ(speichern(sammlung(2, 50), erster.addDays(10)), QString());
    EXPECT_EQ(dateiLesen(Fassungen::liste(d).front().pfad), vorher);
    EXPECT_EQ(dateiLesen(pfad("d2.vix")), bytesVon(sammlung(2, 50)));

    // A version that cannot be kept is told, and the save is made all the same.
    const QString stoerer = daten.path() + QStringLiteral("/kein-ordner");
    dateiSchreiben(stoerer, "x");
    ort.emplace("XDG_DATA_HOME", stoerer);
    EXPECT_EQ(speichern(sammlung(3, 60), erster.addDays(11)),
              QStringLiteral("Die frühere Fassung konnte nicht aufbewahrt werden: der Ordner „%1“ kann nicht angelegt "
                             "werden: ein Teil seines Pfads ist kein Ordner. Gespeichert wurde trotzdem.")
                  .arg(Fassungen::ordnerFuer(d)));
    // Over the limit nothing is read or linked: one line says so.
    const QString zuGross = QStringLiteral("Keine frühere Fassung aufbewahrt: die Datei ist größer als 1 GB.");
    struct stat gross = statVon(d);
    gross.st_size = off_t(Fassungen::HoechstensBytes) + 1;
    EXPECT_EQ(Fassungen::behalten(d, gross, true, erster.addDays(12)), zuGross);
    gross.st_size = off_t(Fassungen::HoechstensBytes);
    EXPECT_NE(Fassungen::behalten(d, gross, true, erster.addDays(12)), zuGross);
}

namespace {
// An access list of the form the kernel takes: the owner may read and write,
// user `nobody` may read, the group and others nothing.
QByteArray zugriffsliste(uid_t nobody)
{
    QByteArray a;
    const auto u32 = [&](std::uint32_t v) { a.append(reinterpret_cast<const char *>(&v), 4); };
    const auto eintrag = [&](std::uint16_t tag, std::uint16_t rechte, std::uint32_t id) {
        a.append(reinterpret_cast<const char *>(&tag), 2);
        a.append(reinterpret_cast<const char *>(&rechte), 2);
        u32(id);
    };
    u32(2);                // version
    eintrag(0x01, 6, ~0u); // owner
    eintrag(0x02, 4, nobody);
    eintrag(0x04, 0, ~0u); // group
    eintrag(0x10, 4, ~0u); // mask
    eintrag(0x20, 0, ~0u); // others
    return a;
}

std::map<std::string, QByteArray> attributeVon(const QString &pfad)
{
    std::map<std::string, QByteArray> m;
    const QByteArray p = QFile::encodeName(pfad);
    QByteArray namen(4096, '\0');
    const ssize_t n = ::listxattr(p.constData(), namen.data(), std::size_t(namen.size()));
    for (const QByteArray &name : namen.left(qsizetype(std::max<ssize_t>(n, 0))).split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray wert(4096, '\0');
        const ssize_t w = ::getxattr(p.constData(), name.constData(), wert.data(), std::size_t(wert.size()));
        m[name.toStdString()] = wert.left(qsizetype(std::max<ssize_t>(w, 0)));
    }
    return m;
}
} // namespace

TEST_F(SicherungTest, ErweiterteAttributeUndZugriffslisteBleibenBeiDerDatei)
{
    const QString d = pfad("d.vix");
    Datendatei::speichern(d, sammlung(1, 1));
    Optionen::setVerzeichnis(dir.path());
    Optionen::speichern(Optionen::Werte{});
    const QString dateien[] = {d, Optionen::pfad()};
    for (const QString &f : dateien) {
        const QByteArray p = QFile::encodeName(f);
        ASSERT_EQ(::chmod(p.constData(), 0600), 0);
        if (::setxattr(p.constData(), "user.vivarix.farbe", "gruen", 5, 0) != 0)
            GTEST_SKIP() << "the file system takes no user attributes";
        const QByteArray liste = zugriffsliste(65534);
        if (::setxattr(p.constData(), "system.posix_acl_access", liste.constData(), std::size_t(liste.size()), 0) != 0)
            GTEST_SKIP() << "the file system takes no access lists";
    }
    const auto modus = [](const QString &f) {
        struct stat st;
        return ::stat(QFile::encodeName(f).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    const auto knoten = [](const QString &f) {
        struct stat st;
        return ::stat(QFile::encodeName(f).constData(), &st) == 0 ? st.st_ino : 0;
    };
    const auto nobodyLiest = [](const QString &f) {
        return alsNobody([&] { return QFile(f).open(QIODevice::ReadOnly) ? 0 : 1; }) == 0;
    };
    const std::map<std::string, QByteArray> vorher = attributeVon(d);
    ASSERT_EQ(vorher.size(), 2u);
    const mode_t rechte = modus(d);
    ASSERT_TRUE(nobodyLiest(d));

    // Replaced by a new file, and (where an attribute cannot be set on it)
    // rewritten in place: either way the file keeps its attributes and rights.
    for (const bool setzenScheitert : {false, true}) {
        SCOPED_TRACE(setzenScheitert ? "in place" : "replaced");
        const auto altD = knoten(d), altO = knoten(Optionen::pfad());
        const TSchlangen neu = sammlung(2, setzenScheitert ? 30 : 20);
        Optionen::Werte w;
        w.maximize = setzenScheitert;
        for (const std::function<void()> &speichern : {std::function<void()>([&] { Datendatei::speichern(d, neu); }),
                                                       std::function<void()>([&] { Optionen::speichern(w); })}) {
            Protokoll p;
            if (setzenScheitert) {
                p.fehlerBei = "fsetxattr";
                p.fehlerNr = EPERM;
            }
            Eingesetzt e(p);
            speichern();
        }
        EXPECT_EQ(dateiLesen(d), bytesVon(neu));
        EXPECT_EQ(dateiLesen(Optionen::pfad()), Optionen::schreiben(w));
        for (const QString &f : dateien) {
            SCOPED_TRACE(f.toStdString());
            EXPECT_EQ(attributeVon(f), vorher);
            EXPECT_EQ(modus(f), rechte);
            EXPECT_TRUE(nobodyLiest(f));
        }
        EXPECT_EQ(knoten(d) == altD, setzenScheitert);
        EXPECT_EQ(knoten(Optionen::pfad()) == altO, setzenScheitert);
    }
    Optionen::setVerzeichnis(QStringLiteral("."));
}

// ---- Reading ------------------------------------------------------------------

TEST_F(SicherungTest, DateiGroesserAlsDerSpeicherWirdVorDemLesenAbgewiesen)
{
    const TSchlangen drei = sammlung(3, 30);
    dateiSchreiben(pfad("d.vix"), bytesVon(drei) + "x");
    const std::uint64_t groesse = 3 * G + 1;

    TSchlangen s = sammlung(1, 99);
    try {
        Datendatei::laden(pfad("d.vix"), s, groesse - 1);
        ADD_FAILURE() << "loaded";
    } catch (const EDateiZuGross &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Die Datei ist zu groß für den freien Arbeitsspeicher: sie hat 1 MB, "
                                              "Platz ist für 0 MB"));
    }
    EXPECT_EQ(s.size(), 1u);

    // At the limit it is read as ever: whole records, then the short one.
    EXPECT_EQ(code([&] { Datendatei::laden(pfad("d.vix"), s, groesse); }), EInOutError::HinterDateiende);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_TRUE(std::equal(drei.begin(), drei.end(), s.begin() + 1));

    // The limit in use is half of what the system has left, and never zero here.
    const std::uint64_t grenze = Datendatei::ladeGrenze();
    EXPECT_GT(grenze, std::uint64_t(1) << 20);
    EXPECT_LE(grenze, Einlesen::freierSpeicher());
    // It follows an address-space limit (whose room AddressSanitizer takes for itself).
    if (mitAdressSanitizer)
        GTEST_SKIP() << "AddressSanitizer's own reservation exceeds any address-space limit";
    const int rc = imKind([&] {
        const rlimit grenze{std::uint64_t(512) << 20, std::uint64_t(512) << 20};
        if (::setrlimit(RLIMIT_AS, &grenze) != 0)
            return 251;
        return Datendatei::ladeGrenze() <= (std::uint64_t(256) << 20) ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
}

TEST_F(SicherungTest, LadegrenzeFolgtDerKontrollgruppe)
{
    // Fake /proc and /sys files of a machine with 8 GiB available, each case a
    // control group as a container or `systemd-run -p MemoryMax=` leaves it.
    constexpr std::uint64_t M = std::uint64_t(1) << 20;
    struct Fall {
        const char *name;
        QByteArray gruppen;                                  // /proc/self/cgroup
        std::vector<std::pair<QString, QByteArray>> dateien; // below /sys/fs/cgroup
        std::uint64_t erwartet;                              // what the groups leave
    };
    const QByteArray v1 = "9:name=systemd:/\n4:memory:/docker/abc\n1:cpu,cpuacct:/\n";
    const Fall faelle[] = {
        {"v2",
         "0::/user.slice/app.scope\n",
         {{"user.slice/app.scope/memory.max", "1536000000\n"},
          {"user.slice/app.scope/memory.current", "1024000000\n"},
          {"user.slice/app.scope/memory.stat", "anon 700000000\ninactive_file 256000000\nactive_file 1\n"}},
         1536000000 - (1024000000 - 256000000)},
        {"v2, the group above is tighter",
         "0::/user.slice/app.scope\n",
         {{"user.slice/app.scope/memory.max", "max\n"},
          {"user.slice/app.scope/memory.current", "1\n"},
          {"user.slice/memory.max", "1000000000\n"},
          {"user.slice/memory.current", "900000000\n"}},
         100000000},
        {"v2, a group outside the namespace",
         "0::/../../fremd\n",
         {{"memory.max", "300\n"},
          {"memory.current", "100\n"},
          {"../../fremd/memory.max", "1\n"},
          {"../../fremd/memory.current", "1\n"}},
         200},
        {"v2, more in use than allowed", "0::/a\n", {{"a/memory.max", "100\n"}, {"a/memory.current", "200\n"}}, 0},
        {"v1",
         v1,
         {{"memory/docker/abc/memory.limit_in_bytes", "2048000000\n"},
          {"memory/docker/abc/memory.usage_in_bytes", "1536000000\n"},
          {"memory/docker/abc/memory.stat", "cache 5\ntotal_inactive_file 36000000\n"}},
         2048000000 - (1536000000 - 36000000)},
        {"v1 inside the container: its group is the top",
         v1,
         {{"memory/memory.limit_in_bytes", "1000000000\n"}, {"memory/memory.usage_in_bytes", "250000000\n"}},
         750000000},
        {"v1 without a limit",
         v1,
         {{"memory/memory.limit_in_bytes", "9223372036854771712\n"}, {"memory/memory.usage_in_bytes", "1\n"}},
         9223372036854771711u},
        {"no group files", "0::/\n", {}, UINT64_MAX},
        {"no /proc/self/cgroup", {}, {}, UINT64_MAX},
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.name);
        QTemporaryDir wurzel;
        ASSERT_TRUE(QDir(wurzel.path()).mkpath("proc/self"));
        dateiSchreiben(wurzel.filePath("proc/meminfo"), "MemTotal: 16777216 kB\nMemAvailable: 8388608 kB\n");
        if (!f.gruppen.isEmpty())
            dateiSchreiben(wurzel.filePath("proc/self/cgroup"), f.gruppen);
        for (const auto &[name, inhalt] : f.dateien) {
            const QString d = wurzel.filePath("sys/fs/cgroup/" + name);
            ASSERT_TRUE(QDir().mkpath(QFileInfo(d).path()));
            dateiSchreiben(d, inhalt);
        }
        EXPECT_EQ(Einlesen::gruppenSpeicher(wurzel.path()), f.erwartet);
        // The machine's memory and the process's own limits still apply beside the group's.
        rlimit as{}, data{};
        ::getrlimit(RLIMIT_AS, &as);
        ::getrlimit(RLIMIT_DATA, &data);
        Protokoll p;
        std::uint64_t frei = 0;
        {
            Eingesetzt e(p);
            frei = Einlesen::freierSpeicher(wurzel.path());
        }
        EXPECT_EQ(frei, std::min<std::uint64_t>({8192 * M, f.erwartet, as.rlim_cur, data.rlim_cur}));
        EXPECT_EQ(p.namen("openat").at(0), QFile::encodeName(wurzel.filePath("proc/meminfo")).toStdString());
    }
}

TEST_F(SicherungTest, BegrenzterLeserLiestBisZurGrenzeUndSagtObMehrDaIst)
{
    struct Fall {
        qsizetype groesse, grenze;
    };
    const Fall faelle[] = {
        {0, 0}, {0, 10}, {1, 0}, {10, 10}, {11, 10}, {5 << 20, 1 << 20}, {(1 << 20) - 1, 1 << 20}, {100000, 200000}};
    std::mt19937 rng(11);
    for (const Fall &f : faelle) {
        SCOPED_TRACE(std::to_string(f.groesse) + " / " + std::to_string(f.grenze));
        QByteArray inhalt(f.groesse, Qt::Uninitialized);
        for (char &c : inhalt)
            c = char(rng());
        dateiSchreiben(pfad("f"), inhalt);
        const Einlesen::Inhalt i = Einlesen::lesen(pfad("f"), f.grenze);
        EXPECT_EQ(i.fehler, 0);
        EXPECT_EQ(i.gekappt, f.groesse > f.grenze);
        EXPECT_EQ(i.bytes, inhalt.left(f.grenze));
    }
}
