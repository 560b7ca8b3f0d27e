// The program's own start (the very function app/main.cpp calls), ended as
// soon as the window has been painted with the collection that the settings
// load at start (of a large one: its first snake and tabs), or at its first
// paint when they load none: timed as a whole process against start_minimal by
// bench/leistung.sh. Both end right there, without tearing down their
// windows, since what is timed is the way to the first painted window, not
// the way out. With the argument "ganz" it ends once the whole collection is
// in instead.
#include "app/Start.h"
#include "app/TVivarix.h"
#include "settings/Optionen.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QEvent>
#include <QTimer>

#include <cstdlib>

namespace {
void beenden()
{
    QTimer::singleShot(0, qApp, [] { std::_Exit(0); });
}

// Ends the process once the window has been painted with the collection, or
// painted at all when there is no collection to wait for; with `ganz`, once
// the whole collection is in as well.
struct NachDemMalen : QObject {
    const TVivarix *fenster;
    bool mitSammlung, ganz;
    bool gemalt = false;
    NachDemMalen(const TVivarix *f, bool mitSammlung, bool ganz) : fenster(f), mitSammlung(mitSammlung), ganz(ganz) {}
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o != fenster || e->type() != QEvent::Paint)
            return QObject::eventFilter(o, e);
        // The first card of a large collection is painted before the collection is in.
        gemalt = true;
        if ((!mitSammlung || !fenster->Schlangen.empty() || fenster->restOffen()) && (!ganz || !fenster->restOffen()))
            beenden();
        return QObject::eventFilter(o, e);
    }
};
} // namespace

int main(int argc, char **argv)
{
    const bool ganz = argc > 1 && QByteArray(argv[1]) == "ganz";
    std::unique_ptr<NachDemMalen> beobachter;
    return Start::ausfuehren(argc, argv, std::nullopt, [&](TVivarix &Vivarix) {
        // The settings in the start folder say whether a collection comes.
        Optionen::Werte werte;
        const bool mitSammlung =
            Optionen::laden(werte, Optionen::pfad(QDir::currentPath())) && werte.startDatei().has_value();
        beobachter = std::make_unique<NachDemMalen>(&Vivarix, mitSammlung, ganz);
        Vivarix.installEventFilter(beobachter.get());
        if (ganz)
            QObject::connect(&Vivarix, &TVivarix::sammlungGanz, qApp, [&] {
                if (beobachter->gemalt) // else its paint comes next
                    beenden();
            });
    });
}
