#include "game/GameTables.h"
#include "game/PlayerList.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace goalvanta {
namespace {

std::vector<std::int32_t> SortedPoints(const TPlayerList& list) {
    std::vector<std::int32_t> points;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        points.push_back(list.Items(i).FSoccerPoint);
    std::sort(points.begin(), points.end());
    return points;
}

TEST(Roster, GenerateKnownRowsFirstStrongestReplaced) {
    TPlayerList list;
    list.Generate();
    ASSERT_EQ(list.Count(), 10000);
    for (std::int32_t row = 0; row < 500; ++row) {
        const TPlayer& p = list.Items(row);
        ASSERT_FALSE(p.FUnknown) << row;
        const std::int32_t odd = 2 * (499 - row) + 1; // 999, 997, ..., 1
        ASSERT_EQ(p.FSoccerPoint, odd * odd) << row;
        ASSERT_EQ(p.FResult, ResultNone);
    }
    EXPECT_EQ(list.Items(0).FSoccerPoint, 998001);
    EXPECT_EQ(list.Items(499).FSoccerPoint, 1);
    for (std::int32_t row = 500; row < 10000; ++row)
        ASSERT_TRUE(list.Items(row).FUnknown) << row;

    const std::vector<std::int32_t> points = SortedPoints(list);
    EXPECT_EQ(std::adjacent_find(points.begin(), points.end()), points.end()) << "all distinct";
    EXPECT_EQ(points[9988], 9989 * 9989);
    const std::vector<std::int32_t> strongest(points.end() - 11, points.end());
    EXPECT_EQ(strongest, (std::vector<std::int32_t>{100000000, 200000000, 300000000, 400000000,
                                                    500000000, 600000000, 700000000, 800000000,
                                                    900000000, 1000000000, 2000000000}));
    EXPECT_FALSE(std::binary_search(points.begin(), points.end(), 9990 * 9990));
}

TEST(Roster, RegenerationKeepsKnownRowsAndReshufflesHidden) {
    TPlayerList a, b;
    a.Generate();
    b.Generate();
    bool hiddenDiffer = false;
    for (std::int32_t row = 0; row < 10000; ++row) {
        if (row < 500)
            ASSERT_EQ(a.Items(row), b.Items(row));
        else
            hiddenDiffer |= a.Items(row).FSoccerPoint != b.Items(row).FSoccerPoint;
    }
    EXPECT_TRUE(hiddenDiffer); // 9500! orders: equal by chance is out of the question
}

TEST(Roster, HiddenPointsCountAsMinusOne) {
    const TPlayer hiddenStrong{2000000000, true, ResultNone};
    const TPlayer knownWeak{1, false, ResultNone};
    EXPECT_LT(ComparePoints(hiddenStrong, knownWeak), 0);
    EXPECT_GT(CompareResults(TPlayer{1, false, ResultWon}, TPlayer{5, false, ResultNone}), 0);
    EXPECT_LT(ComparePoints(TPlayer{5, false, ResultNone}, TPlayer{5, false, ResultLost}), 0);
    // A loaded file may hold any int32: the comparison must not overflow.
    EXPECT_LT(ComparePoints(TPlayer{INT32_MIN, false, 0}, TPlayer{INT32_MAX, false, 0}), 0);
}

// A small roster with every result, to check each order against its definition.
struct TSortCase {
    const char* Name;
    std::function<void(TPlayerList&)> Sort;
    std::function<std::int32_t(const TPlayer&, const TPlayer&)> Order; // <= 0 for neighbours
};

TEST(Roster, FourSortOrders) {
    const TSortCase cases[] = {
        {"points descending", [](TPlayerList& l) { l.SortByPoints(true); },
         [](const TPlayer& a, const TPlayer& b) { return -ComparePoints(a, b); }},
        {"points ascending", [](TPlayerList& l) { l.SortByPoints(false); },
         [](const TPlayer& a, const TPlayer& b) { return ComparePoints(a, b); }},
        {"result descending", [](TPlayerList& l) { l.SortByResult(true); },
         [](const TPlayer& a, const TPlayer& b) { return -CompareResults(a, b); }},
        {"result ascending", [](TPlayerList& l) { l.SortByResult(false); },
         [](const TPlayer& a, const TPlayer& b) { return CompareResults(a, b); }},
    };
    TPlayerList list;
    list.Generate();
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        list.Items(i).FResult = static_cast<std::uint8_t>(i % 4);
        if (i % 3 == 0)
            list.Items(i).FUnknown = false;
    }
    const std::vector<std::int32_t> before = SortedPoints(list);
    for (const TSortCase& c : cases) {
        c.Sort(list);
        for (std::int32_t i = 1; i < list.Count(); ++i)
            ASSERT_LE(c.Order(list.Items(i - 1), list.Items(i)), 0) << c.Name << " row " << i;
        EXPECT_EQ(SortedPoints(list), before) << c.Name;
    }
    // Result descending: Lost first, then Drew, Won, unplayed.
    list.SortByResult(true);
    EXPECT_EQ(list.Items(0).FResult, ResultLost);
    EXPECT_EQ(list.Items(list.Count() - 1).FResult, ResultNone);
}

TEST(Roster, SortingKeepsEveryOpponentAtItsAddress) {
    TPlayerList list;
    list.Generate();
    TPlayer* focused = &list.Items(1234);
    const TPlayer copy = *focused;
    list.SortByResult(false);
    const std::int32_t row = list.IndexOf(focused);
    ASSERT_NE(row, -1);
    EXPECT_EQ(&list.Items(row), focused);
    EXPECT_EQ(list.Items(row), copy);
    EXPECT_THROW(list.Items(10000), TListError);
    EXPECT_THROW(list.Items(-1), TListError);
}

} // namespace
} // namespace goalvanta
