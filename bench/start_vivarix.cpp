// The program's own start, ended as soon as the window has been painted with
// the collection that the settings load at start: timed as a whole process
// against start_minimal by bench/leistung.sh.
#include "app/Start.h"
#include "app/TVivarix.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace {
// Quits at the first paint that follows the start-up sequence.
struct NachDemMalen : QObject {
    bool scharf = false;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (scharf && e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QApplication::quit);
        return QObject::eventFilter(o, e);
    }
};
} // namespace

int main(int argc, char **argv)
{
    Start::prozessEinrichten();
    QApplication app(argc, argv);
    Start::anwendungEinrichten(app);
    TVivarix Vivarix;
    NachDemMalen beobachter;
    Vivarix.installEventFilter(&beobachter);
    Vivarix.show();
    // Zero timers run in order: this one follows the start-up sequence that show() queued.
    QTimer::singleShot(0, &Vivarix, [&] {
        beobachter.scharf = true;
        Vivarix.update();
    });
    return app.exec();
}
