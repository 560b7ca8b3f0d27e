#pragma once
// Small helpers shared by the tests.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

// Reads / writes a whole file.
QByteArray dateiLesen(const QString &path);
void dateiSchreiben(const QString &path, const QByteArray &bytes);

// Runs `f` in a forked child process that has given up root (it runs as the
// user "nobody") and returns the child's exit code; 255 when it crashed. Lets
// access-right tests hold when the suite runs as root.
int alsNobody(const std::function<int()> &f);

// Runs `f` in a forked child and returns its exit code (255 on a crash).
int imKind(const std::function<int()> &f);

// Built with AddressSanitizer: it reserves terabytes of address space at start,
// so a test that limits the address space leaves it no room to allocate.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool mitAdressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool mitAdressSanitizer = true;
#else
constexpr bool mitAdressSanitizer = false;
#endif
#else
constexpr bool mitAdressSanitizer = false;
#endif

// A tiny tmpfs of 100 KiB at `pfad` while it lives, where the test may mount
// one (as root); `da` tells whether it is mounted.
struct KleinesDateisystem {
    QByteArray pfad;
    bool da = false;
    explicit KleinesDateisystem(const QString &p);
    ~KleinesDateisystem();
    KleinesDateisystem(const KleinesDateisystem &) = delete;
    KleinesDateisystem &operator=(const KleinesDateisystem &) = delete;
};
