#pragma once
// The few system calls that replace a file. Saving makes them through this
// table, so that a test can record their order or let one of them fail; the
// program uses the system's own. One indirect call per system call costs
// nothing next to the call itself.
#include <sys/types.h>

class Systemaufrufe {
public:
    virtual ~Systemaufrufe() = default;

    virtual int openat(int ordner, const char *name, int flags, mode_t modus);
    virtual int close(int fd);
    virtual ssize_t pread(int fd, void *ziel, size_t n, off_t pos);
    virtual ssize_t pwrite(int fd, const void *quelle, size_t n, off_t pos);
    virtual int fsync(int fd);
    virtual int ftruncate(int fd, off_t laenge);
    virtual int fchmod(int fd, mode_t modus);
    virtual int fchown(int fd, uid_t besitzer, gid_t gruppe);
    virtual int linkat(int vonOrdner, const char *von, int nachOrdner, const char *nach, int flags);
    virtual int renameat(int vonOrdner, const char *von, int nachOrdner, const char *nach);
    virtual int unlinkat(int ordner, const char *name, int flags);
    virtual int fsetxattr(int fd, const char *name, const void *wert, size_t n, int flags);
    virtual int fremovexattr(int fd, const char *name);

    // The table in use: the system's own unless a test has put another in place.
    static Systemaufrufe &aktuell();
    // Puts `s` in place (nullptr: the system's own again); returns the one before.
    static Systemaufrufe *setzen(Systemaufrufe *s);
};
