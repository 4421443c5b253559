#include "components/ColumnInfos.h"

#include "lists/IntegerList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace goalvanta {
namespace {

const std::string Down = "\u25BC";
const std::string Up = "\u25B2";

struct TDescription {
    std::string Caption;
    int Order;
    bool Visible = true;
};

// Builds descriptions with the given Orders (a permutation) through SetOrder alone,
// the way the owner of a layout reorders it.
void Fill(TTvListColumnInfos& infos, const std::vector<TDescription>& descriptions) {
    for (const TDescription& description : descriptions)
        infos.Add().Caption = description.Caption;
    for (int i = 0; i < infos.Count(); ++i) {
        infos.Items(i).SetOrder(descriptions[static_cast<std::size_t>(i)].Order);
        infos.Items(i).Visible = descriptions[static_cast<std::size_t>(i)].Visible;
    }
    for (int i = 0; i < infos.Count(); ++i)
        EXPECT_EQ(infos.Items(i).Order(), descriptions[static_cast<std::size_t>(i)].Order);
}

std::vector<int> Orders(const TTvListColumnInfos& infos) {
    std::vector<int> orders;
    for (int i = 0; i < infos.Count(); ++i)
        orders.push_back(infos.Items(i).Order());
    return orders;
}

std::vector<std::string> Captions(const std::vector<TTvListColumn>& columns) {
    std::vector<std::string> captions;
    for (const TTvListColumn& column : columns)
        captions.push_back(column.Caption);
    return captions;
}

std::vector<int> Tags(const std::vector<TTvListColumn>& columns) {
    std::vector<int> tags;
    for (const TTvListColumn& column : columns)
        tags.push_back(column.Tag);
    return tags;
}

// The roster's layout: result on the left, points on the right, sorted by points
// descending.
void RosterLayout(TTvListColumnInfos& infos, TTvSortState& sort) {
    TTvListColumnInfo& result = infos.Add();
    result.Caption = "vs Result";
    result.SetDefaultWidth(100);
    TTvListColumnInfo& points = infos.Add();
    points.Caption = "Soccer Point";
    points.SetDefaultWidth(100);
    points.Alignment = TAlignment::Right;
    sort.SortColumnIndex = 1;
    sort.SortDown = true;
}

TEST(ColumnInfos, NewDescriptionsTakeTheirIndexAndKeepTheirAddress) {
    TTvColumnInfos layout;
    EXPECT_EQ(layout.IniSectionName(), "DesignColumn");
    layout.SetIniSectionName("Roster");
    EXPECT_EQ(layout.ColumnInfos().SectionName(), "Roster");

    TTvListColumnInfos& infos = layout.ColumnInfos();
    TTvListColumnInfo& first = infos.Add();
    for (int i = 1; i < 40; ++i)
        infos.Add();
    EXPECT_EQ(&infos.Items(0), &first);
    EXPECT_EQ(&first.Collection(), &infos);

    const TTvListColumnInfo& twelfth = infos.Items(12);
    EXPECT_EQ(twelfth.Index(), 12);
    EXPECT_EQ(twelfth.Order(), 12);
    EXPECT_EQ(twelfth.IdentName, "TvListColumnInfo12");
    EXPECT_EQ(twelfth.Alignment, TAlignment::Left);
    EXPECT_FALSE(twelfth.AutoSize);
    EXPECT_EQ(twelfth.Caption, "");
    EXPECT_EQ(twelfth.MaxWidth, 0);
    EXPECT_EQ(twelfth.MinWidth, 0);
    EXPECT_EQ(twelfth.ImageIndex, -1);
    EXPECT_EQ(twelfth.Width, 50);
    EXPECT_EQ(twelfth.DefaultWidth(), 50);
    EXPECT_TRUE(twelfth.Visible);
    EXPECT_TRUE(twelfth.DefaultVisible());
    EXPECT_EQ(infos.VisibleCount(), 40);

    EXPECT_THROW(infos.Items(-1), TListError);
    EXPECT_THROW(infos.Items(40), TListError);
}

TEST(ColumnInfos, SetOrderSwapsWithTheHolderOrChangesNothing) {
    struct TCase {
        const char* Name;
        std::vector<int> Start;
        int Item;
        int Value;
        std::vector<int> Expected;
    };
    const TCase cases[] = {
        {"past the end", {0, 1, 2}, 0, 5, {0, 1, 2}},
        {"equal to the count", {0, 1, 2}, 1, 3, {0, 1, 2}},
        {"negative", {0, 1, 2}, 2, -1, {0, 1, 2}},
        {"own order", {0, 1, 2}, 1, 1, {0, 1, 2}},
        {"last to first", {0, 1, 2}, 2, 0, {2, 1, 0}},
        {"holder found by order, not index", {2, 0, 1}, 0, 1, {1, 0, 2}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTvListColumnInfos infos;
        std::vector<TDescription> descriptions;
        for (int order : c.Start)
            descriptions.push_back({"", order});
        Fill(infos, descriptions);
        infos.Items(c.Item).SetOrder(c.Value);
        EXPECT_EQ(Orders(infos), c.Expected);
    }
}

TEST(ColumnInfos, ReadingALayoutOneDescriptionAtATime) {
    // Each description's stored values are applied as soon as it is created, so an
    // Order naming a later position is ignored until that position exists.
    TTvListColumnInfos infos;
    TTvListColumnInfo& first = infos.Add();
    first.SetOrder(1);
    EXPECT_EQ(first.Order(), 0);
    first.Width = 120;
    first.SetDefaultWidth(80);
    first.Visible = true;
    first.SetDefaultVisible(false);
    TTvListColumnInfo& second = infos.Add();
    second.SetOrder(0);
    second.SetDefaultWidth(80);
    second.Width = 120;
    second.SetDefaultVisible(false);
    second.Visible = true;

    EXPECT_EQ(Orders(infos), (std::vector<int>{1, 0}));
    // The default set last overrides the current value; the current value set last
    // stays.
    EXPECT_EQ(first.Width, 80);
    EXPECT_FALSE(first.Visible);
    EXPECT_EQ(second.Width, 120);
    EXPECT_EQ(second.DefaultWidth(), 80);
    EXPECT_TRUE(second.Visible);
    EXPECT_FALSE(second.DefaultVisible());
}

TEST(ColumnInfos, ApplyBuildsShownColumnsInDisplayOrder) {
    struct TCase {
        const char* Name;
        std::vector<TDescription> Descriptions;
        std::size_t ColumnsBefore;
        TTvSortState Sort;
        std::vector<std::string> Captions;
        std::vector<int> Tags;
    };
    TTvSortState sortBy0;
    TTvSortState sortBy2Down;
    sortBy2Down.SortColumnIndex = 2;
    sortBy2Down.SortDown = true;
    TTvSortState sortByHidden;
    sortByHidden.SortColumnIndex = 1;
    TTvSortState noMarks;
    noMarks.SortMarkUse = false;
    noMarks.SortDown = true;

    const TCase cases[] = {
        {"index order",
         {{"A", 0}, {"B", 1}, {"C", 2}},
         3,
         sortBy0,
         {Up + "A", "B", "C"},
         {0, 1, 2}},
        {"permuted", {{"A", 2}, {"B", 0}, {"C", 1}}, 3, sortBy0, {"B", "C", Up + "A"}, {1, 2, 0}},
        {"middle hidden",
         {{"A", 0}, {"B", 1, false}, {"C", 2}},
         3,
         sortBy2Down,
         {"A", Down + "C"},
         {0, 2}},
        {"hidden before a permuted one",
         {{"A", 1}, {"B", 0, false}, {"C", 2}},
         0,
         sortBy2Down,
         {"A", Down + "C"},
         {0, 2}},
        {"extra columns deleted", {{"A", 0}, {"B", 1}}, 5, sortBy0, {Up + "A", "B"}, {0, 1}},
        {"missing columns appended", {{"A", 1}, {"B", 0}}, 0, sortBy0, {"B", Up + "A"}, {1, 0}},
        {"sort column hidden",
         {{"A", 0}, {"B", 1, false}, {"C", 2}},
         2,
         sortByHidden,
         {"A", "C"},
         {0, 2}},
        {"marks off", {{"A", 0}, {"B", 1}}, 2, noMarks, {"A", "B"}, {0, 1}},
        {"all hidden", {{"A", 0, false}, {"B", 1, false}}, 2, sortBy0, {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTvListColumnInfos infos;
        Fill(infos, c.Descriptions);
        std::vector<TTvListColumn> columns(c.ColumnsBefore);
        ApplyColumnInfos(columns, infos, c.Sort);
        EXPECT_EQ(Captions(columns), c.Captions);
        EXPECT_EQ(Tags(columns), c.Tags);
        EXPECT_EQ(infos.VisibleCount(), static_cast<int>(c.Tags.size()));
        for (int i = 0; i < infos.Count(); ++i) {
            const auto at = std::ranges::find(c.Tags, i);
            const int expected = at == c.Tags.end() ? -1 : static_cast<int>(at - c.Tags.begin());
            EXPECT_EQ(infos.Items(i).VisiblePosition(), expected) << "description " << i;
        }
        EXPECT_EQ(infos.ItemByVisiblePosition(static_cast<int>(c.Tags.size())), nullptr);
    }
}

TEST(ColumnInfos, ApplyOverwritesWhatAColumnShowsAndNothingElseLeaks) {
    TTvListColumnInfos infos;
    TTvListColumnInfo& info = infos.Add();
    info.Alignment = TAlignment::Center;
    info.AutoSize = true;
    info.Caption = "Price";
    info.ImageIndex = 3;
    info.MaxWidth = 400;
    info.MinWidth = 20;
    info.Width = 140;
    info.IdentName = "PriceColumn";
    TTvSortState sort;
    sort.SortColumnIndex = 5;

    std::vector<TTvListColumn> columns(1);
    columns[0] = {TAlignment::Right, false, "stale", 9, 1, 2, 3, 7};
    ApplyColumnInfos(columns, infos, sort);
    ASSERT_EQ(columns.size(), 1U);
    EXPECT_EQ(columns[0], (TTvListColumn{TAlignment::Center, true, "Price", 3, 400, 20, 140, 0}));
}

TEST(ColumnInfos, RosterHeaderFollowsTheClicks) {
    TTvListColumnInfos infos;
    TTvSortState sort;
    RosterLayout(infos, sort);
    std::vector<TTvListColumn> columns;
    ApplyColumnInfos(columns, infos, sort);
    ASSERT_EQ(columns.size(), 2U);
    EXPECT_EQ(Captions(columns), (std::vector<std::string>{"vs Result", Down + "Soccer Point"}));
    EXPECT_EQ(columns[0].Width, 100);
    EXPECT_EQ(columns[1].Width, 100);
    EXPECT_EQ(columns[0].Alignment, TAlignment::Left);
    EXPECT_EQ(columns[1].Alignment, TAlignment::Right);

    struct TStep {
        int Click;
        std::vector<std::string> Captions;
        int SortColumnIndex;
        bool SortDown;
    };
    const TStep steps[] = {
        {1, {"vs Result", Up + "Soccer Point"}, 1, false},
        {1, {"vs Result", Down + "Soccer Point"}, 1, true},
        {0, {Up + "vs Result", "Soccer Point"}, 0, false},
        {0, {Down + "vs Result", "Soccer Point"}, 0, true},
        {1, {"vs Result", Up + "Soccer Point"}, 1, false},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("click " + std::to_string(i));
        ToggleSortColumn(columns, steps[i].Click, infos, sort);
        EXPECT_EQ(Captions(columns), steps[i].Captions);
        EXPECT_EQ(sort.SortColumnIndex, steps[i].SortColumnIndex);
        EXPECT_EQ(sort.SortDown, steps[i].SortDown);
    }
}

TEST(ColumnInfos, ClickOnAPermutedLayoutUsesTheTagNotThePosition) {
    TTvListColumnInfos infos;
    Fill(infos, {{"A", 2}, {"B", 0}, {"C", 1}});
    TTvSortState sort; // description 0, shown last
    std::vector<TTvListColumn> columns;
    ApplyColumnInfos(columns, infos, sort);
    ToggleSortColumn(columns, 0, infos, sort);
    EXPECT_EQ(Captions(columns), (std::vector<std::string>{Up + "B", "C", "A"}));
    EXPECT_EQ(sort.SortColumnIndex, 1);
}

TEST(ColumnInfos, SortMarkOffKeepsCaptionsPlainWhileTheStateChanges) {
    TTvListColumnInfos infos;
    TTvSortState sort;
    RosterLayout(infos, sort);
    sort.SortMarkUse = false;
    EXPECT_EQ(sort.SortMark(), "");
    std::vector<TTvListColumn> columns;
    ApplyColumnInfos(columns, infos, sort);
    const std::vector<std::string> plain{"vs Result", "Soccer Point"};
    EXPECT_EQ(Captions(columns), plain);
    ToggleSortColumn(columns, 1, infos, sort);
    EXPECT_EQ(Captions(columns), plain);
    EXPECT_FALSE(sort.SortDown);
    ToggleSortColumn(columns, 1, infos, sort);
    EXPECT_TRUE(sort.SortDown);
    ToggleSortColumn(columns, 0, infos, sort);
    EXPECT_EQ(Captions(columns), plain);
    EXPECT_EQ(sort.SortColumnIndex, 0);
    EXPECT_FALSE(sort.SortDown);
}

TEST(ColumnInfos, SortMarkUsesTheConfiguredMarks) {
    TTvSortState sort;
    sort.SortMarkDown = "v ";
    sort.SortMarkUp = "^ ";
    EXPECT_EQ(sort.SortMark(), "^ ");
    sort.SortDown = true;
    EXPECT_EQ(sort.SortMark(), "v ");
    sort.SortMarkUse = false;
    EXPECT_EQ(sort.SortMark(), "");
}

TEST(ColumnInfos, BadInputRaisesListErrorAndChangesNothing) {
    TTvListColumnInfos infos;
    TTvSortState sort;
    RosterLayout(infos, sort);
    std::vector<TTvListColumn> built;
    ApplyColumnInfos(built, infos, sort);

    struct TCase {
        const char* Name;
        int Click;
        int TagOfColumn0;
        int SortColumnIndex;
    };
    const TCase cases[] = {
        {"click left of the columns", -1, 0, 1},
        {"click right of the columns", 2, 0, 1},
        {"clicked column names no description", 0, 5, 1},
        {"sort column names no description", 1, 5, 5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TTvListColumn> columns = built;
        columns[0].Tag = c.TagOfColumn0;
        TTvSortState state = sort;
        state.SortColumnIndex = c.SortColumnIndex;
        const std::vector<TTvListColumn> before = columns;
        EXPECT_THROW(ToggleSortColumn(columns, c.Click, infos, state), TListError);
        EXPECT_EQ(columns, before);
        EXPECT_EQ(state.SortColumnIndex, c.SortColumnIndex);
        EXPECT_TRUE(state.SortDown);
    }

    // A description copied alone keeps its Order: two now claim position 1 and none
    // claims 0, so the layout cannot be shown.
    infos.Items(0).Assign(infos.Items(1));
    EXPECT_EQ(Orders(infos), (std::vector<int>{1, 1}));
    EXPECT_EQ(infos.IndexOfOrder(0), -1);
    EXPECT_THROW(infos.Items(0).VisiblePosition(), TListError);
    std::vector<TTvListColumn> columns = built;
    EXPECT_THROW(ApplyColumnInfos(columns, infos, sort), TListError);
    EXPECT_EQ(columns, built);
}

TEST(ColumnInfos, AssignCopiesEveryDescription) {
    TTvListColumnInfos source;
    source.SetSectionName("Shop");
    Fill(source, {{"Item", 1}, {"Price", 0, false}});
    TTvListColumnInfo& price = source.Items(1);
    price.Alignment = TAlignment::Right;
    price.AutoSize = true;
    price.MaxWidth = 300;
    price.MinWidth = 10;
    price.ImageIndex = 2;
    price.SetDefaultWidth(70);
    price.Width = 90;
    price.IdentName = "PriceColumn";
    price.SetDefaultVisible(true);
    price.Visible = false;

    TTvListColumnInfos copy;
    copy.SetSectionName("Mine");
    Fill(copy, {{"old", 0}, {"old", 1}, {"old", 2}});
    copy.Assign(source);

    EXPECT_EQ(copy.SectionName(), "Mine");
    ASSERT_EQ(copy.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const TTvListColumnInfo& a = source.Items(i);
        const TTvListColumnInfo& b = copy.Items(i);
        EXPECT_EQ(&b.Collection(), &copy);
        EXPECT_EQ(b.Index(), i);
        EXPECT_EQ(b.Alignment, a.Alignment);
        EXPECT_EQ(b.AutoSize, a.AutoSize);
        EXPECT_EQ(b.Caption, a.Caption);
        EXPECT_EQ(b.MaxWidth, a.MaxWidth);
        EXPECT_EQ(b.MinWidth, a.MinWidth);
        EXPECT_EQ(b.ImageIndex, a.ImageIndex);
        EXPECT_EQ(b.Width, a.Width);
        EXPECT_EQ(b.Order(), a.Order());
        EXPECT_EQ(b.DefaultWidth(), a.DefaultWidth());
        EXPECT_EQ(b.IdentName, a.IdentName);
        EXPECT_EQ(b.Visible, a.Visible);
        EXPECT_EQ(b.DefaultVisible(), a.DefaultVisible());
    }
    EXPECT_EQ(copy.Items(1).Width, 90);
    EXPECT_EQ(copy.Items(1).IdentName, "PriceColumn");
    EXPECT_EQ(copy.Items(0).IdentName, "TvListColumnInfo0");
}

// A column of the given width and limits; AutoSize when `autoSize`.
TTvListColumn Column(int width, bool autoSize = false, int minWidth = 0, int maxWidth = 0) {
    TTvListColumn column;
    column.Width = width;
    column.AutoSize = autoSize;
    column.MinWidth = minWidth;
    column.MaxWidth = maxWidth;
    return column;
}

TEST(ColumnInfos, ClampColumnWidthKeepsTheLimits) {
    struct TCase {
        int MinWidth, MaxWidth, Width, Expected;
    };
    const TCase cases[] = {
        {0, 0, 300, 300},    {0, 0, 1, 1},         {0, 120, 300, 120},
        {0, 120, 119, 119},  {80, 0, 26, 80},      {80, 0, 500, 500},
        {80, 120, 100, 100}, {150, 120, 100, 150}, {-5, -5, 7, 7},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ClampColumnWidth(Column(50, false, c.MinWidth, c.MaxWidth), c.Width), c.Expected)
            << c.MinWidth << ".." << c.MaxWidth << " width " << c.Width;
}

TEST(ColumnInfos, AutoSizeColumnsShareTheWidthLeftOver) {
    struct TCase {
        const char* Name;
        std::vector<TTvListColumn> Columns;
        std::vector<int> Current;
        int Available;
        std::vector<int> Expected;
    };
    const std::vector<TCase> cases = {
        {"no AutoSize column: every width stays",
         {Column(100), Column(100)},
         {100, 130},
         500,
         {100, 130}},
        {"one takes all that is left", {Column(100), Column(50, true)}, {100, 50}, 400, {100, 300}},
        {"two share, the left one gets the odd pixel",
         {Column(50, true), Column(100), Column(50, true)},
         {50, 100, 50},
         301,
         {101, 100, 100}},
        {"a dragged column's current width counts",
         {Column(100), Column(50, true)},
         {160, 50},
         400,
         {160, 240}},
        {"a fixed column over its limit is brought back",
         {Column(100, false, 0, 120), Column(50, true)},
         {300, 50},
         400,
         {120, 280}},
        {"held at MaxWidth, the rest goes to the other",
         {Column(50, true, 0, 120), Column(50, true)},
         {50, 50},
         400,
         {120, 280}},
        {"held at MinWidth, the other gets less",
         {Column(50, true, 250), Column(50, true)},
         {50, 50},
         400,
         {250, 150}},
        {"every share capped: the view shows empty space",
         {Column(50, true, 0, 100), Column(50, true, 0, 90)},
         {50, 50},
         400,
         {100, 90}},
        {"the others fill the view: the floor",
         {Column(500), Column(50, true)},
         {500, 50},
         400,
         {500, 20}},
        {"the others fill the view: MinWidth above the floor",
         {Column(500), Column(50, true, 60)},
         {500, 50},
         400,
         {500, 60}},
        {"MaxWidth below the floor gives the floor", {Column(50, true, 0, 10)}, {50}, 400, {20}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(LayOutColumnWidths(c.Columns, c.Current, c.Available, 20), c.Expected);
    }
}

} // namespace
} // namespace goalvanta
