// The reminder at login over 10,000 snakes with 200 feedings each (target: the
// whole run, from reading the settings to the decision what to say, well within
// a second; the program as a whole process beside it), and the finder "Gehe zu
// Schlange" over 10,000 names: opening it, and typing a name letter by letter
// (target: no visible pause, that is a few milliseconds a letter).
#include "bench/Anwendung.h"
#include "analysis/Auswertung.h"
#include "app/TGeheZu.h"
#include "cli/Erinnerung.h"
#include "data/Datendatei.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
constexpr int Anzahl = 10000;
const QDate heuteQ(2026, 12, 7);

// A folder with the settings and a data file of 10,000 snakes, a few hundred of them due.
const QTemporaryDir &sammlung()
{
    static QTemporaryDir ordner;
    static const bool geschrieben = [] {
        TSchlangen s(Anzahl);
        for (int i = 0; i < Anzahl; ++i) {
            s[std::size_t(i)].setName(QStringLiteral("Natter %1").arg(i));
            s[std::size_t(i)].setTage(30);
            for (int k = 0; k < TSchlange::MaxEintraege; ++k)
                s[std::size_t(i)].setFutterDatum(
                    k, heuteQ.addDays(-(i % 40) - 7 * k).toString(QStringLiteral("dd.MM.yy")));
        }
        Datendatei::speichern(ordner.filePath(QStringLiteral("s.vix")), s);
        QFile ini(ordner.filePath(QStringLiteral("options.ini")));
        return ini.open(QIODevice::WriteOnly) && ini.write("[Options]\r\nautoload=1\r\nfile=s.vix\r\n") > 0;
    }();
    benchmark::DoNotOptimize(geschrieben);
    return ordner;
}

// Everything but the notification itself: a bus that is not connected ends the
// run right after the decision.
void BM_Erinnerung(benchmark::State &state)
{
    const QString ordner = sammlung().path();
    const QDBusConnection keinBus(QStringLiteral("kein Bus"));
    for (auto _ : state)
        benchmark::DoNotOptimize(Erinnerung::erinnern(keinBus, ordner, Auswertung::Kalendertag(heuteQ)));
}
BENCHMARK(BM_Erinnerung)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The program as the autostart runs it, on a session bus that is not there.
void BM_ErinnerungProzess(benchmark::State &state)
{
    const QString ordner = sammlung().path();
    for (auto _ : state) {
        QProcess p;
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + ordner + "/kein-bus");
        p.setProcessEnvironment(umgebung);
        p.setWorkingDirectory(ordner);
        p.start(QStringLiteral(VIVARIX_PROGRAMM), {QStringLiteral("--erinnern")});
        p.waitForFinished(-1);
        benchmark::DoNotOptimize(p.exitCode());
    }
}
BENCHMARK(BM_ErinnerungProzess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

QStringList namen()
{
    QStringList l;
    for (int i = 0; i < Anzahl; ++i)
        l << QStringLiteral("Königspython %1").arg(i);
    return l;
}

// "königspython 1234" typed letter by letter, then cleared: per letter.
void BM_GeheZuFiltern(benchmark::State &state)
{
    TNamenFilter modell(namen());
    const QString text = QStringLiteral("königspython 1234");
    for (auto _ : state) {
        for (qsizetype n = 1; n <= text.size(); ++n)
            modell.filtern(text.left(n));
        modell.filtern(QString());
    }
    state.SetItemsProcessed(state.iterations() * (text.size() + 1));
}
BENCHMARK(BM_GeheZuFiltern)->Unit(benchmark::kMillisecond);

// From the command to the finder on screen with every name in its list.
void BM_GeheZuOeffnen(benchmark::State &state)
{
    const QStringList alle = namen();
    for (auto _ : state) {
        TGeheZu g(nullptr, alle, Anzahl / 2);
        g.show();
        QCoreApplication::processEvents();
        g.repaint();
    }
}
BENCHMARK(BM_GeheZuOeffnen)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return mitAnwendung(argc, argv);
}
