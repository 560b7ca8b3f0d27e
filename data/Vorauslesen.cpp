#include "data/Vorauslesen.h"

#include "data/Datendatei.h"
#include "data/Einlesen.h"
#include "data/Fortschritt.h"
#include "data/Systemaufrufe.h"

#include <QFile>
#include <chrono>
#include <memory>
#include <system_error>
#include <sys/stat.h>

namespace {
struct Abgebrochen {};

// Reads exactly `n` bytes at `pos`: false on a failure or at the end of the file.
bool ganzLesen(int fd, void *ziel, std::size_t n, std::uint64_t pos)
{
    int err = 0;
    auto *z = static_cast<std::uint8_t *>(ziel);
    return ganzUebertragen(n, err, false, [&](std::size_t erledigt, std::size_t stueck) {
               return sys().pread(fd, z + erledigt, stueck, off_t(pos + erledigt));
           }) == n;
}
} // namespace

bool Vorauslesen::anfangZuerst(std::uint64_t groesse)
{
    return groesse > GanzBis && groesse % TSchlange::Groesse == 0;
}

bool Vorauslesen::Anfang::gehoertZu(const TSchlangen &alle) const
{
    if (alle.size() != anzahl || alle.empty() || !(alle[0] == erste))
        return false;
    for (qsizetype i = 1; i < namen.size(); ++i)
        if (alle[std::size_t(i)].name() != namen[i])
            return false;
    return true;
}

Vorauslesen::Vorauslesen(std::function<QString()> welcheDatei, int namen) : anfangsNamen(namen)
{
    try {
        helfer = std::thread([this, w = std::move(welcheDatei)] { lesen(w); });
    } catch (const std::system_error &) {
        // No thread to be had (a process limit): nothing is read ahead, and
        // the start-up reads the file itself.
        fertig_ = true;
        anfangFertig = true;
    }
}

Vorauslesen::~Vorauslesen()
{
    {
        std::lock_guard<std::mutex> l(schutz);
        aufhoeren = true;
    }
    los.notify_all();
    if (helfer.joinable())
        helfer.join();
}

std::optional<Vorauslesen::Anfang> Vorauslesen::anfangLesen(const QString &pfad,
                                                            const Datendatei::Kennung &vorher) const
{
    // Positioned reads of the few bytes needed, never a mapping: a file cut
    // short meanwhile gives a short read, not a signal that ends the program.
    Einlesen::Lesedatei datei(pfad);
    struct stat st {};
    if (datei.fehler() != 0 || sys().fstat(datei.deskriptor(), &st) != 0 || Datendatei::Kennung::von(st) != vorher ||
        !anfangZuerst(vorher.groesse) || !Datendatei::ladbar(vorher.groesse))
        return std::nullopt; // the ordinary load then meets it, and says what it is
    Anfang a;
    a.kennung = vorher;
    a.anzahl = vorher.groesse / TSchlange::Groesse;
    if (!ganzLesen(datei.deskriptor(), a.erste.data(), TSchlange::Groesse, 0))
        return std::nullopt;
    const auto n = std::min<std::uint64_t>(a.anzahl, std::uint64_t(anfangsNamen));
    a.namen.reserve(qsizetype(n));
    a.namen << a.erste.name();
    // Each name field read into one scratch record, so the record's own
    // accessor decodes it.
    auto feld = std::make_unique<TSchlange>();
    for (std::uint64_t i = 1; i < n; ++i) {
        if (!ganzLesen(datei.deskriptor(), feld->data() + TSchlange::OffName, TSchlange::NameKap + 1,
                       i * TSchlange::Groesse + TSchlange::OffName))
            return std::nullopt;
        a.namen << feld->name();
    }
    return a;
}

void Vorauslesen::lesen(const std::function<QString()> &welcheDatei)
{
    QString pfad;
    std::optional<Datendatei::Kennung> vorher;
    TSchlangen neu;
    Datendatei::Stand stand;
    bool ganz = false;
    try {
        pfad = welcheDatei();
        {
            std::lock_guard<std::mutex> l(schutz);
            pfad_ = pfad;
        }
        vorher = Datendatei::kennung(pfad);
        std::optional<Anfang> anfang = vorher && anfangsNamen > 0 ? anfangLesen(pfad, *vorher) : std::nullopt;
        {
            std::unique_lock<std::mutex> l(schutz);
            anfang_ = std::move(anfang);
            anfangFertig = true;
            ende.notify_all();
            // Beyond the beginning only once asked: until the first paint the
            // helper takes no processor time from the start.
            if (anfang_)
                los.wait(l, [this] { return weiter_ || aufhoeren; });
        }
        beginn = std::chrono::steady_clock::now().time_since_epoch().count();
        if (vorher && !aufhoeren) {
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
    // The file's bytes must not have changed while it was read, nor since its
    // beginning was read; new times alone (a touch) do not count.
    const bool gleich = ganz && Datendatei::haeltNoch(pfad, stand) && (!anfang_ || anfang_->gehoertZu(neu));
    std::function<void()> melden;
    {
        std::lock_guard<std::mutex> l(schutz);
        if (gleich) {
            gelesen = true;
            saetze = std::move(neu);
            stand_ = stand;
        }
        fertig_ = true;
        anfangFertig = true;
        melden = std::move(fertigMelden);
        ende.notify_all();
    }
    if (melden)
        melden();
}

void Vorauslesen::wennFertig(std::function<void()> f)
{
    {
        std::lock_guard<std::mutex> l(schutz);
        if (!fertig_) {
            fertigMelden = std::move(f);
            return;
        }
    }
    f();
}

std::optional<Vorauslesen::Anfang> Vorauslesen::anfang(const QString &pfad)
{
    std::unique_lock<std::mutex> l(schutz);
    ende.wait(l, [this] { return anfangFertig; });
    if (!anfang_ || pfad != pfad_)
        return std::nullopt;
    return anfang_;
}

void Vorauslesen::weiter()
{
    {
        std::lock_guard<std::mutex> l(schutz);
        weiter_ = true;
    }
    los.notify_all();
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
    weiter();
    {
        std::unique_lock<std::mutex> l(schutz);
        while (!ende.wait_for(l, std::chrono::milliseconds(50), [this] { return fertig_; })) {
            l.unlock();
            Fortschritt::melden(erledigt, gesamt);
            l.lock();
        }
    }
    if (abgeholt || !gelesen || pfad != pfad_ || !Datendatei::haeltNoch(pfad_, stand_))
        return std::nullopt;
    abgeholt = true;
    if (stand)
        *stand = stand_;
    return std::move(saetze);
}
