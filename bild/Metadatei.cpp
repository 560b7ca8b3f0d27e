#include "bild/Metadatei.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Metadatei {

namespace {
QString &gesetzterHelfer()
{
    static QString pfad;
    return pfad;
}

// A socket notifier is switched off before its pipe closes, and deleted once
// no signal of it is on the way any more.
void weg(QSocketNotifier *melder)
{
    melder->setEnabled(false);
    melder->deleteLater();
}

} // namespace

QString helfer()
{
    if (!gesetzterHelfer().isEmpty())
        return gesetzterHelfer();
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vivarix-bild"));
}

void helferSetzen(const QString &pfad)
{
    gesetzterHelfer() = pfad;
}

Kennung kennung(const QByteArray &daten)
{
    Kennung k = QCryptographicHash::hash(daten, QCryptographicHash::Blake2b_160);
    const qint64 laenge = daten.size();
    k.append(reinterpret_cast<const char *>(&laenge), sizeof laenge);
    return k;
}

// ---- One run of the helper ----

class Lauf {
public:
    Lauf(const QByteArray &art, const QByteArray &daten, QSize sichtbar);
    ~Lauf();
    Lauf(const Lauf &) = delete;
    Lauf &operator=(const Lauf &) = delete;

    int rohr() const { return rohr_; }
    bool beendet() const { return beendet_; }
    // Takes what the helper wrote so far, waiting up to `wartenMs` (negative:
    // until the helper's bound) for the rest; true once the run is over.
    bool weiter(int wartenMs);
    std::optional<Gezeichnet> ergebnis() const;

private:
    void beenden(bool gelungen);
    pid_t kind_ = -1;
    int rohr_ = -1;
    QByteArray aus_;
    QSize sichtbar_;
    QElapsedTimer uhr_;
    bool beendet_ = false, gelungen_ = false;
};

