#include "toolkit/Metadatei.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // tests close windows and go on
    // The picture helper as built, not beside this test program.
    Metadatei::helferSetzen(QStringLiteral(VIVARIX_BILDHELFER));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
