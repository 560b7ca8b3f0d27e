#include "app/Start.h"
#include "app/TVivarix.h"

#include <QApplication>

int main(int argc, char **argv)
{
    Start::prozessEinrichten();
    QApplication app(argc, argv);
    Start::anwendungEinrichten(app);

    TVivarix Vivarix;
    Vivarix.show();
    return app.exec();
}
