#pragma once
// One reader for the regular files the program reads: the data file, the
// settings file and pictures. It opens without waiting on a named pipe,
// refuses anything but a regular file, reads over partial reads and
// interruptions, and never reads more than its caller allows.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace Einlesen {

// A regular file opened for reading. Failures are the system's error numbers:
// ENOENT for an empty name, EINVAL for a name the system cannot take or a
// pipe or device, EISDIR for a folder.
class Lesedatei {
public:
    explicit Lesedatei(const QString &pfad);
    ~Lesedatei();
    Lesedatei(const Lesedatei &) = delete;
    Lesedatei &operator=(const Lesedatei &) = delete;

    // 0 when the file is open, else why it is not.
    int fehler() const { return fehler_; }
    // The file's size when it was opened.
    std::uint64_t groesse() const { return groesse_; }
    // The open file's descriptor (-1 when it is not open), to ask the system about it.
    int deskriptor() const { return fd_; }
    // Reads up to `n` bytes from the current position; fewer only at the end
    // of the file or on a failure, whose error number goes to `err` (else 0).
    std::size_t lesen(void *ziel, std::size_t n, int &err);
    // Closes the file; returns the error number of a failed close (else 0).
    int schliessen();

private:
    int fd_ = -1;
    int fehler_ = 0;
    std::uint64_t groesse_ = 0;
};

struct Inhalt {
    QByteArray bytes;     // the first bytes of the file, at most the limit
    int fehler = 0;       // error number of a failed open or read (bytes then holds what was read)
    bool gekappt = false; // the file holds more than the limit
};

// Reads at most `hoechstens` bytes of the regular file at `pfad`.
Inhalt lesen(const QString &pfad, qsizetype hoechstens);

// Memory the program may still fill without pushing the system into swapping
// or into ending a process: the kernel's estimate of available memory, and
// no more than our address-space and data limits and our control group allow.
std::uint64_t freierSpeicher();
// The same with the system's files (/proc, /sys/fs/cgroup) read below `wurzel`,
// where a test lays out files of its own; an empty `wurzel` is the system.
std::uint64_t freierSpeicher(const QString &wurzel);

// What the memory control groups of this process still allow (cgroup v2:
// memory.max less memory.current; v1: memory.limit_in_bytes less
// memory.usage_in_bytes; the least over the group and those above it);
// UINT64_MAX where no group sets a limit. Files are read below `wurzel`.
std::uint64_t gruppenSpeicher(const QString &wurzel);

} // namespace Einlesen
