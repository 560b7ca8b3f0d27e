#include "app/Start.h"
#include "app/TVivarix.h"
#include "data/Vorauslesen.h"

#include <QApplication>

int main(int argc, char **argv)
{
    Start::prozessEinrichten();
    // Reads the collection of the settings while Qt and the window start.
    std::unique_ptr<Vorauslesen> vorab = Start::vorauslesen();
    QApplication app(argc, argv);
    Start::anwendungEinrichten(app);

    TVivarix Vivarix;
    Vivarix.vorab = std::move(vorab);
    Vivarix.show();
    return app.exec();
}
