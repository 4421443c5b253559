#include "components/ColumnInfos.h"

#include "lists/IntegerList.h"

#include <algorithm>
#include <climits>

namespace goalvanta {

TTvListColumnInfo::TTvListColumnInfo(TTvListColumnInfos& collection, int index)
    : IdentName("TvListColumnInfo" + std::to_string(index)), FCollection(collection), FIndex(index),
      FOrder(index) {}

void TTvListColumnInfo::SetOrder(int value) {
    if (value < 0 || value >= FCollection.Count())
        return;
    const int holder = FCollection.IndexOfOrder(value);
    if (holder >= 0)
        FCollection.Items(holder).FOrder = FOrder;
    FOrder = value;
}

void TTvListColumnInfo::SetDefaultWidth(int value) noexcept {
    FDefaultWidth = value;
    Width = value;
}

void TTvListColumnInfo::SetDefaultVisible(bool value) noexcept {
    FDefaultVisible = value;
    Visible = value;
}

int TTvListColumnInfo::VisiblePosition() const {
    if (!Visible)
        return -1;
    int position = FOrder;
    for (int order = 0; order < FOrder; ++order)
        if (!FCollection.Items(FCollection.IndexOfOrder(order)).Visible)
            --position;
    return position;
}

int TTvListColumnInfo::IndexOfOrder(int value) const noexcept {
    return FCollection.IndexOfOrder(value);
}

void TTvListColumnInfo::Assign(const TTvListColumnInfo& source) {
    if (&source == this)
        return;
    Alignment = source.Alignment;
    AutoSize = source.AutoSize;
    Caption = source.Caption;
    MaxWidth = source.MaxWidth;
    MinWidth = source.MinWidth;
    ImageIndex = source.ImageIndex;
    Width = source.Width;
    FOrder = source.FOrder;
    FDefaultWidth = source.FDefaultWidth;
    IdentName = source.IdentName;
    Visible = source.Visible;
    FDefaultVisible = source.FDefaultVisible;
}

void TTvListColumnInfo::CopyToColumn(TTvListColumn& column) const {
    column.Alignment = Alignment;
    column.AutoSize = AutoSize;
    column.Caption = Caption;
    column.ImageIndex = ImageIndex;
    column.MaxWidth = MaxWidth;
    column.MinWidth = MinWidth;
    column.Width = Width;
    column.Tag = FIndex;
}

TTvListColumnInfo& TTvListColumnInfos::Add() {
    // The constructor is private to the collection, so make_unique cannot reach it.
    FItems.push_back(std::unique_ptr<TTvListColumnInfo>(new TTvListColumnInfo(*this, Count())));
    return *FItems.back();
}

void TTvListColumnInfos::Assign(const TTvListColumnInfos& source) {
    if (&source == this)
        return;
    Clear();
    for (const auto& item : source.FItems)
        Add().Assign(*item);
}

TTvListColumnInfo& TTvListColumnInfos::Items(int index) const {
    if (index < 0 || index >= Count())
        throw TListError();
    return *FItems[static_cast<std::size_t>(index)];
}

int TTvListColumnInfos::VisibleCount() const noexcept {
    return static_cast<int>(
        std::ranges::count_if(FItems, [](const auto& item) { return item->Visible; }));
}

TTvListColumnInfo* TTvListColumnInfos::ItemByVisiblePosition(int position) const {
    for (const auto& item : FItems)
        if (item->VisiblePosition() == position)
            return item.get();
    return nullptr;
}

int TTvListColumnInfos::IndexOfOrder(int value) const noexcept {
    const auto found =
        std::ranges::find_if(FItems, [value](const auto& item) { return item->Order() == value; });
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

std::string TTvSortState::SortMark() const {
    if (!SortMarkUse)
        return {};
    return SortDown ? SortMarkDown : SortMarkUp;
}

void ApplyColumnInfos(std::vector<TTvListColumn>& columns, const TTvListColumnInfos& infos,
                      const TTvSortState& sort) {
    // Built aside and swapped in, so a broken layout leaves the control's columns alone.
    std::vector<TTvListColumn> built = columns;
    built.resize(static_cast<std::size_t>(infos.VisibleCount()));
    const std::string mark = sort.SortMark();
    for (std::size_t position = 0; position < built.size(); ++position) {
        TTvListColumnInfo* info = infos.ItemByVisiblePosition(static_cast<int>(position));
        if (info == nullptr)
            throw TListError();
        TTvListColumn& column = built[position];
        info->CopyToColumn(column);
        if (column.Tag == sort.SortColumnIndex)
            column.Caption = mark + column.Caption;
    }
    columns = std::move(built);
}

void ToggleSortColumn(std::vector<TTvListColumn>& columns, int clickedPosition,
                      const TTvListColumnInfos& infos, TTvSortState& sort) {
    if (clickedPosition < 0 || clickedPosition >= static_cast<int>(columns.size()))
        throw TListError();
    std::vector<TTvListColumn> built = columns;
    TTvSortState state = sort;
    for (TTvListColumn& column : built)
        if (column.Tag == state.SortColumnIndex)
            column.Caption = infos.Items(column.Tag).Caption;
    TTvListColumn& clicked = built[static_cast<std::size_t>(clickedPosition)];
    if (clicked.Tag == state.SortColumnIndex) {
        state.SortDown = !state.SortDown;
    } else {
        state.SortDown = false;
        state.SortColumnIndex = clicked.Tag;
    }
    clicked.Caption = state.SortMark() + infos.Items(clicked.Tag).Caption;
    columns = std::move(built);
    sort = std::move(state);
}

int ClampColumnWidth(const TTvListColumn& column, int width) noexcept {
    if (column.MaxWidth > 0)
        width = std::min(width, column.MaxWidth);
    if (column.MinWidth > 0)
        width = std::max(width, column.MinWidth);
    return width;
}

std::vector<int> LayOutColumnWidths(const std::vector<TTvListColumn>& columns,
                                    const std::vector<int>& current, int available, int floor) {
    std::vector<int> widths(columns.size());
    std::vector<std::size_t> sharing;
    long long left = available;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].AutoSize) {
            sharing.push_back(i);
            continue;
        }
        widths[i] =
            ClampColumnWidth(columns[i], i < current.size() ? current[i] : columns[i].Width);
        left -= widths[i];
    }
    const auto lowest = [&](std::size_t i) {
        return std::max(floor, ClampColumnWidth(columns[i], floor));
    };
    const auto highest = [&](std::size_t i) {
        return columns[i].MaxWidth > 0 ? std::max(columns[i].MaxWidth, lowest(i)) : INT_MAX;
    };
    // Share out what is left; a column whose share falls outside its limits is held
    // at the limit and leaves the sharing, and the rest share again. Columns held at
    // their least width go first, as they take from the others; each round settles
    // at least one column, so this ends.
    while (!sharing.empty()) {
        const long long pool = std::max(left, 0LL);
        const long long count = static_cast<long long>(sharing.size());
        std::vector<long long> share(sharing.size());
        for (std::size_t k = 0; k < sharing.size(); ++k)
            share[k] = pool / count + (static_cast<long long>(k) < pool % count ? 1 : 0);
        std::vector<std::size_t> rest;
        bool heldLow = false;
        for (std::size_t k = 0; k < sharing.size(); ++k)
            heldLow = heldLow || share[k] < lowest(sharing[k]);
        for (std::size_t k = 0; k < sharing.size(); ++k) {
            const std::size_t i = sharing[k];
            if (heldLow ? share[k] < lowest(i) : share[k] > highest(i)) {
                widths[i] = heldLow ? lowest(i) : highest(i);
                left -= widths[i];
            } else {
                rest.push_back(i);
            }
        }
        if (rest.size() == sharing.size()) {
            for (std::size_t k = 0; k < sharing.size(); ++k)
                widths[sharing[k]] = static_cast<int>(share[k]);
            break;
        }
        sharing = std::move(rest);
    }
    return widths;
}

} // namespace goalvanta
