// The feeding evaluations over 10,000 snakes with 200 feedings each, beside a
// vectorised sweep that only reads the same date bytes from the records
// (target: each evaluation within 3 times that sweep), and the notice windows
// of Fress-Check (F2) and Fress-Termine (F3) with 10,000 listed snakes, from
// the key on the main window to the window painted (target: 30 ms of
// processor time) and on until it is closed, and one full scroll of its
// chart, step by step.
#include "bench/Anwendung.h"
#include "bench/Hauptfenster.h"
#include "analysis/Auswertung.h"
#include "analysis/ui/TAlarm.h"
#include "chart/TChart.h"
#include "toolkit/Dialoge.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TZeilenText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <emmintrin.h>
#include <map>
#include <vector>

namespace {
constexpr int Anzahl = 10000;
constexpr std::size_t Feld = TSchlange::DatumKap + 1; // length byte and characters of a date
const QDate heuteQ(2026, 12, 7);

// 10,000 snakes, 200 feedings each, every one overdue; dates written straight
// into the record bytes so building them takes no time worth waiting for.
const TSchlangen &schlangen()
{
    static const TSchlangen s = [] {
        TSchlangen l(Anzahl);
        for (int i = 0; i < Anzahl; ++i) {
            TSchlange &r = l[std::size_t(i)];
            r.setName(QStringLiteral("Schlange %1").arg(i));
            r.setTage(7 + i % 14);
            for (int k = 0; k < TSchlange::MaxEintraege; ++k) {
                const QDate d = QDate(2024, 1, 1).addDays((i * 7 + k * 3) % 700);
                const QByteArray t = d.toString(QStringLiteral("dd.MM.yy")).toLatin1();
                std::uint8_t *slot = r.data() + TSchlange::OffFutterDatum + Feld * std::size_t(k);
                slot[0] = TSchlange::DatumKap;
                std::memcpy(slot + 1, t.constData(), TSchlange::DatumKap);
            }
        }
        return l;
    }();
    return s;
}

// The floor: every date byte of every journal read once, in one vectorised
// sweep per record. Sixteen bytes at a time are summed (psadbw) and searched
// for the first empty date's length byte, which ends the journal; nothing is
// parsed. No evaluation can read the same bytes with less work.
constexpr std::size_t DatumBytes = Feld * TSchlange::Slots;
constexpr std::size_t Bloecke = (DatumBytes + 15) / 16;

struct Masken {
    // Per block of sixteen bytes: 0xFF where a slot's length byte lies, and
    // where the journal's bytes are (the last block reaches past them).
    alignas(16) std::uint8_t laenge[Bloecke][16];
    alignas(16) std::uint8_t innen[Bloecke][16];
    alignas(16) std::uint8_t vor[17][16]; // vor[k]: the first k bytes
    Masken()
    {
        for (std::size_t b = 0; b < Bloecke; ++b)
            for (std::size_t j = 0; j < 16; ++j) {
                const std::size_t o = b * 16 + j;
                laenge[b][j] = o < DatumBytes && o % Feld == 0 ? 0xFF : 0;
                innen[b][j] = o < DatumBytes ? 0xFF : 0;
            }
        for (std::size_t k = 0; k <= 16; ++k)
            for (std::size_t j = 0; j < 16; ++j)
                vor[k][j] = j < k ? 0xFF : 0;
    }
};

std::uint64_t datumBytesSummieren(const TSchlange &r, const Masken &m)
{
    // The journal's bytes are followed by more of the record, so the last
    // block's read stays inside it.
    static_assert(TSchlange::OffFutterDatum + Bloecke * 16 <= TSchlange::Groesse);
    const std::uint8_t *p = r.data() + TSchlange::OffFutterDatum;
    const __m128i null = _mm_setzero_si128();
    __m128i summe = null;
    for (std::size_t b = 0; b < Bloecke; ++b, p += 16) {
        __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                                  _mm_load_si128(reinterpret_cast<const __m128i *>(m.innen[b])));
        const __m128i leer =
            _mm_and_si128(_mm_cmpeq_epi8(v, null), _mm_load_si128(reinterpret_cast<const __m128i *>(m.laenge[b])));
        const int ende = _mm_movemask_epi8(leer);
        if (ende != 0) { // the first empty date: its bytes and all after it are not the journal's
            v = _mm_and_si128(v,
                              _mm_load_si128(reinterpret_cast<const __m128i *>(m.vor[__builtin_ctz(unsigned(ende))])));
            summe = _mm_add_epi64(summe, _mm_sad_epu8(v, null));
            break;
        }
        summe = _mm_add_epi64(summe, _mm_sad_epu8(v, null));
    }
    return std::uint64_t(_mm_cvtsi128_si64(summe)) + std::uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(summe, summe)));
}

