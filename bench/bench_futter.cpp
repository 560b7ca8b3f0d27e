// The food list with 100,000 foods in the settings, with and without a screen
// reader listening: filling the main window's food box at start-up, adding one
// feeding, opening the box's list, and adding a food in the options dialog.
// Target: adding one food, in the window or in the dialog, well under 50 ms
// with the reader as without it; filling the box at start-up under 100 ms.
#include "bench/Anwendung.h"
#include "app/TVivarix.h"
#include "data/Datendatei.h"
#include "settings/ui/TOptionen.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QAbstractItemView>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {
constexpr int Futterarten = 100000;

long gehoert = 0;

// What a screen reader does with each event: it asks the object about itself.
void leser(QAccessibleEvent *e)
{
    if (QAccessibleInterface *i = e->accessibleInterface()) {
        gehoert += i->childCount();
        gehoert += i->text(QAccessible::Name).size() + i->text(QAccessible::Value).size();
    }
}

// Accessibility as Qt has it with a screen reader on the desktop bus.
void bildschirmleser(bool an)
{
    QAccessible::installUpdateHandler(an ? leser : nullptr);
    if (QPlatformAccessibility *a = QGuiApplicationPrivate::platformIntegration()->accessibility())
        a->setActive(an);
}

struct Umgebung {
    QTemporaryDir dir;
    Umgebung()
    {
        QByteArray futter = "futter=";
        for (int i = 0; i < Futterarten; ++i)
            futter += (i ? "|F" : "F") + QByteArray::number(i); // 689 KB: within what the reader takes
        TSchlange s;
        s.setName(QStringLiteral("Kaa"));
        s.setTage(7);
        Datendatei::speichern(dir.filePath(QStringLiteral("d.vix")), TSchlangen{s});
        QFile ini(dir.filePath(QStringLiteral("options.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Options]\r\nautoload=1\r\nfile=" + QFile::encodeName(dir.filePath(QStringLiteral("d.vix"))) +
                  "\r\nremember=0\r\nmaximize=0\r\n" + futter + "\r\n");
    }
    std::unique_ptr<TVivarix> fenster()
    {
        auto w = std::make_unique<TVivarix>();
        const QString d = dir.path();
        w->startVerzeichnis = [d] { return d; };
        w->show();
        w->FormActivate();
        QApplication::processEvents();
        return w;
    }
};

Umgebung &umgebung()
{
    static Umgebung u;
    return u;
}

void BM_StartMitFutterliste(benchmark::State &state)
{
    bildschirmleser(state.range(0) != 0);
    for (auto _ : state) {
        std::unique_ptr<TVivarix> w = umgebung().fenster();
        benchmark::DoNotOptimize(w->futter1->count());
        state.PauseTiming();
        w->Geaendert = false;
        w.reset();
        state.ResumeTiming();
    }
    bildschirmleser(false);
    state.SetLabel(state.range(0) ? "screen reader" : "no screen reader");
}
BENCHMARK(BM_StartMitFutterliste)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FutterHinzufuegen(benchmark::State &state)
{
    bildschirmleser(state.range(0) != 0);
    std::unique_ptr<TVivarix> w = umgebung().fenster();
    int i = 0;
    for (auto _ : state) {
        w->futter1->lineEdit()->setFocus();
        w->futter1->setEditText(QStringLiteral("F%1").arg(i++ * 997 % Futterarten));
        w->ok1Click();
        QApplication::processEvents();
    }
    benchmark::DoNotOptimize(w->futter1->count());
    w->Geaendert = false;
    w.reset();
    bildschirmleser(false);
    state.SetLabel(state.range(0) ? "screen reader" : "no screen reader");
}
// At most 200 entries fit in a journal.
BENCHMARK(BM_FutterHinzufuegen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

// Opening the food box's list and stepping down one food.
void BM_FutterlisteOeffnen(benchmark::State &state)
{
    bildschirmleser(state.range(0) != 0);
    std::unique_ptr<TVivarix> w = umgebung().fenster();
    for (auto _ : state) {
        w->futter1->showPopup();
        w->futter1->view()->setCurrentIndex(w->futter1->model()->index(1, 0));
        QApplication::processEvents();
        w->futter1->hidePopup();
    }
    w->Geaendert = false;
    w.reset();
    bildschirmleser(false);
    state.SetLabel(state.range(0) ? "screen reader" : "no screen reader");
}
BENCHMARK(BM_FutterlisteOeffnen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same list in the options dialog: adding one food at its top.
void BM_OptionenFutterHinzufuegen(benchmark::State &state)
{
    bildschirmleser(state.range(0) != 0);
    Optionen::setVerzeichnis(umgebung().dir.path());
    TOptionen dlg;
    dlg.show();
    QApplication::processEvents(); // reads the settings file
    int i = 0;
    for (auto _ : state) {
        dlg.futter1->setText(QStringLiteral("Neu %1").arg(i++));
        dlg.ok1->click();
        QApplication::processEvents();
    }
    benchmark::DoNotOptimize(dlg.StringGrid1->count());
    dlg.hide();
    bildschirmleser(false);
    state.SetLabel(state.range(0) ? "screen reader" : "no screen reader");
}
BENCHMARK(BM_OptionenFutterHinzufuegen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
} // namespace

int main(int argc, char **argv)
{
    return mitAnwendung(argc, argv);
}
