#include "app/Start.h"
#include "cli/Befehlszeile.h"

#include <QStringList>

int main(int argc, char **argv)
{
    // Decided before Qt starts its window system: the command line needs no display.
    // Wrong arguments are answered there too, never with an empty window.
    const QStringList argumente = Befehlszeile::argumente(argc, argv);
    if (Befehlszeile::istBefehl(argumente))
        return Befehlszeile::hauptprogramm(argc, argv);
    return Start::ausfuehren(argc, argv, Befehlszeile::fensterDatei(argumente));
}
