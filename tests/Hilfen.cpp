#include "Hilfen.h"

#include <QCoreApplication>
#include <QDir>
#include <QThreadPool>
#include <QFile>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <stdexcept>
#include <thread>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

QByteArray dateiLesen(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void dateiSchreiben(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void vollschreiben(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    const QByteArray block(4096, 'f');
    while (f.write(block) == block.size() && f.flush()) {
    }
}

int imKind(const std::function<int()> &f)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int rc = 254;
        try {
            rc = f();
        } catch (...) {
            rc = 253;
        }
        _exit(rc);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

int alsBenutzer(uid_t benutzer, gid_t gruppe, const std::vector<gid_t> &weitere, const std::function<int()> &f)
{
    return imKind([&] {
        if (geteuid() == 0) {
            if (setgroups(weitere.size(), weitere.data()) != 0 || setgid(gruppe) != 0 || setuid(benutzer) != 0)
                return 252;
            // Cache and data folders of the user's own, inside the run's (which the mains open to all).
            for (const char *variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
                const QByteArray ordner = qgetenv(variable);
                if (!ordner.isEmpty())
                    qputenv(variable, ordner + '/' + QByteArray::number(benutzer));
            }
        }
        return f();
    });
}

int alsNobody(const std::function<int()> &f)
{
    const uid_t nobody = 65534;
    return alsBenutzer(nobody, nobody, {}, f);
}

KleinesDateisystem::KleinesDateisystem(const QString &p, const char *groesse) : pfad(QFile::encodeName(p))
{
    const QByteArray optionen = QByteArray("size=") + groesse;
    da = ::mount("tmpfs", pfad.constData(), "tmpfs", MS_NOSUID | MS_NODEV, optionen.constData()) == 0;
}

KleinesDateisystem::~KleinesDateisystem()
{
    if (da)
        ::umount2(pfad.constData(), MNT_DETACH);
}

void OrdnerTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
}

QStringList OrdnerTest::eintraege(const QString &ordner) const
{
    QStringList l = QDir(ordner.isEmpty() ? dir.path() : ordner)
                        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    l.sort();
    return l;
}

namespace {
int faeden()
{
    DIR *d = ::opendir("/proc/self/task");
    if (!d)
        return 1;
    int n = 0;
    while (const dirent *e = ::readdir(d))
        n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}
} // namespace

int testsAusfuehren(std::unique_ptr<QCoreApplication> app, int &argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int ergebnis = RUN_ALL_TESTS();
    QThreadPool::globalInstance()->waitForDone(); // the pool goes with the application
    app.reset();
    for (int i = 0; i < 500 && faeden() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ergebnis;
}
