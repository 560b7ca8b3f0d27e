// The program's own start (the very function app/main.cpp calls), ended as
// soon as the window has been painted with the collection that the settings
// load at start: timed as a whole process against start_minimal by
// bench/leistung.sh. Both end right there, without tearing down their
// windows, since what is timed is the way to the first painted window, not
// the way out.
#include "app/Start.h"
#include "app/TVivarix.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdlib>

namespace {
// Ends the process once the window has been painted with the collection.
struct NachDemMalen : QObject {
    const TVivarix *fenster;
    explicit NachDemMalen(const TVivarix *f) : fenster(f) {}
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == fenster && e->type() == QEvent::Paint && !fenster->Schlangen.empty())
            QTimer::singleShot(0, qApp, [] { std::_Exit(0); });
        return QObject::eventFilter(o, e);
    }
};
} // namespace

int main(int argc, char **argv)
{
    std::unique_ptr<NachDemMalen> beobachter;
    return Start::ausfuehren(argc, argv, [&](TVivarix &Vivarix) {
        beobachter = std::make_unique<NachDemMalen>(&Vivarix);
        Vivarix.installEventFilter(beobachter.get());
    });
}
