// Reading the start-up collection ahead on a helper thread: handed over only
// whole, only for the file asked for, only while that file is unchanged.
#include "Hilfen.h"
#include "data/Datendatei.h"
#include "data/Fortschritt.h"
#include "data/TSchlange.h"
#include "data/Vorauslesen.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TSchlange satz(int nr)
{
    TSchlange s;
    s.setName(QStringLiteral("Schlange %1").arg(nr));
    s.setTage(nr);
    s.setFutterDatum(0, QStringLiteral("0%1.12.26").arg(1 + nr % 9));
    s.setFutter(0, QStringLiteral("Maus %1").arg(nr));
    return s;
}

TSchlangen saetze(int n, int erste = 0)
{
    TSchlangen s;
    for (int i = 0; i < n; ++i)
        s.push_back(satz(erste + i));
    return s;
}

QStringList namen(const TSchlangen &s)
{
    QStringList n;
    for (const TSchlange &r : s)
        n << r.name();
    return n;
}

// Sets the file's modification time into the past, so any later write shows
// in it even within the clock tick the file was written in.
void altern(const QString &pfad)
{
    const timespec zeiten[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pfad).constData(), zeiten, 0), 0);
}

class VorauslesenTest : public OrdnerTest {
protected:
    // A helper reading `datei`, done before this returns.
    static std::unique_ptr<Vorauslesen> gelesen(const QString &datei)
    {
        auto v = std::make_unique<Vorauslesen>([datei] { return datei; });
        while (!v->fertig())
            std::this_thread::yield();
        return v;
    }
};

TEST_F(VorauslesenTest, UebergibtNurDieUnveraenderteDateiDieVerlangtWird)
{
    const QString a = pfad("a.vix");
    struct Fall {
        const char *was;
        std::function<void()> danach; // what happens to the file after the helper read it
        QString verlangt;             // the file the load asks for
        bool uebergeben;
    };
    const Fall faelle[] = {
        {"unchanged", [] {}, a, true},
        {"another file asked for", [] {}, pfad("b.vix"), false},
        {"the same file by another name", [] {}, QDir(dir.path()).filePath("./a.vix"), false},
        {"replaced by a saved file", [&] { Datendatei::speichern(a, saetze(3, 100)); }, a, false},
        {"a record appended",
         [&] {
             QFile f(a);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(QByteArray(qsizetype(TSchlange::Groesse), '\0'));
         },
         a, false},
        {"overwritten in place, same size",
         [&] {
             QFile f(a);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.write("\x05Anaco");
         },
         a, false},
        {"only touched", [&] { ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(a).constData(), nullptr, 0), 0); }, a,
         true},
        {"other rights and a second name",
         [&] {
             ASSERT_EQ(::chmod(QFile::encodeName(a).constData(), 0640), 0);
             QFile::remove(pfad("zweit.vix"));
             ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(pfad("zweit.vix")).constData()), 0);
         },
         a, true},
        {"removed", [&] { QFile::remove(a); }, a, false},
        {"a folder now",
         [&] {
             QFile::remove(a);
             QDir().mkdir(a);
         },
         a, false},
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.was);
        QDir(a).removeRecursively();
        QFile::remove(a);
        Datendatei::speichern(a, saetze(4));
        altern(a);
        auto v = gelesen(a);
        EXPECT_EQ(v->pfad(), a);
        EXPECT_TRUE(v->baldFertig(std::chrono::milliseconds(0))) << "done counts as soon done";
        f.danach();
        const std::optional<TSchlangen> r = v->abholen(f.verlangt);
        ASSERT_EQ(r.has_value(), f.uebergeben);
        if (r) {
            EXPECT_EQ(namen(*r), namen(saetze(4)));
            EXPECT_TRUE(*r == saetze(4)); // every byte, not just the names
            EXPECT_FALSE(v->abholen(a)) << "handed over twice";
        }
    }
}

