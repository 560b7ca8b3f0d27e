#pragma once
// Small helpers shared by the tests.
#include "data/Fehler.h"
#include "data/TSchlange.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/types.h>
#include <vector>

class QCoreApplication;

// Readable texts in failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// Reads / writes a whole file.
QByteArray dateiLesen(const QString &path);
void dateiSchreiben(const QString &path, const QByteArray &bytes);
// Writes `path` until its file system takes not one block more.
void vollschreiben(const QString &path);

// The bytes of a collection as the data file holds them.
// What the start and the options dialog say about a settings file beyond the
// 1 MiB the reader takes (as the message log writes it).
inline const QString OptionenZuGross =
    QStringLiteral("Fehler|Die Optionsdatei \"options.ini\" ist größer als 1024 KB und wurde nicht ganz gelesen.\n"
                   "Vivarix überschreibt sie nicht, solange sie nicht ganz gelesen werden kann.");

inline QByteArray bytesVon(const TSchlangen &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.data()), qsizetype(s.size() * TSchlange::Groesse));
}

// 0 when `f` succeeds, the code of the input/output error it raises (its
// message into `text`), 250 for anything else.
inline int code(const std::function<void()> &f, QString *text = nullptr)
{
    try {
        f();
        return 0;
    } catch (const EInOutError &e) {
        if (text)
            *text = e.message();
        return e.code();
    } catch (...) {
        return 250;
    }
}

// Runs `f` in a forked child process that has given up root (it runs as the
// user "nobody") and returns the child's exit code; 255 when it crashed. Lets
// access-right tests hold when the suite runs as root.
int alsNobody(const std::function<int()> &f);

// The same as the user `benutzer` of the group `gruppe` and the groups `weitere`.
int alsBenutzer(uid_t benutzer, gid_t gruppe, const std::vector<gid_t> &weitere, const std::function<int()> &f);

// Runs `f` in a forked child and returns its exit code (255 on a crash).
int imKind(const std::function<int()> &f);

// Runs the tests with the application `app` while it lives, then ends Qt's
// pooled threads and waits (up to five seconds) until the main thread is the
// only one left. A thread that has only just been joined is still tearing
// itself down for a moment, and the leak check that runs at exit under the
// sanitizer crashes when it stops a thread that is vanishing under it.
int testsAusfuehren(std::unique_ptr<QCoreApplication> app, int &argc, char **argv);

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

// A tiny tmpfs (100 KiB unless told) at `pfad` while it lives, where the test
// may mount one (as root); `da` tells whether it is mounted.
struct KleinesDateisystem {
    QByteArray pfad;
    bool da = false;
    explicit KleinesDateisystem(const QString &p, const char *groesse = "100k");
    ~KleinesDateisystem();
    KleinesDateisystem(const KleinesDateisystem &) = delete;
    KleinesDateisystem &operator=(const KleinesDateisystem &) = delete;
};

// A folder of the test's own, open to every user: some tests drop to nobody.
class OrdnerTest : public ::testing::Test {
protected:
    void SetUp() override;
    QString pfad(const QString &name) const { return dir.filePath(name); }
    // What the folder (or `ordner`) holds, hidden entries too, sorted.
    QStringList eintraege(const QString &ordner = {}) const;

    QTemporaryDir dir;
};
