#include "app/Start.h"
#include "app/TVivarix.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char **argv)
{
    Start::prozessEinrichten();
    QApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.vivarix.Vivarix"));
    // The program speaks German, and so do Qt's own dialogs.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtDeutsch;
    if (qtDeutsch.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtDeutsch);

    TVivarix Vivarix;
    Vivarix.show();
    return app.exec();
}