TEST_F(VorauslesenTest, WasDerGewoehnlicheLadevorgangBemaengeltWirdNichtUebergeben)
{
    // A short last record, a folder, a pipe, a missing file, no file at all:
    // the helper gives up and the ordinary load reports it.
    dateiSchreiben(pfad("kurz.vix"), QByteArray(qsizetype(TSchlange::Groesse) * 3 / 2, 'x'));
    QDir().mkdir(pfad("ordner.vix"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.vix")).constData(), 0600), 0);
    for (const QString &datei :
         {pfad("kurz.vix"), pfad("ordner.vix"), pfad("rohr.vix"), pfad("fehlt.vix"), QString()}) {
        SCOPED_TRACE(datei.toStdString());
        auto v = gelesen(datei); // a pipe must not keep it waiting
        EXPECT_EQ(v->pfad(), datei);
        EXPECT_FALSE(v->abholen(datei));
    }
}

TEST_F(VorauslesenTest, WartenMeldetDenFortschrittAufDemWartendenFaden)
{
    // The helper does not start reading until the waiting thread has been told
    // of its progress at least once: so the wait is real, whatever the timing.
    Datendatei::speichern(pfad("a.vix"), saetze(2));
    std::mutex m;
    std::condition_variable cv;
    bool gemeldet = false;
    std::vector<std::thread::id> faeden;
    const Fortschritt::Rahmen rahmen([&](std::uint64_t, std::uint64_t) {
        std::lock_guard<std::mutex> l(m);
        faeden.push_back(std::this_thread::get_id());
        gemeldet = true;
        cv.notify_all();
    });
    Vorauslesen v([&, datei = pfad("a.vix")] {
        std::unique_lock<std::mutex> l(m);
        cv.wait(l, [&] { return gemeldet; });
        return datei;
    });
    const std::optional<TSchlangen> r = v.abholen(pfad("a.vix"));
    ASSERT_TRUE(r);
    EXPECT_EQ(namen(*r), namen(saetze(2)));
    ASSERT_FALSE(faeden.empty());
    for (const std::thread::id &id : faeden)
        EXPECT_EQ(id, std::this_thread::get_id()) << "progress reported from the helper's thread";
}

TEST(Vorauslesen, BaldFertigNachDemBisherigenTempo)
{
    using namespace std::chrono;
    constexpr std::uint64_t T = std::uint64_t(1) << 40; // a terabyte: no overflow in the estimate
    const struct {
        std::uint64_t erledigt, gesamt;
        nanoseconds bisher;
        bool bald;
    } faelle[] = {
        {0, 100, 10ms, false},              // nothing read yet: no telling
        {100, 100, 10ms, true},             // all read
        {50, 100, 50ms, true},              // 50 ms to go: just within
        {50, 100, 51ms, false},             // 51 ms to go
        {90, 100, 450ms, true},             // slow, but nearly through
        {10, 100, 10ms, false},             // 90 ms to go
        {44400000, 444000000, 18ms, false}, // ten thousand snakes, a tenth read
        {1, T, 1s, false},
        {T - 1, T, 10s, true},
        {101, 100, 1ms, false}, // a size that grew past the file's: no telling
        {50, 100, 0ns, false},
    };
    for (const auto &f : faelle) {
        SCOPED_TRACE(::testing::Message() << f.erledigt << " of " << f.gesamt << " in " << f.bisher.count() << " ns");
        EXPECT_EQ(Vorauslesen::baldFertig(f.erledigt, f.gesamt, f.bisher, 50ms), f.bald);
    }
}

TEST(Fortschritt, JederFadenHatSeinenEigenenMelder)
{
    int hier = 0;
    const Fortschritt::Rahmen rahmen([&](std::uint64_t, std::uint64_t) { ++hier; });
    constexpr std::size_t Viel = std::size_t(1) << 30;
    EXPECT_LT(Fortschritt::stueck(Viel), Viel); // a listener here: slices
    std::size_t dort = 0;
    std::thread([&] {
        dort = Fortschritt::stueck(Viel);
        Fortschritt::melden(1, 2);
    }).join();
    EXPECT_EQ(dort, Viel) << "another thread saw this thread's listener";
    EXPECT_EQ(hier, 0);
    Fortschritt::melden(1, 2);
    EXPECT_EQ(hier, 1);
}

TEST_F(VorauslesenTest, OhneFadenWirdNichtsVorausGelesen)
{
    // Where the system gives no further thread (here: a process limit of a user
    // who is not root), nothing is read ahead and nothing fails.
    Datendatei::speichern(pfad("a.vix"), saetze(2));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(pfad("a.vix")).constData(), 0644), 0);
    const int code = alsNobody([datei = pfad("a.vix")] {
        const rlimit keine{0, 0};
        if (::setrlimit(RLIMIT_NPROC, &keine) != 0)
            return 2;
        try {
            Vorauslesen v([datei] { return datei; });
            if (!v.fertig() || v.abholen(datei))
                return 3;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "thrown: %s\n", e.what());
            return 4;
        }
        TSchlangen s;
        Datendatei::laden(datei, s); // and the file reads as ever
        return s.size() == 2 ? 0 : 5;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(VorauslesenTest, OhneAbholenEndetDerHelferMitDemObjekt)
{
    // Let go before or after it is done: no wait for a reader that never comes,
    // and no helper thread outlives its object (the system may take a moment to
    // clear the last one).
    Datendatei::speichern(pfad("a.vix"), saetze(50));
    const auto faeden = [] {
        return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    };
    const qsizetype vorher = faeden();
    for (int i = 0; i < 20; ++i)
        Vorauslesen v([datei = pfad("a.vix")] { return datei; });
    for (int i = 0; i < 500 && faeden() != vorher; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(faeden(), vorher);
}

} // namespace

TEST_F(VorauslesenTest, GrosseDateiZuerstIhrAnfangDerRestErstWennVerlangt)
{
    const int n = 150; // above the size read whole at once, and more records than names first
    ASSERT_TRUE(Vorauslesen::anfangZuerst(std::uint64_t(n) * TSchlange::Groesse));
    const QString a = pfad("a.vix");
    Datendatei::speichern(a, saetze(n));
    altern(a);
    {
        Vorauslesen v([a] { return a; }, Vorauslesen::ErsteNamen);
        const std::optional<Vorauslesen::Anfang> anfang = v.anfang(a);
        ASSERT_TRUE(anfang);
        EXPECT_EQ(anfang->anzahl, std::uint64_t(n));
        EXPECT_TRUE(anfang->erste == satz(0));
        EXPECT_EQ(anfang->namen, namen(saetze(Vorauslesen::ErsteNamen)));
        EXPECT_FALSE(v.anfang(pfad("b.vix"))) << "the beginning of another file";
        EXPECT_FALSE(v.fertig()) << "read on before it was let go";
        EXPECT_EQ(v.erledigtBytes(), 0u);
        // Told once when done, and only then.
        std::atomic<int> gemeldet{0};
        std::atomic<bool> fertigBeimMelden{false};
        v.wennFertig([&] {
            fertigBeimMelden = v.fertig();
            ++gemeldet;
        });
        EXPECT_EQ(gemeldet, 0);
        const std::optional<TSchlangen> r = v.abholen(a);
        ASSERT_TRUE(r);
        EXPECT_TRUE(*r == saetze(n));
        EXPECT_TRUE(anfang->gehoertZu(*r));
        for (int i = 0; i < 500 && gemeldet == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(gemeldet, 1);
        EXPECT_TRUE(fertigBeimMelden);
        // Asked when done already: at once, on the asking thread.
        const std::thread::id hier = std::this_thread::get_id();
        std::thread::id wo;
        v.wennFertig([&] { wo = std::this_thread::get_id(); });
        EXPECT_EQ(wo, hier);
    }
    // Let go without being asked on: the helper ends with the object.
    {
        Vorauslesen v([a] { return a; }, Vorauslesen::ErsteNamen);
    }

    // A name changed in place between the beginning and the rest: the rest is
    // not handed over as if it belonged to what was shown first.
    {
        Vorauslesen v([a] { return a; }, Vorauslesen::ErsteNamen);
        ASSERT_TRUE(v.anfang(a));
        {
            QFile f(a);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.seek(qint64(3 * TSchlange::Groesse)));
            f.write("\x04Nemo");
        }
        EXPECT_FALSE(v.abholen(a));
    }

    // Small, or not whole records: read whole at once, as ever.
    dateiSchreiben(pfad("krumm.vix"), QByteArray(qsizetype(n) * qsizetype(TSchlange::Groesse) + 7, '\0'));
    Datendatei::speichern(pfad("klein.vix"), saetze(3));
    for (const QString &datei : {pfad("klein.vix"), pfad("krumm.vix")}) {
        SCOPED_TRACE(datei.toStdString());
        Vorauslesen v([datei] { return datei; }, Vorauslesen::ErsteNamen);
        EXPECT_FALSE(v.anfang(datei));
        EXPECT_EQ(v.abholen(datei).has_value(), datei == pfad("klein.vix"));
    }
}
