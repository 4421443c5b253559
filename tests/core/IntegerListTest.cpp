#include "lists/IntegerList.h"

#include <gtest/gtest.h>

namespace goalvanta {
namespace {

TEST(IntegerList, AddGivesConsecutiveIndicesAndGrowsInSteps) {
    TIntegerList list;
    std::vector<std::int32_t> capacities;
    for (std::int32_t i = 0; i < 100; ++i) {
        EXPECT_EQ(list.Add(i * 7), i);
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
    EXPECT_EQ(list.Count(), 100);
    EXPECT_EQ(list.Items(99), 99 * 7);
}

TEST(IntegerList, GrowthStep) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 4},   {8, 12},  {9, 25},
                                                           {64, 80}, {65, 81}, {100, 125}};
    for (auto [from, to] : cases)
        EXPECT_EQ(TIntegerList::GrownCapacity(from), to) << "from " << from;
}

TEST(IntegerList, OutOfRangeRaisesListErrorAndChangesNothing) {
    TIntegerList list;
    EXPECT_THROW(list.Items(0), TListError);
    list.Add(5);
    list.Add(-6);
    EXPECT_THROW(list.Items(-1), TListError);
    EXPECT_THROW(list.Items(2), TListError);
    EXPECT_EQ(list.Items(1), -6);
    EXPECT_THROW(list.SetCapacity(1), TListError);
    EXPECT_THROW(list.SetCapacity(TIntegerList::MaxListSize + 1), TListError);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0), 5);
    try {
        list.Items(9);
    } catch (const TListError& e) {
        EXPECT_STREQ(e.what(), "Listエラー");
    }
}

TEST(IntegerList, ClearReleasesAndAssignCopies) {
    TIntegerList list;
    list.Clear(); // harmless on an empty list
    for (std::int32_t v : {3, 1, 2})
        list.Add(v);
    TIntegerList copy;
    copy.Add(42);
    copy.Assign(list);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(std::vector<std::int32_t>(copy.begin(), copy.end()),
              (std::vector<std::int32_t>{3, 1, 2}));
    copy.AddList(copy); // appending a list to itself doubles it
    EXPECT_EQ(copy.Count(), 6);
    EXPECT_EQ(copy.Items(5), 2);
}

} // namespace
} // namespace goalvanta
