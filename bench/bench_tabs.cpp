// Filling the snake tab strip: one addTab per snake (as a load does it) and
// all at once with setTabs, each up to the first painted picture; a plain
// QTabBar filled the same way for comparison.
#include "bench/Anwendung.h"
#include "toolkit/TTabControl.h"

#include <QApplication>
#include <QPixmap>
#include <QTabBar>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

QStringList names(int n)
{
    QStringList out;
    out.reserve(n);
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("Schlange %1").arg(i);
    return out;
}

// Shows a fresh widget, lets `fill` fill it and paints it once; the widget is
// torn down outside the measured time.
template <class W, class Fill>
void fillAndPaint(benchmark::State &state, Fill fill)
{
    const QStringList all = names(int(state.range(0)));
    for (auto _ : state) {
        auto w = std::make_unique<W>();
        w->resize(900, 400);
        w->show();
        fill(*w, all);
        const QPixmap shot = w->grab();
        QCoreApplication::sendPostedEvents();
        benchmark::DoNotOptimize(shot);
        state.PauseTiming();
        w.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_TabControlAddTab(benchmark::State &state)
{
    fillAndPaint<TTabControl>(state, [](TTabControl &tc, const QStringList &all) {
        for (const QString &c : all)
            tc.addTab(c);
    });
}

void BM_TabControlSetTabs(benchmark::State &state)
{
    fillAndPaint<TTabControl>(state, [](TTabControl &tc, const QStringList &all) { tc.setTabs(all); });
}

// Selecting the last snake after the fill: scrolls the strip to its end.
void BM_TabControlAddTabSelectLast(benchmark::State &state)
{
    fillAndPaint<TTabControl>(state, [](TTabControl &tc, const QStringList &all) {
        for (const QString &c : all)
            tc.addTab(c);
        tc.setCurrentIndex(tc.count() - 1);
    });
}

void BM_QTabBarAddTab(benchmark::State &state)
{
    fillAndPaint<QTabBar>(state, [](QTabBar &bar, const QStringList &all) {
        for (const QString &c : all)
            bar.addTab(c);
    });
}

} // namespace

BENCHMARK(BM_TabControlAddTab)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabControlSetTabs)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabControlAddTabSelectLast)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTabBarAddTab)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The widgets need a QApplication, so this replaces BENCHMARK_MAIN().
int main(int argc, char **argv)
{
    return mitAnwendung(argc, argv);
}
