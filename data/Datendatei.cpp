#include "data/Datendatei.h"

#include "data/Einlesen.h"
#include "data/Ersetzen.h"
#include "data/Fehler.h"
#include "data/Pruefsumme.h"
#include "data/Systemaufrufe.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>

namespace {

using Datendatei::Stand;

[[noreturn]] void fehler(int err)
{
    throw EInOutError(EInOutError::codeFromErrno(err));
}

std::int64_t nanosekunden(const timespec &t)
{
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::int64_t uhrGrob()
{
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return nanosekunden(t);
}

// The step in which the file system keeps a file's times, as far as they show
// it: the largest power of ten that divides both; whole seconds count as two,
// as on FAT.
std::int64_t zeitSchritt(const struct stat &st)
{
    std::int64_t schritt = 1;
    while (schritt < 1000000000 && st.st_mtim.tv_nsec % (schritt * 10) == 0 && st.st_ctim.tv_nsec % (schritt * 10) == 0)
        schritt *= 10;
    return schritt == 1000000000 ? 2000000000 : schritt;
}

// A file system that keeps whole seconds may set the change time along with
// the modification time (FAT, many network and cloud mounts): a program that
// puts the modification time back then hides its change from both.
bool ganzeSekunden(const struct stat &st)
{
    return zeitSchritt(st) >= 1000000000;
}

// The kernel stamps a change with its coarse clock, cut to the file system's
// step. Once that clock has passed the file's times by a step, every later
// change gets later times. Just after a save it has usually not yet ticked
// on: a wait of up to this long, once per save, spares the next save reading
// the whole file back. A file system whose times are coarser (or a clock
// that runs behind the file's) gets no wait; its times do not suffice.
constexpr std::int64_t HoechstensWarten = 50000000;

bool zeitenReichen(const struct stat &st)
{
    if (ganzeSekunden(st))
        return false;
    const std::int64_t ende = std::max(nanosekunden(st.st_mtim), nanosekunden(st.st_ctim)) + zeitSchritt(st);
    for (std::int64_t jetzt = uhrGrob(); jetzt < ende; jetzt = uhrGrob()) {
        if (ende - jetzt > HoechstensWarten)
            return false;
        const timespec pause{0, long(std::max<std::int64_t>(ende - jetzt, 1000000))};
        ::nanosleep(&pause, nullptr);
    }
    return true;
}

// What the file `st` describes is, holding `bytes`. The bytes' checksum is
// taken from memory (summing runs at memory speed), so that changed times
// are settled by the content without reading the file twice.
Stand standVon(const struct stat &st, const std::uint8_t *bytes, std::size_t n)
{
    Stand s;
    s.bekannt = true;
    s.datei = Datendatei::Kennung::von(st);
    s.pruefsumme = Pruefsumme::von(bytes, n);
    s.zeitenReichen = zeitenReichen(st);
    return s;
}

// Files up to this size are loaded without looking at the free memory.
constexpr std::uint64_t KleinGenug = std::uint64_t(16) << 20;

void groessePruefen(std::uint64_t groesse, std::uint64_t hoechstens)
{
    if (groesse > hoechstens)
        throw EDateiZuGross(groesse, hoechstens);
}

// A large collection is read into fresh memory, page by page. Offered huge
// pages, the kernel fills it with a few dozen faults instead of ten thousand,
// which is most of what a load costs beyond copying the bytes.
void grosseSeitenAnbieten(void *anfang, std::size_t n)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t Seite = std::uintptr_t(2) << 20;
    const auto a = (reinterpret_cast<std::uintptr_t>(anfang) + Seite - 1) & ~(Seite - 1);
    const auto e = (reinterpret_cast<std::uintptr_t>(anfang) + n) & ~(Seite - 1);
    if (e > a)
        (void)::madvise(reinterpret_cast<void *>(a), e - a, MADV_HUGEPAGE); // only advice: fine where refused
#else
    (void)anfang;
    (void)n;
#endif
}

// Appends the records of an opened data file to `ziel`.
void einlesen(Einlesen::Lesedatei &datei, TSchlangen &ziel, Stand *stand = nullptr)
{
    // What the file was before it is read: changed while being read, it is
    // no longer that, and a save asks.
    struct stat vorher;
    if (stand && sys().fstat(datei.deskriptor(), &vorher) != 0)
        fehler(errno);
    const std::uint64_t groesse = datei.groesse();
    const std::uint64_t saetze = (groesse + TSchlange::Groesse - 1) / TSchlange::Groesse;
    const std::size_t alt = ziel.size();
    ziel.reserve(alt + std::size_t(saetze)); // past the limit's estimate: std::bad_alloc, reported as such
    grosseSeitenAnbieten(ziel.data() + alt, std::size_t(saetze) * TSchlange::Groesse);

    // Records are read straight into the collection's own storage, which is not
    // zeroed first: the file's bytes fill it once. A short or failed read keeps
    // every whole record before it.
    for (std::uint64_t i = 0; i < saetze; ++i)
        ziel.emplace_back(TSchlange::Ungefuellt{});
    const std::size_t want = std::size_t(saetze) * TSchlange::Groesse;
    int err = 0;
    const std::size_t got = saetze ? datei.lesen(ziel[alt].data(), want, err) : 0;
    ziel.erase(ziel.begin() + std::ptrdiff_t(alt + got / TSchlange::Groesse), ziel.end());
    if (err != 0)
        fehler(err);
    if (got < want)
        throw EInOutError(EInOutError::HinterDateiende);
    if (const int e = datei.schliessen())
        fehler(e);
    if (stand)
        *stand = standVon(vorher, saetze ? ziel[alt].data() : nullptr, got);
}

} // namespace

