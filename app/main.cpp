#include "app/Start.h"
#include "cli/Befehlszeile.h"

int main(int argc, char **argv)
{
    // Decided before Qt starts its window system: the command line needs no display.
    if (Befehlszeile::istBefehl(argc, argv))
        return Befehlszeile::hauptprogramm(argc, argv);
    return Start::ausfuehren(argc, argv);
}