Lauf::Lauf(const QByteArray &art, const QByteArray &daten, QSize sichtbar) : sichtbar_(sichtbar)
{
    uhr_.start();
    // The bytes go in through a file in memory, read from its start.
    const int eingabe = ::memfd_create("vivarix-bild", MFD_CLOEXEC);
    int rohr[2] = {-1, -1};
    bool ok = eingabe >= 0 && allesSchreiben(eingabe, daten.constData(), size_t(daten.size())) &&
              ::lseek(eingabe, 0, SEEK_SET) == 0 && ::pipe2(rohr, O_CLOEXEC | O_NONBLOCK) == 0;
    if (ok) {
        // The helper writes blocking; only this end waits without blocking.
        const int flags = ::fcntl(rohr[1], F_GETFL);
        ok = flags >= 0 && ::fcntl(rohr[1], F_SETFL, flags & ~O_NONBLOCK) == 0;
    }
    if (ok) {
        const QByteArray programm = QFile::encodeName(helfer());
        const QByteArray breite = QByteArray::number(sichtbar.width()), hoehe = QByteArray::number(sichtbar.height());
        char *argumente[] = {const_cast<char *>(programm.constData()), const_cast<char *>(art.constData()),
                             const_cast<char *>(breite.constData()), const_cast<char *>(hoehe.constData()), nullptr};
        posix_spawn_file_actions_t aktionen;
        posix_spawnattr_t attribute;
        posix_spawn_file_actions_init(&aktionen);
        posix_spawnattr_init(&attribute);
        posix_spawn_file_actions_adddup2(&aktionen, eingabe, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&aktionen, rohr[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&aktionen, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclosefrom_np(&aktionen, STDERR_FILENO + 1);
        // Nothing this program blocks or ignores carries over.
        sigset_t leer, standard;
        sigemptyset(&leer);
        sigemptyset(&standard);
        for (int s : {SIGPIPE, SIGCHLD, SIGALRM, SIGXCPU, SIGXFSZ, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2})
            sigaddset(&standard, s);
        posix_spawnattr_setsigmask(&attribute, &leer);
        posix_spawnattr_setsigdefault(&attribute, &standard);
        posix_spawnattr_setflags(&attribute, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        ok = ::posix_spawn(&kind_, programm.constData(), &aktionen, &attribute, argumente, environ) == 0;
        posix_spawnattr_destroy(&attribute);
        posix_spawn_file_actions_destroy(&aktionen);
        if (!ok)
            kind_ = -1;
    }
    if (eingabe >= 0)
        ::close(eingabe);
    if (rohr[1] >= 0)
        ::close(rohr[1]);
    rohr_ = rohr[0];
    if (!ok)
        beenden(false);
}

Lauf::~Lauf()
{
    if (!beendet_)
        beenden(false);
    if (rohr_ >= 0)
        ::close(rohr_);
}

bool Lauf::weiter(int wartenMs)
{
    QElapsedTimer gewartet;
    gewartet.start();
    char puffer[64 * 1024];
    while (!beendet_) {
        const ssize_t n = ::read(rohr_, puffer, sizeof puffer);
        if (n > 0) {
            if (aus_.size() + n > antwortHoechstens(sichtbar_))
                beenden(false);
            else
                aus_.append(puffer, n);
            continue;
        }
        if (n == 0) {
            beenden(true);
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN) {
            beenden(false);
            break;
        }
        const qint64 frist = FristMs - uhr_.elapsed();
        if (frist <= 0) {
            beenden(false);
            break;
        }
        const qint64 rest = wartenMs < 0 ? frist : std::min<qint64>(frist, wartenMs - gewartet.elapsed());
        if (rest <= 0)
            break;
        pollfd p{rohr_, POLLIN, 0};
        ::poll(&p, 1, int(rest));
    }
    return beendet_;
}

// The helper has answered (or failed, or gone past a bound): it is ended and
// reaped either way; only a whole answer counts. The pipe stays open until the
// run is destroyed, so that a socket notifier on it is gone first.
void Lauf::beenden(bool gelungen)
{
    beendet_ = true;
    gelungen_ = gelungen;
    if (kind_ > 0) {
        ::kill(kind_, SIGKILL);
        while (::waitpid(kind_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    kind_ = -1;
}

std::optional<Gezeichnet> Lauf::ergebnis() const
{
    if (!beendet_ || !gelungen_)
        return std::nullopt;
    return antwortLesen(aus_, sichtbar_);
}

std::optional<Gezeichnet> zeichnen(const QByteArray &art, const QByteArray &daten, QSize sichtbar)
{
    Lauf lauf(art, daten, sichtbar);
    while (!lauf.weiter(-1)) {
    }
    return lauf.ergebnis();
}

// ---- Conversions while the window goes on ----

Wandlungen &Wandlungen::alle()
{
    // Never destroyed: a helper still running at the end is ended with the application.
    static Wandlungen *w = new Wandlungen;
    return *w;
}

Wandlungen::Wandlungen()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &Wandlungen::vergessen);
}

Wandlungen::~Wandlungen() = default;

Wandlungen::Stand Wandlungen::abfragen(const Kennung &k, int wartenMs, std::optional<Gezeichnet> &bild)
{
    if (auto f = fertig_.constFind(k); f != fertig_.cend()) {
        bild = *f;
        return Stand::Fertig;
    }
    if (wartenMs < 0) {
        // Who waits to the end does not queue behind the window's requests.
        const auto w = std::find_if(wartend_.begin(), wartend_.end(), [&](const Auftrag &a) { return a.kennung == k; });
        if (w != wartend_.end()) {
            Auftrag a = std::move(*w);
            wartend_.erase(w);
            losgehen(std::move(a));
        }
    }
    if (const auto l = laufend_.value(k).lauf) {
        if (l->weiter(wartenMs))
            abschliessen(k);
    } else if (std::none_of(wartend_.begin(), wartend_.end(), [&](const Auftrag &a) { return a.kennung == k; })) {
        return Stand::Unbekannt;
    }
    if (auto f = fertig_.constFind(k); f != fertig_.cend()) {
        bild = *f;
        return Stand::Fertig;
    }
    return Stand::Laeuft;
}

void Wandlungen::starten(const Kennung &k, Art art, const QByteArray &daten, QSize sichtbar)
{
    if (fertig_.contains(k) || laufend_.contains(k) ||
        std::any_of(wartend_.begin(), wartend_.end(), [&](const Auftrag &a) { return a.kennung == k; }))
        return;
    Auftrag a{k, art, daten, sichtbar};
    if (laufend_.size() < HoechstensLaufend) {
        losgehen(std::move(a));
        return;
    }
    wartend_.push_back(std::move(a));
    if (int(wartend_.size()) > HoechstensWartend)
        wartend_.erase(wartend_.begin()); // asked again when it is shown again
}

void Wandlungen::losgehen(Auftrag a)
{
    auto lauf = std::make_shared<Lauf>(QByteArray(artName(a.art)), a.daten, a.sichtbar);
    if (lauf->beendet()) { // not even started
        ablegen(a.kennung, std::nullopt);
        return;
    }
    const Kennung k = a.kennung;
    auto *melder = new QSocketNotifier(lauf->rohr(), QSocketNotifier::Read, this);
    connect(melder, &QSocketNotifier::activated, this, [this, k] { nachsehen(k); });
    laufend_.insert(k, Laufend{std::move(lauf), melder});
    // A helper that neither answers nor ends is ended at its bound.
    QTimer::singleShot(FristMs + 50, this, [this, k] { nachsehen(k); });
}

void Wandlungen::nachsehen(const Kennung &k)
{
    const auto l = laufend_.value(k).lauf;
    if (l && l->weiter(0))
        abschliessen(k);
}

void Wandlungen::abschliessen(const Kennung &k)
{
    const Laufend l = laufend_.take(k);
    if (!l.lauf)
        return;
    weg(l.melder);
    ablegen(k, l.lauf->ergebnis());
    while (laufend_.size() < HoechstensLaufend && !wartend_.empty()) {
        Auftrag a = std::move(wartend_.back()); // the newest: most likely the one on show
        wartend_.pop_back();
        losgehen(std::move(a));
    }
}

void Wandlungen::ablegen(const Kennung &k, std::optional<Gezeichnet> bild)
{
    fertig_.insert(k, std::move(bild));
    reihenfolge_.push_back(k);
    while (int(reihenfolge_.size()) > HoechstensBehalten) {
        fertig_.remove(reihenfolge_.front());
        reihenfolge_.erase(reihenfolge_.begin());
    }
    // Told after the caller has what it asked for, never in the middle of it.
    QMetaObject::invokeMethod(this, &Wandlungen::fertig, Qt::QueuedConnection);
}

void Wandlungen::vergessen()
{
    for (const Laufend &l : std::as_const(laufend_))
        weg(l.melder);
    laufend_.clear(); // each run ends its helper
    wartend_.clear();
    fertig_.clear();
    reihenfolge_.clear();
}

} // namespace Metadatei
