#include "lists/MyList.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace goalvanta {
namespace {

// Entries point into this array, so a test can name them a, b, c, ...
std::array<int, 8> Pointees{};
void* P(int i) {
    return &Pointees[static_cast<std::size_t>(i)];
}
std::string Name(const void* item) {
    if (item == nullptr)
        return "null";
    return std::string(1, static_cast<char>('a' + (static_cast<const int*>(item) - &Pointees[0])));
}

// A pointer list that writes down every notification it gets.
class TRecordingList : public TMyList {
public:
    std::vector<std::string> Log;

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (std::int32_t i = 0; i < Count(); ++i)
            names.push_back(Name(Get(i)));
        return names;
    }

protected:
    void Notify(void* item, TListNotification action) override {
        Log.push_back((action == TListNotification::Added ? "+" : "-") + Name(item));
    }
};

struct TListCase {
    const char* Name;
    std::vector<void*> Start; // added before the log is cleared
    std::function<void(TRecordingList&)> Operation;
    bool Fails;
    std::vector<std::string> Entries;
    std::vector<std::string> Log;
    std::int32_t Capacity;
};

TEST(MyList, OperationsTable) {
    const std::vector<void*> abc{P(0), P(1), P(2)};
    const std::vector<TListCase> cases = {
        {"SetCount(3) on an empty list",
         {},
         [](TMyList& l) { l.SetCount(3); },
         false,
         {"null", "null", "null"},
         {},
         3},
        {"SetCount(1) on three deletes from the end",
         abc,
         [](TMyList& l) { l.SetCount(1); },
         false,
         {"a"},
         {"-c", "-b"},
         4},
        {"SetCount(0) skips null entries",
         {P(0), nullptr, P(2)},
         [](TMyList& l) { l.SetCount(0); },
         false,
         {},
         {"-c", "-a"},
         4},
        {"SetCount(-1)", abc, [](TMyList& l) { l.SetCount(-1); }, true, {"a", "b", "c"}, {}, 4},
        {"SetCount above the limit",
         abc,
         [](TMyList& l) { l.SetCount(TMyList::MaxListSize + 1); },
         true,
         {"a", "b", "c"},
         {},
         4},
        {"Delete(-1)", abc, [](TMyList& l) { l.Delete(-1); }, true, {"a", "b", "c"}, {}, 4},
        {"Delete(Count)", abc, [](TMyList& l) { l.Delete(3); }, true, {"a", "b", "c"}, {}, 4},
        {"Delete closes the gap",
         abc,
         [](TMyList& l) { l.Delete(1); },
         false,
         {"a", "c"},
         {"-b"},
         4},
        {"Delete of a null entry is not notified",
         {P(0), nullptr},
         [](TMyList& l) { l.Delete(1); },
         false,
         {"a"},
         {},
         4},
        {"Add notifies non-null items only",
         {},
         [](TMyList& l) {
             EXPECT_EQ(l.Add(P(3)), 0);
             EXPECT_EQ(l.Add(nullptr), 1);
         },
         false,
         {"d", "null"},
         {"+d"},
         4},
        {"Get(Count)", abc, [](TMyList& l) { l.Get(3); }, true, {"a", "b", "c"}, {}, 4},
        {"Get(-1)", abc, [](TMyList& l) { l.Get(-1); }, true, {"a", "b", "c"}, {}, 4},
        {"SetCapacity below Count",
         abc,
         [](TMyList& l) { l.SetCapacity(2); },
         true,
         {"a", "b", "c"},
         {},
         4},
        {"SetCapacity to Count",
         abc,
         [](TMyList& l) { l.SetCapacity(3); },
         false,
         {"a", "b", "c"},
         {},
         3},
        {"Clear deletes from the end and releases",
         abc,
         [](TMyList& l) { l.Clear(); },
         false,
         {},
         {"-c", "-b", "-a"},
         0},
        {"Clear on an empty list", {}, [](TMyList& l) { l.Clear(); }, false, {}, {}, 0},
    };
    for (const TListCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRecordingList list;
        for (void* item : c.Start)
            list.Add(item);
        list.Log.clear();
        if (c.Fails)
            EXPECT_THROW(c.Operation(list), TListError);
        else
            EXPECT_NO_THROW(c.Operation(list));
        EXPECT_EQ(list.Entries(), c.Entries);
        EXPECT_EQ(list.Log, c.Log);
        EXPECT_EQ(list.Capacity(), c.Capacity);
    }
}

TEST(MyList, GrowsInStepsAsItemsAreAdded) {
    TMyList list;
    std::vector<std::int32_t> capacities;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(list.Add(P(i % 8)), i);
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
    EXPECT_EQ(list.Get(99), P(99 % 8));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(MyList, GrowthStep) {
    constexpr std::int32_t max = TListLimits::MaxListSize;
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 4},   {4, 8},     {8, 12},        {9, 25},    {64, 80},
        {65, 81}, {100, 125}, {max - 1, max}, {max, max},
    };
    for (auto [from, to] : cases)
        EXPECT_EQ(TListLimits::GrownCapacity(from), to) << "from " << from;
}

// The error's text is fixed: it never says which check failed or with what value.
TEST(MyList, ErrorTextNamesUnitAndLine) {
    EXPECT_EQ(FailedCheckText("Listエラー", "EtcLists\\MyList", 117),
              "Listエラー (EtcLists\\MyList, 117 行)");
    TMyList list;
    try {
        list.Get(0);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(dynamic_cast<const TListError*>(&e), nullptr);
        EXPECT_STREQ(e.what(), "Listエラー (EtcLists\\MyList, 117 行)");
    }
}

// A descendant may report more through its own Error, but cannot make a failed
// check return.
class TVerboseList : public TMyList {
public:
    bool Quiet = false;
    mutable std::vector<std::string> Reports;

protected:
    void Error(std::string_view message, std::int32_t value) const override {
        Reports.push_back(std::string(message) + " " + std::to_string(value));
        if (!Quiet)
            throw std::range_error(Reports.back());
    }
};

TEST(MyList, ErrorOverrideSeesTheCheckButCannotReturn) {
    TVerboseList list;
    list.Add(P(0));
    EXPECT_THROW(list.Delete(7), std::range_error);
    list.Quiet = true;
    EXPECT_THROW(list.SetCount(-2), TListError);
    EXPECT_THROW(list.SetCapacity(0), TListError);
    EXPECT_EQ(list.Reports,
              (std::vector<std::string>{"index out of range 7", "count out of range -2",
                                        "capacity out of range 0"}));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0), P(0));
}

} // namespace
} // namespace goalvanta
