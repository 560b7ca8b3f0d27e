#include "Hilfen.h"

#include <QFile>
#include <cstdlib>
#include <stdexcept>
#include <sys/mount.h>
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

int alsNobody(const std::function<int()> &f)
{
    return imKind([&] {
        if (geteuid() == 0) {
            const uid_t nobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
                return 252;
            // A cache folder of nobody's own, inside the run's (which the mains open to all).
            const QByteArray cache = qgetenv("XDG_CACHE_HOME");
            if (!cache.isEmpty())
                qputenv("XDG_CACHE_HOME", cache + "/nobody");
        }
        return f();
    });
}

KleinesDateisystem::KleinesDateisystem(const QString &p) : pfad(QFile::encodeName(p))
{
    da = ::mount("tmpfs", pfad.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=100k") == 0;
}

KleinesDateisystem::~KleinesDateisystem()
{
    if (da)
        ::umount2(pfad.constData(), MNT_DETACH);
}
