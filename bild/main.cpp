// vivarix-bild: draws the visible corner of a metafile for the program, in a
// process of its own (see Helfer.h).
#include "bild/Helfer.h"
#include "bild/Wandeln.h"

#include <QGuiApplication>
#include <cstring>
#include <iterator>
#include <memory>

int main(int argc, char **argv)
{
    // Text in an emf is drawn by Qt, whose fonts want a GUI application; no
    // display is needed. A wmf is drawn without Qt's help.
    std::unique_ptr<QGuiApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "emf") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    static const Bildhelfer::Art arten[] = {{"wmf", Metadatei::wmfWandeln}, {"emf", Metadatei::emfWandeln}};
    Bildhelfer::ausfuehren(argc, argv, arten, std::size(arten));
}
