// The main of the rule tests: a QCoreApplication and nothing of the widgets, so
// these programs prove that the data and settings rules stand on QtCore alone.
#include "Hilfen.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <utility>
#include <gtest/gtest.h>
#include <sys/stat.h>

int main(int argc, char **argv)
{
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    // What saves keep in the cache and data folders stays in folders of this
    // run, open to all like /tmp, so that tests run as another user find
    // theirs in them.
    QTemporaryDir cache, daten;
    for (const auto &[variable, ordner] : {std::pair{"XDG_CACHE_HOME", &cache}, std::pair{"XDG_DATA_HOME", &daten}}) {
        ::chmod(QFile::encodeName(ordner->path()).constData(), 01777);
        qputenv(variable, QFile::encodeName(ordner->path()));
    }
    return testsAusfuehren(std::move(app), argc, argv);
}
