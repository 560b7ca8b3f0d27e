#include "data/Vorauslesen.h"

#include "data/Datendatei.h"
#include "data/Fortschritt.h"
#include "data/Systemaufrufe.h"

#include <QFile>
#include <chrono>
#include <system_error>
#include <sys/stat.h>

namespace {
struct Abgebrochen {};

std::int64_t nanosekunden(const timespec &t)
{
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}
} // namespace

Vorauslesen::Vorauslesen(std::function<QString()> welcheDatei)
{
    try {
        helfer = std::thread([this, w = std::move(welcheDatei)] { lesen(w); });
    } catch (const std::system_error &) {
        // No thread to be had (a process limit): nothing is read ahead, and
        // the start-up reads the file itself.
        fertig_ = true;
    }
}

Vorauslesen::~Vorauslesen()
{
    aufhoeren = true;
    if (helfer.joinable())
        helfer.join();
}

std::optional<Vorauslesen::Kennung> Vorauslesen::kennung(const QString &pfad)
{
    struct stat st {};
    if (pfad.isEmpty() || sys().stat(QFile::encodeName(pfad).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Kennung{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                   nanosekunden(st.st_mtim), nanosekunden(st.st_ctim)};
}

void Vorauslesen::lesen(const std::function<QString()> &welcheDatei)
{
    QString pfad;
    std::optional<Kennung> vorher;
    TSchlangen neu;
    Datendatei::Stand stand;
    bool ganz = false;
    try {
        pfad = welcheDatei();
        {
            std::lock_guard<std::mutex> l(schutz);
            pfad_ = pfad;
        }
        vorher = kennung(pfad);
        beginn = std::chrono::steady_clock::now().time_since_epoch().count();
        if (vorher) {
            // A listener makes the read go in slices, so it reports how far it
            // got and can stop between two of them.
            const Fortschritt::Rahmen rahmen([this](std::uint64_t e, std::uint64_t g) {
                erledigt = e;
                gesamt = g;
                if (aufhoeren)
                    throw Abgebrochen{};
            });
            Datendatei::laden(pfad, neu, &stand);
            ganz = true;
        }
    } catch (...) {
        // Whatever went wrong, the ordinary load meets it again and says so.
    }
    // The file must not have changed while it was read.
    const bool gleich = ganz && kennung(pfad) == vorher;
    std::lock_guard<std::mutex> l(schutz);
    if (gleich) {
        gelesen = vorher;
        saetze = std::move(neu);
        stand_ = stand;
    }
    fertig_ = true;
    ende.notify_all();
}

bool Vorauslesen::fertig() const
{
    std::lock_guard<std::mutex> l(schutz);
    return fertig_;
}

bool Vorauslesen::baldFertig(std::uint64_t erledigt, std::uint64_t gesamt, std::chrono::nanoseconds bisher,
                             std::chrono::milliseconds frist)
{
    if (erledigt == 0 || gesamt < erledigt || bisher.count() <= 0)
        return false;
    // The rest at the pace so far: (gesamt - erledigt) * bisher / erledigt, in floating point
    // because a large file times nanoseconds outgrows 64 bits.
    const double rest = double(gesamt - erledigt) * double(bisher.count()) / double(erledigt);
    return rest <= double(std::chrono::nanoseconds(frist).count());
}

bool Vorauslesen::baldFertig(std::chrono::milliseconds frist) const
{
    if (fertig())
        return true;
    const auto start = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(beginn.load()));
    if (beginn.load() == 0)
        return false;
    return baldFertig(erledigt, gesamt, std::chrono::steady_clock::now() - start, frist);
}

QString Vorauslesen::pfad() const
{
    std::lock_guard<std::mutex> l(schutz);
    return pfad_;
}

std::optional<TSchlangen> Vorauslesen::abholen(const QString &pfad, Datendatei::Stand *stand)
{
    {
        std::unique_lock<std::mutex> l(schutz);
        while (!ende.wait_for(l, std::chrono::milliseconds(50), [this] { return fertig_; })) {
            l.unlock();
            Fortschritt::melden(erledigt, gesamt);
            l.lock();
        }
    }
    if (abgeholt || !gelesen || pfad != pfad_ || kennung(pfad_) != gelesen)
        return std::nullopt;
    abgeholt = true;
    if (stand)
        *stand = stand_;
    return std::move(saetze);
}
