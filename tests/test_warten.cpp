// Feedback while a large collection is loaded or saved.
#include "app/Warteanzeige.h"
#include "data/Fortschritt.h"

#include <QApplication>
#include <QProgressBar>
#include <QStatusBar>
#include <gtest/gtest.h>

TEST(Warteanzeige, ZeigtSichNurBeiGrossenSammlungenUndRaeumtAuf)
{
    QStatusBar leiste;
    QProgressBar balken;
    balken.hide();
    leiste.show();
    const std::size_t riesig = std::size_t(1) << 40;

    {
        const Warteanzeige klein(&leiste, &balken, QStringLiteral("Lade 10 Schlangen …"), Warteanzeige::AbBytes - 1);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(leiste.currentMessage().isEmpty());
        EXPECT_EQ(Fortschritt::stueck(riesig), riesig) << "nobody listens: one call moves all";
    }
    {
        const Warteanzeige gross(&leiste, &balken, QStringLiteral("Lade 1.000 Schlangen …"), Warteanzeige::AbBytes);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(leiste.currentMessage(), QStringLiteral("Lade 1.000 Schlangen …"));
        EXPECT_LT(Fortschritt::stueck(riesig), riesig) << "while the bar listens the work comes in slices";
        Fortschritt::melden(1, 2); // too early for a bar
        EXPECT_FALSE(balken.isVisible());
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(leiste.currentMessage().isEmpty());
    EXPECT_EQ(Fortschritt::stueck(riesig), riesig);
}

TEST(Warteanzeige, NenntDieZahlDerSchlangenDeutsch)
{
    const std::uint64_t satz = 44432; // one record of the data file
    EXPECT_EQ(Warteanzeige::text(QStringLiteral("Lade"), 10000 * satz), QStringLiteral("Lade 10.000 Schlangen …"));
    EXPECT_EQ(Warteanzeige::text(QStringLiteral("Speichere"), satz), QStringLiteral("Speichere 1 Schlange …"));
    EXPECT_EQ(Warteanzeige::text(QStringLiteral("Lade"), 2 * satz + 1), QStringLiteral("Lade 3 Schlangen …"))
        << "a torn last record still counts while it is read";
}
