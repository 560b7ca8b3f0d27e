#include "data/Systemaufrufe.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
Systemaufrufe system_;
Systemaufrufe *inGebrauch = &system_;
} // namespace

int Systemaufrufe::openat(int ordner, const char *name, int flags, mode_t modus)
{
    return ::openat(ordner, name, flags, modus);
}
int Systemaufrufe::close(int fd) { return ::close(fd); }
ssize_t Systemaufrufe::pread(int fd, void *ziel, size_t n, off_t pos) { return ::pread(fd, ziel, n, pos); }
ssize_t Systemaufrufe::pwrite(int fd, const void *quelle, size_t n, off_t pos) { return ::pwrite(fd, quelle, n, pos); }
int Systemaufrufe::fsync(int fd) { return ::fsync(fd); }
int Systemaufrufe::ftruncate(int fd, off_t laenge) { return ::ftruncate(fd, laenge); }
int Systemaufrufe::fchmod(int fd, mode_t modus) { return ::fchmod(fd, modus); }
int Systemaufrufe::fchown(int fd, uid_t besitzer, gid_t gruppe) { return ::fchown(fd, besitzer, gruppe); }
int Systemaufrufe::linkat(int vonOrdner, const char *von, int nachOrdner, const char *nach, int flags)
{
    return ::linkat(vonOrdner, von, nachOrdner, nach, flags);
}
int Systemaufrufe::renameat(int vonOrdner, const char *von, int nachOrdner, const char *nach)
{
    return ::renameat(vonOrdner, von, nachOrdner, nach);
}
int Systemaufrufe::unlinkat(int ordner, const char *name, int flags) { return ::unlinkat(ordner, name, flags); }
int Systemaufrufe::fsetxattr(int fd, const char *name, const void *wert, size_t n, int flags)
{
    return ::fsetxattr(fd, name, wert, n, flags);
}
int Systemaufrufe::fremovexattr(int fd, const char *name) { return ::fremovexattr(fd, name); }

Systemaufrufe &Systemaufrufe::aktuell() { return *inGebrauch; }

Systemaufrufe *Systemaufrufe::setzen(Systemaufrufe *s)
{
    Systemaufrufe *vorher = inGebrauch == &system_ ? nullptr : inGebrauch;
    inGebrauch = s ? s : &system_;
    return vorher;
}
