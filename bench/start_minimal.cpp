// The least a Qt Widgets program does to show a window: Qt's own "hello
// world", a label with a line of text (so, like any real window, it pays for
// the fonts). The yardstick for the program's own start: bench/leistung.sh
// times both as whole processes, each ending at its first painted window
// (without tearing the window down again).
#include "AmErstenBild.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel hallo(QStringLiteral("Hallo Welt!"));
    hallo.resize(768, 609);
    NachDemMalen beobachter;
    hallo.installEventFilter(&beobachter);
    hallo.show();
    return app.exec();
}
