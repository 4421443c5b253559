#include "game/GameTables.h"

#include "game/NumberFormat.h"

#include <gtest/gtest.h>

namespace goalvanta {
namespace {

std::vector<std::int32_t> Values(const TIntegerList& list) {
    return {list.begin(), list.end()};
}

TEST(GameTables, Values) {
    const TGameTables& t = GameTables();
    EXPECT_EQ(Values(t.SettingPrices), (std::vector<std::int32_t>{30000, 1000}));
    EXPECT_EQ(Values(t.ShoesBonuses), (std::vector<std::int32_t>{1, 5, 25, 125, 625, 3125, 15625}));
    EXPECT_EQ(Values(t.ShoesPrices),
              (std::vector<std::int32_t>{0, 100, 1000, 10000, 100000, 1000000, 10000000}));
    EXPECT_EQ(Values(t.SponsorIncomes),
              (std::vector<std::int32_t>{0, 100000, 10000, 1000, 100, 10}));
    EXPECT_EQ(Values(t.WeightFactors),
              (std::vector<std::int32_t>{1, 2, 4, 8, 16, 32, 64, 128, 256}));
    EXPECT_EQ(Values(t.WeightPrices),
              (std::vector<std::int32_t>{0, 5, 50, 500, 5000, 50000, 500000, 5000000, 50000000}));
}

TEST(GameTables, TextsAfterStartUp) {
    const TGameTables& t = GameTables();
    EXPECT_EQ(t.SettingNames, (TStringTable{"AutoRest", "SelfJudging"}));
    EXPECT_EQ(t.ShoesNames,
              (TStringTable{"Worst shoes (+1 Per Win)", "Worse shoes (+5 Per Win)",
                            "Bad shoes (+25 Per Win)", "Normal shoes (+125 Per Win)",
                            "Good shoes (+625 Per Win)", "Better shoes (+3,125 Per Win)",
                            "Best shoes (+15,625 Per Win)"}));
    EXPECT_EQ(t.SponsorNames,
              (TStringTable{"None", "1st-rate Corp.(100,000 $ Per Win)",
                            "2nd-rate Corp.(10,000 $ Per Win)", "3rd-rate Corp.(1,000 $ Per Win)",
                            "4th-rate Corp.(100 $ Per Win)", "5th-rate Corp.(10 $ Per Win)"}));
    EXPECT_EQ(t.ResultNames, (TStringTable{"None", "Won", "Drew", "Lost"}));
    EXPECT_EQ(t.WeightNames,
              (TStringTable{"None", "x2 weight", "x4 weight", "x8 weight", "x16 weight",
                            "x32 weight", "x64 weight", "x128 weight", "x256 weight"}));
}

TEST(GameTables, EveryOfferTextIsFoundInItsOwnTableOnly) {
    const TGameTables& t = GameTables();
    const TStringTable* tables[] = {&t.SettingNames, &t.ShoesNames, &t.WeightNames};
    for (const TStringTable* own : tables) {
        for (std::size_t i = 0; i < own->size(); ++i) {
            const std::string& text = (*own)[i];
            for (const TStringTable* other : tables)
                EXPECT_EQ(IndexOfText(*other, text), other == own ? static_cast<int>(i) : -1)
                    << text;
        }
    }
    EXPECT_EQ(IndexOfText(t.WeightNames, "X4 WEIGHT"), 2); // letter case does not matter
    EXPECT_EQ(IndexOfText(t.WeightNames, "x4 weigh"), -1);
}

TEST(NumberFormat, GroupsThousands) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {15625, "15,625"},
        {300000, "300,000"},
        {-1234567, "-1,234,567"},
        {2000000001, "2,000,000,001"},
        {INT64_MIN, "-9,223,372,036,854,775,808"}};
    for (auto [value, text] : cases)
        EXPECT_EQ(FormatNumber(value), text);
    EXPECT_EQ(FormatMoney(300000), "300,000 $");
    EXPECT_EQ(FormatMoney(0), "0 $");
}

} // namespace
} // namespace goalvanta
