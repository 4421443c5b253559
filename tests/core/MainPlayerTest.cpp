#include "game/MainPlayer.h"

#include <gtest/gtest.h>

namespace goalvanta {
namespace {

TEST(MainPlayer, StartingValues) {
    const TMainPlayer p;
    EXPECT_EQ(p.GetMaxPoint(), 100000);
    EXPECT_EQ(p.GetPoint(), 100000);
    EXPECT_EQ(p.FMoney, 0);
    EXPECT_EQ(p.FShoes, 0);
    EXPECT_EQ(p.FSponsor, 0);
    EXPECT_EQ(p.FWeight, 0);
    EXPECT_EQ(p.FOwnedWeights, 1);
    EXPECT_EQ(p.FOwnedSettings, 0);
    EXPECT_EQ(p.FActiveSettings, 0);
    EXPECT_EQ(p.FWins, 0);
    EXPECT_EQ(p.FMaxWins, 0);
    EXPECT_EQ(p.GetShoesBonus(), 1);
}

TEST(MainPlayer, WeightArithmetic) {
    struct Case {
        const char* Name;
        std::uint8_t Weight;
        std::int32_t StoredMax, SetMaxTo, ExpectStoredMax;
    };
    // SetMaxPoint multiplies by the factor (wrapping to 32 bits) and caps at 2000000001.
    const Case cases[] = {
        {"factor 1, no cap needed", 0, 0, 2000000000, 2000000000},
        {"factor 2, capped", 1, 0, 1000000001, 2000000001},
        {"factor 256", 8, 0, 100, 25600},
        {"factor 256, wraps negative, not capped", 8, 0, 10000000, -1734967296},
    };
    for (const Case& c : cases) {
        TMainPlayer p;
        p.FWeight = c.Weight;
        p.SetMaxPoint(c.SetMaxTo);
        EXPECT_EQ(p.FMaxPoint, c.ExpectStoredMax) << c.Name;
    }

    TMainPlayer p;
    p.FWeight = 8;
    EXPECT_EQ(p.GetPoint(), 390); // 100000 / 256, truncated
    for (std::int32_t stored : {25600, 25855}) {
        p.FPoint = stored;
        EXPECT_EQ(p.GetPoint(), 100);
    }
    p.FPoint = -1000;
    EXPECT_EQ(p.GetPoint(), -3); // toward zero
    p.SetPoint(0);
    EXPECT_EQ(p.FPoint, 0);
    p.SetPoint(-5);
    EXPECT_EQ(p.FPoint, -1280);
    p.SetPoint(2000000000); // no cap: wraps like the 32-bit field
    EXPECT_EQ(p.FPoint, static_cast<std::int32_t>(2000000000u * 256u));

    // A read-modify-write truncates the stored value to a multiple of the factor.
    TMainPlayer q;
    q.FWeight = 1;
    q.FMaxPoint = 100001;
    q.SetMaxPoint(q.GetMaxPoint() + 1);
    EXPECT_EQ(q.FMaxPoint, 100002);
}

TEST(MainPlayer, ChangingTheWeightDoesNotRescale) {
    TMainPlayer p;
    p.FWeight = 1;
    EXPECT_EQ(p.GetMaxPoint(), 50000);
    EXPECT_EQ(p.FMaxPoint, 100000);
    p.FWeight = 0;
    EXPECT_EQ(p.GetMaxPoint(), 100000);
}

} // namespace
} // namespace goalvanta
