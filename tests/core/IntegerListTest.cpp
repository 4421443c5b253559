#include "lists/IntegerList.h"

#include "FakeScreen.h"

#include <gtest/gtest.h>
#include <vector>

namespace goalvanta {
namespace {

std::vector<std::int32_t> Values(const TIntegerList& list) {
    return {list.begin(), list.end()};
}

TIntegerList ListOf(std::initializer_list<std::int32_t> values) {
    TIntegerList list;
    for (std::int32_t v : values)
        list.Add(v);
    return list;
}

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
    EXPECT_EQ(Values(list), (std::vector<std::int32_t>{5, -6}));
    EXPECT_EQ(list.Capacity(), 4);
    try {
        list.Items(9);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Listエラー (EtcLists\\MyList, 117 行)");
    }
}

TEST(IntegerList, ClearReleasesTheStorage) {
    TIntegerList list;
    list.Clear(); // harmless on an empty list
    EXPECT_EQ(list.Count(), 0);
    list = ListOf({3, 1, 2});
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Add(8), 0);
    EXPECT_EQ(list.Capacity(), 4);
}

TEST(IntegerList, AssignAndAddListCopyInOrder) {
    const TIntegerList source = ListOf({3, 1, 2});
    TIntegerList copy = ListOf({42, 43, 44, 45, 46});
    copy.Assign(source);
    EXPECT_EQ(Values(copy), (std::vector<std::int32_t>{3, 1, 2}));
    EXPECT_EQ(copy.Capacity(), 4) << "assigning regrows from an empty list";

    // Through the base, as a caller that knows neither side's type would.
    TIntegerList other = ListOf({9});
    static_cast<TAssignable&>(other).Assign(static_cast<const TAssignable&>(source));
    EXPECT_EQ(Values(other), Values(source));

    copy.AddList(copy); // appending a list to itself doubles it
    EXPECT_EQ(Values(copy), (std::vector<std::int32_t>{3, 1, 2, 3, 1, 2}));
    copy.Assign(copy);
    EXPECT_EQ(copy.Count(), 6);

    // Copies are independent; a moved-from list is empty.
    TIntegerList copied(source);
    copied.Add(4);
    EXPECT_EQ(source.Count(), 3);
    TIntegerList moved(std::move(copied));
    EXPECT_EQ(Values(moved), (std::vector<std::int32_t>{3, 1, 2, 4}));
    EXPECT_EQ(copied.Count(), 0); // NOLINT(bugprone-use-after-move): a moved list is empty
}

// Sources that are not integer record lists: another kind of record list, and an
// assignable object that is no list at all.
TEST(IntegerList, AssignFromAnUnsuitableSourceFailsAndKeepsTheList) {
    class TNotAList : public TAssignable {};
    TNumericList<double> doubles;
    doubles.Add(1.5);
    const TNotAList notAList;
    for (const TAssignable* source :
         {static_cast<const TAssignable*>(&doubles), static_cast<const TAssignable*>(&notAList)}) {
        TIntegerList list = ListOf({7, 8});
        EXPECT_THROW(list.Assign(*source), TAssignError);
        EXPECT_EQ(Values(list), (std::vector<std::int32_t>{7, 8}));
    }
}

// A list error raised in the middle of a game command leaves the command as an
// exception the caller can show, with the screen's brackets closed.
TEST(IntegerList, ErrorInsideACommandReachesTheCaller) {
    test::TGameFixture f;
    f.Screen.SelectRows({0, f.Roster().Count()}); // the second row does not exist
    try {
        f.Game.Execute(TCommand::Game);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(dynamic_cast<const TListError*>(&e), nullptr);
        EXPECT_STREQ(e.what(), "Listエラー (EtcLists\\MyList, 117 行)");
    }
    EXPECT_EQ(f.Screen.WaitDepth, 0);
    EXPECT_EQ(f.Screen.UpdateDepth, 0);
}

} // namespace
} // namespace goalvanta
