#include "app/Start.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

namespace Start {

void prozessEinrichten()
{
    struct sigaction ignorieren {};
    ignorieren.sa_handler = SIG_IGN;
    sigemptyset(&ignorieren.sa_mask);
    sigaction(SIGXFSZ, &ignorieren, nullptr);
}

void anwendungEinrichten(QApplication &app)
{
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.vivarix.Vivarix"));
    // The program speaks German whatever the machine's locale, and so do Qt's own dialogs.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *qtDeutsch = new QTranslator(&app);
    if (qtDeutsch->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtDeutsch);
}

} // namespace Start
