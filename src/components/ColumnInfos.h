#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace goalvanta {

// The column layout of a report list, kept apart from the toolkit: which columns
// exist, in which order they stand, which are shown, and how the header marks the
// sort column. The list view turns it into header sections; the algorithms below
// work on plain column records so they can be checked without a window.

enum class TAlignment : std::uint8_t { Left, Right, Center };

// One built column of a list control, as the control shows it.
struct TTvListColumn {
    TAlignment Alignment = TAlignment::Left;
    bool AutoSize = false;
    std::string Caption; // UTF-8
    int ImageIndex = -1;
    int MaxWidth = 0;
    int MinWidth = 0;
    int Width = 50;
    int Tag = 0; // index of the description the column was built from

    friend bool operator==(const TTvListColumn&, const TTvListColumn&) = default;
};

class TTvListColumnInfos;

// The description of one column. It belongs to a TTvListColumnInfos and knows its
// index there; the index is fixed at creation, as descriptions are never removed
// one by one. The plain fields are set directly; Order and the two defaults go
// through setters because setting them changes more than the field.
class TTvListColumnInfo {
public:
    TTvListColumnInfo(const TTvListColumnInfo&) = delete;
    TTvListColumnInfo& operator=(const TTvListColumnInfo&) = delete;

    TAlignment Alignment = TAlignment::Left;
    bool AutoSize = false;
    std::string Caption; // UTF-8
    int MaxWidth = 0;    // 0: no limit
    int MinWidth = 0;
    int ImageIndex = -1;
    int Width = 50;
    std::string IdentName;
    bool Visible = true;

    TTvListColumnInfos& Collection() const noexcept { return FCollection; }
    int Index() const noexcept { return FIndex; }

    // The display position among all descriptions, shown or not. The Orders of a
    // collection are a permutation of 0..Count-1.
    int Order() const noexcept { return FOrder; }
    // Moves this description to display position `value` by swapping Orders with
    // the description standing there. A value outside 0..Count-1 is ignored: a
    // layout read one description at a time may name a position that does not
    // exist yet.
    void SetOrder(int value);

    // Setting a default also sets the current value, so whichever of the two is
    // set last wins.
    int DefaultWidth() const noexcept { return FDefaultWidth; }
    void SetDefaultWidth(int value) noexcept;
    bool DefaultVisible() const noexcept { return FDefaultVisible; }
    void SetDefaultVisible(bool value) noexcept;

    // Position among the shown columns; -1 when hidden. Raises TListError when the
    // Orders of the collection are not a permutation.
    int VisiblePosition() const;
    // Collection index of the first description with Order `value`; -1 if none.
    int IndexOfOrder(int value) const noexcept;

    // Copies every field as it is, Order included, so copying a single description
    // into another collection can leave two descriptions there with one Order.
    void Assign(const TTvListColumnInfo& source);
    // Copies what a built column shows and tags it with this description's index.
    void CopyToColumn(TTvListColumn& column) const;

private:
    friend class TTvListColumnInfos;
    TTvListColumnInfo(TTvListColumnInfos& collection, int index);

    TTvListColumnInfos& FCollection;
    int FIndex;
    int FOrder;
    int FDefaultWidth = 50;
    bool FDefaultVisible = true;
};

// The ordered descriptions of a list's columns. Descriptions keep their address for
// the life of the collection (or until Clear or Assign).
class TTvListColumnInfos {
public:
    TTvListColumnInfos() = default;
    TTvListColumnInfos(const TTvListColumnInfos&) = delete;
    TTvListColumnInfos& operator=(const TTvListColumnInfos&) = delete;

    // Appends a new description with Order and IdentName taken from its index.
    TTvListColumnInfo& Add();
    void Clear() noexcept { FItems.clear(); }
    // Replaces the descriptions with copies of `source`'s; the section name stays.
    void Assign(const TTvListColumnInfos& source);

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    // Raises TListError outside 0..Count-1.
    TTvListColumnInfo& Items(int index) const;

    int VisibleCount() const noexcept;
    // The first description, in collection order, shown at `position`; nullptr if none.
    TTvListColumnInfo* ItemByVisiblePosition(int position) const;
    // Collection index of the first description with Order `value`; -1 if none.
    int IndexOfOrder(int value) const noexcept;

    const std::string& SectionName() const noexcept { return FSectionName; }
    void SetSectionName(std::string value) { FSectionName = std::move(value); }

private:
    std::vector<std::unique_ptr<TTvListColumnInfo>> FItems;
    std::string FSectionName;
};

// The column layout a list view is given: the descriptions and the name of the
// section they would be kept under. The layout is built in code each run; it is
// never saved or read back.
class TTvColumnInfos {
public:
    TTvColumnInfos() { FColumnInfos.SetSectionName("DesignColumn"); }

    TTvListColumnInfos& ColumnInfos() noexcept { return FColumnInfos; }
    const TTvListColumnInfos& ColumnInfos() const noexcept { return FColumnInfos; }

    const std::string& IniSectionName() const noexcept { return FColumnInfos.SectionName(); }
    void SetIniSectionName(std::string value) { FColumnInfos.SetSectionName(std::move(value)); }

private:
    TTvListColumnInfos FColumnInfos;
};

// How the header marks the column the list is sorted by.
struct TTvSortState {
    bool SortDown = false;
    std::string SortMarkDown = "\u25BC"; // ▼
    std::string SortMarkUp = "\u25B2";   // ▲
    int SortColumnIndex = 0;             // collection index of the sort description
    bool SortMarkUse = true;

    // The mark put before the sort column's caption; empty when marks are off.
    std::string SortMark() const;
};

// Rebuilds `columns` from the shown descriptions in display order: the list grows
// or shrinks at its end to the number shown, and the sort column's caption gets the
// sort mark. Raises TListError, leaving `columns` as it was, when the Orders are
// not a permutation.
void ApplyColumnInfos(std::vector<TTvListColumn>& columns, const TTvListColumnInfos& infos,
                      const TTvSortState& sort);

// A click on the header at `clickedPosition`: the sort column's mark is removed;
// a click on the sort column reverses the direction, a click on another column
// makes it the sort column, ascending. Raises TListError, changing nothing, for a
// position outside the columns or a Tag naming no description.
void ToggleSortColumn(std::vector<TTvListColumn>& columns, int clickedPosition,
                      const TTvListColumnInfos& infos, TTvSortState& sort);

// `width` brought within the column's limits: not above MaxWidth and not below
// MinWidth, where a limit of 0 or less is none. A MinWidth above MaxWidth wins, so
// a column is never narrower than its owner asked.
int ClampColumnWidth(const TTvListColumn& column, int width) noexcept;

// The widths of `columns` in a view `available` pixels wide, given their `current`
// widths (one per column). The columns without AutoSize keep their current width,
// clamped to their limits; the AutoSize columns share what those leave over, as
// evenly as whole pixels allow (the leftmost get the odd pixels). A column held at
// one of its limits gives up or takes its part of the share to the others. No
// AutoSize column gets less than `floor` (or its MinWidth): when the others fill
// the view, the list scrolls sideways rather than hiding a column.
std::vector<int> LayOutColumnWidths(const std::vector<TTvListColumn>& columns,
                                    const std::vector<int>& current, int available, int floor);

} // namespace goalvanta
