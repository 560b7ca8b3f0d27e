#include "Hilfen.h"
#include "bild/Metadatei.h"
#include "output/ui/Druckmodul.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <utility>
#include <gtest/gtest.h>
#include <sys/stat.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QApplication>(argc, argv);
    // What saves keep in the cache and data folders stays in folders of this
    // run, open to all like /tmp, so that tests run as another user find
    // theirs in them.
    QTemporaryDir cache, daten;
    for (const auto &[variable, ordner] : {std::pair{"XDG_CACHE_HOME", &cache}, std::pair{"XDG_DATA_HOME", &daten}}) {
        ::chmod(QFile::encodeName(ordner->path()).constData(), 01777);
        qputenv(variable, QFile::encodeName(ordner->path()));
    }
    QApplication::setQuitOnLastWindowClosed(false); // tests close windows and go on
    // The picture helper as built, not beside this test program.
    Metadatei::helferSetzen(QStringLiteral(VIVARIX_BILDHELFER));
    Druckmodul::pfadSetzen(QStringLiteral(VIVARIX_DRUCKMODUL)); // likewise the print library
    return testsAusfuehren(std::move(app), argc, argv);
}
