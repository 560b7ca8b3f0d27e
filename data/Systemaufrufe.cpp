#include "data/Systemaufrufe.h"

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
Systemaufrufe system_;
// Read by a load on another thread while a test puts its own table in place.
std::atomic<Systemaufrufe *> inGebrauch{&system_};
} // namespace

int Systemaufrufe::openat(int ordner, const char *name, int flags, mode_t modus)
{
    return ::openat(ordner, name, flags, modus);
}
int Systemaufrufe::close(int fd)
{
    return ::close(fd);
}
ssize_t Systemaufrufe::pread(int fd, void *ziel, size_t n, off_t pos)
{
    return ::pread(fd, ziel, n, pos);
}
ssize_t Systemaufrufe::pwrite(int fd, const void *quelle, size_t n, off_t pos)
{
    return ::pwrite(fd, quelle, n, pos);
}
int Systemaufrufe::fsync(int fd)
{
    return ::fsync(fd);
}
int Systemaufrufe::ftruncate(int fd, off_t laenge)
{
    return ::ftruncate(fd, laenge);
}
int Systemaufrufe::fchmod(int fd, mode_t modus)
{
    return ::fchmod(fd, modus);
}
int Systemaufrufe::fchown(int fd, uid_t besitzer, gid_t gruppe)
{
    return ::fchown(fd, besitzer, gruppe);
}
int Systemaufrufe::linkat(int vonOrdner, const char *von, int nachOrdner, const char *nach, int flags)
{
    return ::linkat(vonOrdner, von, nachOrdner, nach, flags);
}
int Systemaufrufe::renameat(int vonOrdner, const char *von, int nachOrdner, const char *nach)
{
    return ::renameat(vonOrdner, von, nachOrdner, nach);
}
int Systemaufrufe::unlinkat(int ordner, const char *name, int flags)
{
    return ::unlinkat(ordner, name, flags);
}
int Systemaufrufe::fsetxattr(int fd, const char *name, const void *wert, size_t n, int flags)
{
    return ::fsetxattr(fd, name, wert, n, flags);
}
int Systemaufrufe::fremovexattr(int fd, const char *name)
{
    return ::fremovexattr(fd, name);
}
ssize_t Systemaufrufe::read(int fd, void *ziel, size_t n)
{
    return ::read(fd, ziel, n);
}
int Systemaufrufe::fcntl(int fd, int befehl, int wert)
{
    return ::fcntl(fd, befehl, wert);
}
int Systemaufrufe::fstat(int fd, struct stat *st)
{
    return ::fstat(fd, st);
}
int Systemaufrufe::stat(const char *pfad, struct stat *st)
{
    return ::stat(pfad, st);
}
int Systemaufrufe::lstat(const char *pfad, struct stat *st)
{
    return ::lstat(pfad, st);
}
ssize_t Systemaufrufe::readlink(const char *pfad, char *ziel, size_t n)
{
    return ::readlink(pfad, ziel, n);
}
int Systemaufrufe::faccessat(int ordner, const char *name, int art, int flags)
{
    return ::faccessat(ordner, name, art, flags);
}
int Systemaufrufe::mkdir(const char *pfad, mode_t modus)
{
    return ::mkdir(pfad, modus);
}
ssize_t Systemaufrufe::getdents(int fd, void *ziel, size_t n)
{
    return ::getdents64(fd, ziel, n);
}
ssize_t Systemaufrufe::flistxattr(int fd, char *namen, size_t n)
{
    return ::flistxattr(fd, namen, n);
}
ssize_t Systemaufrufe::listxattr(const char *pfad, char *namen, size_t n)
{
    return ::listxattr(pfad, namen, n);
}
ssize_t Systemaufrufe::fgetxattr(int fd, const char *name, void *wert, size_t n)
{
    return ::fgetxattr(fd, name, wert, n);
}
ssize_t Systemaufrufe::getxattr(const char *pfad, const char *name, void *wert, size_t n)
{
    return ::getxattr(pfad, name, wert, n);
}

Systemaufrufe &Systemaufrufe::aktuell()
{
    return *inGebrauch;
}

Systemaufrufe *Systemaufrufe::setzen(Systemaufrufe *s)
{
    Systemaufrufe *vorher = inGebrauch.exchange(s ? s : &system_);
    return vorher == &system_ ? nullptr : vorher;
}
