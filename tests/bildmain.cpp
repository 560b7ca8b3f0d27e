// The main of the picture tests: a QGuiApplication and nothing of the widgets,
// so this program proves that loading pictures stands on QtGui alone.
#include "Hilfen.h"
#include "bild/Metadatei.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    // The picture helper as built, not beside this test program.
    Metadatei::helferSetzen(QStringLiteral(VIVARIX_BILDHELFER));
    return testsAusfuehren(std::move(app), argc, argv);
}