void BM_BlosseSchleife(benchmark::State &state)
{
    const TSchlangen &s = schlangen();
    static const Masken masken;
    for (auto _ : state) {
        std::uint64_t summe = 0;
        for (const TSchlange &r : s)
            summe += datumBytesSummieren(r, masken);
        benchmark::DoNotOptimize(summe);
    }
}
BENCHMARK(BM_BlosseSchleife)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FressCheck(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Auswertung::FressCheck(schlangen(), Auswertung::Kalendertag(heuteQ)));
}
BENCHMARK(BM_FressCheck)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FressTermine(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Auswertung::FressTermine(schlangen(), Auswertung::Kalendertag(heuteQ)));
}
BENCHMARK(BM_FressTermine)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FressParade(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Auswertung::FressParade(schlangen()));
}
BENCHMARK(BM_FressParade)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Processor time of the whole process so far, in milliseconds: painting
// and any helper thread count as much as the evaluation itself.
double prozessMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Notes when a notice window's sentences and chart have been painted.
class Malwaechter : public QObject {
public:
    bool textGemalt = false, diagrammGemalt = false;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            if (qobject_cast<TChart *>(o))
                diagrammGemalt = true;
            else if (auto *t = qobject_cast<TZeilenText *>(o->parent()); t && o == t->viewport())
                textGemalt = true;
        }
        return QObject::eventFilter(o, e);
    }
};

// The main window holding the 10,000 snakes, their tabs shown.
struct Sammlungsfenster {
    QTemporaryDir dir;
    std::unique_ptr<TVivarix> w = hauptfenster(dir.path());
    Sammlungsfenster()
    {
        QStringList namen;
        for (const TSchlange &s : schlangen())
            namen << s.name();
        w->TabControl1->setTabs(namen);
        QApplication::processEvents();
    }
};

// From the key on the main window to the notice window painted, and on until
// it is closed with "OK" and gone: processor time of the whole process, 10,000
// sentences and bars. The time column is the whole run; the counters split it.
void fensterMessen(benchmark::State &state, Qt::Key taste)
{
    Sammlungsfenster &h = einmal<Sammlungsfenster>();
    // The collection is lent to the window for the run, not copied: 444 MB.
    TSchlangen &s = const_cast<TSchlangen &>(schlangen());
    std::swap(h.w->Schlangen, s);
    Malwaechter waechter;
    qApp->installEventFilter(&waechter);
    std::vector<double> gemalt, geschlossen;
    for (auto _ : state) {
        waechter.textGemalt = waechter.diagrammGemalt = false;
        double anfang = 0, bisGemalt = -1, bisZu = 0;
        DialogTest::naechsterDialog([&](QWidget *d) {
            while (!waechter.textGemalt || !waechter.diagrammGemalt)
                QApplication::processEvents();
            bisGemalt = prozessMs() - anfang;
            QTest::keyClick(static_cast<TAlarm *>(d)->Button1, Qt::Key_Space); // "OK"
        });
        QApplication::setActiveWindow(h.w.get());
        anfang = prozessMs();
        QTest::keyClick(h.w.get(), taste);
        bisZu = prozessMs() - anfang;
        if (bisGemalt < 0) {
            state.SkipWithError("no notice window appeared");
            break;
        }
        state.SetIterationTime(bisZu / 1e3);
        gemalt.push_back(bisGemalt);
        geschlossen.push_back(bisZu);
    }
    qApp->removeEventFilter(&waechter);
    std::swap(h.w->Schlangen, s);
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["painted_cpu_ms"] = median(gemalt);
    state.counters["closed_cpu_ms"] = median(geschlossen);
    state.SetLabel("key to painted, and to closed: process CPU");
}

