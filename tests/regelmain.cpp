// The main of the rule tests: a QCoreApplication and nothing of the widgets, so
// these programs prove that the data and settings rules stand on QtCore alone.
#include "Hilfen.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

int main(int argc, char **argv)
{
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    // What saves keep in the cache folder stays in a folder of this run, open
    // to all like /tmp, so that tests run as another user find theirs in it.
    QTemporaryDir cache;
    ::chmod(QFile::encodeName(cache.path()).constData(), 01777);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    return testsAusfuehren(std::move(app), argc, argv);
}
