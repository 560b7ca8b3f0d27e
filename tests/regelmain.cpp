// The main of the rule tests: a QCoreApplication and nothing of the widgets, so
// these programs prove that the data and settings rules stand on QtCore alone.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