void BM_FressCheckFenster(benchmark::State &state)
{
    fensterMessen(state, Qt::Key_F2);
}
BENCHMARK(BM_FressCheckFenster)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

void BM_FressTermineFenster(benchmark::State &state)
{
    fensterMessen(state, Qt::Key_F3);
}
BENCHMARK(BM_FressTermineFenster)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

// One full scroll of the chart of 10,000 bars, one bar per step, each step painted.
void BM_DiagrammScrollen(benchmark::State &state)
{
    TAlarm a;
    a.fuellen(Auswertung::FressCheck(schlangen(), Auswertung::Kalendertag(heuteQ)));
    a.show();
    QApplication::processEvents();
    QScrollBar *leiste = a.ScrollBox1->verticalScrollBar();
    std::vector<double> schritte; // ms per step
    for (auto _ : state) {
        leiste->setValue(0);
        QApplication::processEvents();
        schritte.clear();
        QElapsedTimer schritt;
        while (leiste->value() < leiste->maximum()) {
            schritt.start();
            leiste->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            a.Chart1->repaint(a.Chart1->visibleRegion().boundingRect()); // the whole view, not just the new strip
            QApplication::processEvents();
            schritte.push_back(schritt.nsecsElapsed() / 1e6);
        }
    }
    std::sort(schritte.begin(), schritte.end());
    state.counters["steps"] = double(schritte.size());
    if (!schritte.empty()) {
        state.counters["median_step_ms"] = schritte[schritte.size() / 2];
        state.counters["p99_step_ms"] = schritte[schritte.size() * 99 / 100];
        state.counters["longest_step_ms"] = schritte.back();
    }
    state.counters["chart_px"] = a.Chart1->height();
}
BENCHMARK(BM_DiagrammScrollen)->Unit(benchmark::kMillisecond)->Iterations(1);

// Remembers each run's time per iteration for the ratio table.
class Sammler : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                zeiten[r.run_name.function_name] = r.real_accumulated_time / double(r.iterations);
                cpu[r.run_name.function_name] = r.cpu_accumulated_time / double(r.iterations);
            }
    }
    // Wall and processor time per iteration; on a busy machine the second is the fairer ratio.
    std::map<std::string, double> zeiten, cpu;
};
} // namespace

int main(int argc, char **argv)
{
    leiseMachen();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    schlangen(); // built before anything is timed
    Sammler sammler;
    benchmark::RunSpecifiedBenchmarks(&sammler);
    const auto bloss = sammler.zeiten.find("BM_BlosseSchleife");
    if (bloss != sammler.zeiten.end()) {
        std::printf("\n%-16s %10s %8s %10s %10s\n", "", "wall ms", "ratio", "cpu ms", "cpu ratio");
        for (const char *n : {"BM_BlosseSchleife", "BM_FressCheck", "BM_FressTermine", "BM_FressParade"}) {
            const auto x = sammler.zeiten.find(n);
            if (x != sammler.zeiten.end())
                std::printf("%-16s %10.3f %8.2f %10.3f %10.2f\n", n + 3, x->second * 1e3, x->second / bloss->second,
                            sammler.cpu[n] * 1e3, sammler.cpu[n] / sammler.cpu["BM_BlosseSchleife"]);
        }
    }
    benchmark::Shutdown();
    einmalig<Sammlungsfenster>().reset();
    return 0;
}
