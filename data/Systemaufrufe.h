#pragma once
// The system calls of the data layer. Loading and saving make them through
// this table, so that a test can record their order or let one of them fail;
// the program uses the system's own. One indirect call per system call costs
// nothing next to the call itself.
#include "data/Fortschritt.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <utility>
#include <sys/stat.h>
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
    virtual ssize_t read(int fd, void *ziel, size_t n);
    virtual int fcntl(int fd, int befehl, int wert);
    virtual int fstat(int fd, struct stat *st);
    virtual int stat(const char *pfad, struct stat *st);
    virtual int lstat(const char *pfad, struct stat *st);
    virtual ssize_t readlink(const char *pfad, char *ziel, size_t n);
    virtual int faccessat(int ordner, const char *name, int art, int flags);
    virtual int mkdir(const char *pfad, mode_t modus);
    // The entries of an open folder, as the system lists them (struct dirent64).
    virtual ssize_t getdents(int fd, void *ziel, size_t n);
    virtual ssize_t flistxattr(int fd, char *namen, size_t n);
    virtual ssize_t listxattr(const char *pfad, char *namen, size_t n);
    virtual ssize_t fgetxattr(int fd, const char *name, void *wert, size_t n);
    virtual ssize_t getxattr(const char *pfad, const char *name, void *wert, size_t n);

    // The table in use: the system's own unless a test has put another in place.
    static Systemaufrufe &aktuell();
    // Puts `s` in place (nullptr: the system's own again); returns the one before.
    static Systemaufrufe *setzen(Systemaufrufe *s);
};

// The table in use, for short.
inline Systemaufrufe &sys()
{
    return Systemaufrufe::aktuell();
}

// Owns a descriptor; the destructor closes it quietly through the table in use.
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
    int freigeben() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Linux moves at most about 2 GiB per read or write call; a gibibyte at a time stays well below.
constexpr std::size_t MaxJeAufruf = std::size_t(1) << 30;

// Moves `n` bytes with one read or write after another, over partial moves and
// interruptions: `aufruf(erledigt, stueck)` moves at most `stueck` bytes from
// `erledigt` bytes on. Stops when a call moves nothing (the end of a file, or a
// file that takes no more) or fails, its error number then in `err` (else 0).
// With `melden`, slices the bytes for a listening window and reports each.
// Returns how many bytes were moved.
template <typename Aufruf>
std::size_t ganzUebertragen(std::size_t n, int &err, bool melden, Aufruf aufruf)
{
    err = 0;
    std::size_t erledigt = 0;
    while (erledigt < n) {
        const std::size_t stueck = std::min(n - erledigt, melden ? Fortschritt::stueck(MaxJeAufruf) : MaxJeAufruf);
        const ssize_t r = aufruf(erledigt, stueck);
        if (r > 0) {
            erledigt += std::size_t(r);
            if (melden)
                Fortschritt::melden(erledigt, n);
        } else if (r == 0)
            break;
        else if (errno != EINTR) {
            err = errno;
            break;
        }
    }
    return erledigt;
}
