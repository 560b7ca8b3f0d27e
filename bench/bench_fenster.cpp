// The main window with many snakes: Laden with all its tabs, and Upd of a full snake.
// Targets: Laden of 1,000 snakes under 100 ms, 10,000 within 12 times that;
// Upd of a snake with 200 feedings and 200 remarks under 2 ms.
#include "bench/Anwendung.h"
#include "bench/Hauptfenster.h"
#include "app/TVivarix.h"
#include "data/Datendatei.h"
#include "toolkit/TTabControl.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
TSchlange volleSchlange(int i)
{
    TSchlange s;
    s.setName(QStringLiteral("Schlange %1").arg(i));
    s.setGattung(QStringLiteral("Python regius"));
    s.setTage(7 + i % 14);
    for (int k = 0; k < TSchlange::MaxEintraege; ++k) {
        s.setFutterDatum(k, QStringLiteral("%1.11.26").arg(1 + k % 28, 2, 10, QLatin1Char('0')));
        s.setFutter(k, QStringLiteral("Maus Nummer %1").arg(k));
        s.setBemerkDatum(k, QStringLiteral("%1.10.26").arg(1 + k % 28, 2, 10, QLatin1Char('0')));
        s.setBemerkung(k, QStringLiteral("Häutung Nummer %1").arg(k));
    }
    return s;
}

struct Umgebung {
    QTemporaryDir dir;
    std::unique_ptr<TVivarix> w;
    Umgebung() : w(hauptfenster(dir.path())) {}
    QString datei(int n)
    {
        const QString p = dir.filePath(QStringLiteral("b%1.vix").arg(n));
        if (!QFile::exists(p)) {
            TSchlangen s;
            s.reserve(size_t(n));
            for (int i = 0; i < n; ++i)
                s.push_back(volleSchlange(i));
            Datendatei::speichern(p, s);
        }
        return p;
    }
};

Umgebung &umgebung()
{
    return einmal<Umgebung>();
}

void BM_Laden(benchmark::State &state)
{
    Umgebung &u = umgebung();
    const QString p = u.datei(int(state.range(0)));
    for (auto _ : state) {
        u.w->Laden(p);
        while (u.w->restOffen()) // a large collection comes in whole from a helper thread
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents(); // lay out and paint the strip once
        benchmark::DoNotOptimize(u.w->TabControl1->count());
    }
    state.SetLabel("whole collection, incl. tabs, Upd(0) and first paint");
}
// The processor time of the whole process: the helper's read counts too.
BENCHMARK(BM_Laden)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();

void BM_UpdVoll(benchmark::State &state)
{
    Umgebung &u = umgebung();
    u.w->Laden(u.datei(2));
    int i = 0;
    for (auto _ : state) {
        u.w->Upd(i);
        i ^= 1;
    }
    state.SetLabel("200 feedings and 200 remarks");
}
BENCHMARK(BM_UpdVoll)->Unit(benchmark::kMicrosecond);

void BM_MerkenVoll(benchmark::State &state)
{
    Umgebung &u = umgebung();
    u.w->Laden(u.datei(2));
    for (auto _ : state)
        u.w->Merken();
}
BENCHMARK(BM_MerkenVoll)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    return mitAnwendung(argc, argv, [] { einmalig<Umgebung>().reset(); });
}