namespace Datendatei {

std::uint64_t ladeGrenze()
{
    // The other half stays for the windows, a later save and the rest of the system.
    return Einlesen::freierSpeicher() / 2;
}

bool ladbar(std::uint64_t groesse)
{
    return groesse <= KleinGenug || groesse <= ladeGrenze();
}

void laden(const QString &path, TSchlangen &ziel)
{
    laden(path, ziel, static_cast<Stand *>(nullptr));
}

void laden(const QString &path, TSchlangen &ziel, Stand *stand)
{
    Einlesen::Lesedatei datei(path);
    if (datei.fehler() != 0)
        fehler(datei.fehler());
    // A small file always fits; asking the system about its memory costs more
    // than reading a few records.
    if (datei.groesse() > KleinGenug)
        groessePruefen(datei.groesse(), ladeGrenze());
    einlesen(datei, ziel, stand);
}

Kennung Kennung::von(const struct stat &st)
{
    return {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(std::max<off_t>(st.st_size, 0)),
            nanosekunden(st.st_mtim), nanosekunden(st.st_ctim)};
}

std::optional<Kennung> kennung(const QString &pfad)
{
    struct stat st {};
    if (pfad.isEmpty() || sys().stat(QFile::encodeName(pfad).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Kennung::von(st);
}

bool haeltNoch(const QString &path, const Stand &stand)
{
    const std::optional<Kennung> jetzt = kennung(path);
    if (!stand.bekannt || !jetzt)
        return false;
    if (*jetzt == stand.datei && stand.zeitenReichen)
        return true;
    // Times changed (by a touch, new rights or links as much as by new bytes),
    // or times too coarse to tell: the bytes decide. Owner, rights, links and
    // attributes alone never count as a change.
    if (!stand.pruefsumme || jetzt->groesse != stand.datei.groesse)
        return !stand.pruefsumme && *jetzt == stand.datei;
    return Pruefsumme::datei(path) == stand.pruefsumme;
}

bool unveraendert(const QString &path, const Stand &stand)
{
    if (!stand.bekannt || !kennung(path))
        return true; // gone, or a failure the save itself then reports
    return haeltNoch(path, stand);
}

void laden(const QString &path, TSchlangen &ziel, std::uint64_t hoechstens)
{
    Einlesen::Lesedatei datei(path);
    if (datei.fehler() != 0)
        fehler(datei.fehler());
    groessePruefen(datei.groesse(), hoechstens);
    einlesen(datei, ziel);
}

Stand speichern(const QString &path, const TSchlange *records, std::size_t n, const Ersetzen::VorDemErsetzen &vorher)
{
    // TSchlange is exactly its bytes, so the array is the file image.
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(records);
    const std::optional<struct stat> st = Ersetzen::datei(path, bytes, n * TSchlange::Groesse, vorher);
    return st ? standVon(*st, bytes, n * TSchlange::Groesse) : Stand{};
}

} // namespace Datendatei
