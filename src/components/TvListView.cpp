#include "components/TvListView.h"

#include "components/TvItemDelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <QStyleOptionHeader>
#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace goalvanta {

namespace {

Qt::Alignment ToQt(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::Right:
        return Qt::AlignRight;
    case TAlignment::Center:
        return Qt::AlignHCenter;
    case TAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Repainting stays off while the header is rebuilt, and comes back as it was, so
// a caller that suspended it around a larger change keeps it suspended.
class TUpdatesSuspended {
public:
    explicit TUpdatesSuspended(QWidget* widget) : FWidget(widget), FWas(widget->updatesEnabled()) {
        FWidget->setUpdatesEnabled(false);
    }
    ~TUpdatesSuspended() { FWidget->setUpdatesEnabled(FWas); }
    TUpdatesSuspended(const TUpdatesSuspended&) = delete;
    TUpdatesSuspended& operator=(const TUpdatesSuspended&) = delete;

private:
    QWidget* FWidget;
    bool FWas;
};

// A header that shows each column's image from its view's small images.
class TTvHeaderView final : public QHeaderView {
public:
    explicit TTvHeaderView(TTvListView* view) : QHeaderView(Qt::Horizontal, view), FView(view) {}

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        const QIcon image = FView->ColumnImage(visualIndex(logicalIndex));
        if (!image.isNull())
            option->icon = image;
    }

private:
    TTvListView* FView;
};

} // namespace

// ---------------------------------------------------------------------------------
// TTvListModel

int TTvListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FColumns.size());
}

QVariant TTvListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromStdString(FColumns[static_cast<std::size_t>(section)].Caption);
    if (role == Qt::TextAlignmentRole)
        return ColumnAlignment(section);
    return {};
}

QVariant TTvListModel::ColumnAlignment(int column) const {
    if (column < 0 || column >= columnCount())
        return {};
    // An int, not Qt::Alignment: the item delegate and the header read it as one.
    return static_cast<int>(ToQt(FColumns[static_cast<std::size_t>(column)].Alignment) |
                            Qt::AlignVCenter);
}

void TTvListModel::SetColumns(std::vector<TTvListColumn> columns) {
    const int oldCount = columnCount();
    const int newCount = static_cast<int>(columns.size());
    const int kept = std::min(oldCount, newCount);
    if (newCount > oldCount) {
        beginInsertColumns({}, oldCount, newCount - 1);
        FColumns.insert(FColumns.end(), std::make_move_iterator(columns.begin() + kept),
                        std::make_move_iterator(columns.end()));
        endInsertColumns();
    } else if (newCount < oldCount) {
        beginRemoveColumns({}, newCount, oldCount - 1);
        FColumns.resize(columns.size());
        endRemoveColumns();
    }

    // The columns that stay may now show another caption or stand for another
    // description; announce just the span that changed.
    int firstHeader = kept, lastHeader = -1;
    int firstData = kept, lastData = -1;
    for (int i = 0; i < kept; ++i) {
        TTvListColumn& column = FColumns[static_cast<std::size_t>(i)];
        TTvListColumn& incoming = columns[static_cast<std::size_t>(i)];
        if (column.Caption != incoming.Caption || column.Alignment != incoming.Alignment ||
            column.ImageIndex != incoming.ImageIndex) {
            firstHeader = std::min(firstHeader, i);
            lastHeader = i;
        }
        if (column.Tag != incoming.Tag || column.Alignment != incoming.Alignment) {
            firstData = std::min(firstData, i);
            lastData = i;
        }
        column = std::move(incoming);
    }
    if (lastHeader >= 0)
        emit headerDataChanged(Qt::Horizontal, firstHeader, lastHeader);
    const int rows = rowCount();
    if (lastData >= 0 && rows > 0)
        emit dataChanged(index(0, firstData), index(rows - 1, lastData));
}

void TTvListModel::RefreshRows(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, rowCount() - 1);
    if (first > last || columnCount() == 0)
        return;
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

// ---------------------------------------------------------------------------------
// TTvListView

TTvListView::TTvListView(QWidget* parent) : QTreeView(parent) {
    setHeader(new TTvHeaderView(this));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setAllColumnsShowFocus(true);
    setItemDelegate(new TTvItemDelegate(this));
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    // Every column keeps the width its description gives it.
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int logicalIndex) {
        if (header()->sectionsClickable())
            emit columnClicked(header()->visualIndex(logicalIndex));
    });
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int logicalIndex, int, int newSize) { SectionResized(logicalIndex, newSize); });
    UpdateOpaque();
}

void TTvListView::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        UpdateOpaque();
}

void TTvListView::UpdateOpaque() {
    const QString name = style()->name();
    const bool squareFrame = name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
                             name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
    setAttribute(Qt::WA_OpaquePaintEvent, squareFrame);
}

void TTvListView::setModel(QAbstractItemModel* model) {
    if (model != nullptr && qobject_cast<TTvListModel*>(model) == nullptr)
        throw std::invalid_argument("TTvListView shows only a TTvListModel");
    QTreeView::setModel(model);
}

TTvListModel* TTvListView::ListModel() const {
    return qobject_cast<TTvListModel*>(model());
}

void TTvListView::SetHeaderClickable(bool clickable) {
    header()->setSectionsClickable(clickable);
}

bool TTvListView::HeaderClickable() const {
    return header()->sectionsClickable();
}

void TTvListView::SetSmallImages(QList<QIcon> images) {
    FSmallImages = std::move(images);
    header()->viewport()->update();
}

QIcon TTvListView::ColumnImage(int columnPosition) const {
    const TTvListModel* listModel = ListModel();
    if (listModel == nullptr || columnPosition < 0 ||
        columnPosition >= static_cast<int>(listModel->Columns().size()))
        return {};
    const int image = listModel->Columns()[static_cast<std::size_t>(columnPosition)].ImageIndex;
    if (image < 0 || image >= FSmallImages.size())
        return {};
    return FSmallImages[image];
}

void TTvListView::ApplyColumnInfos() {
    TTvListModel* listModel = ListModel();
    if (listModel == nullptr || FColumnInfos == nullptr)
        return;
    TUpdatesSuspended suspended(this);
    std::vector<TTvListColumn> columns = listModel->Columns();
    goalvanta::ApplyColumnInfos(columns, FColumnInfos->ColumnInfos(), FSortState);
    listModel->SetColumns(std::move(columns));
    const std::vector<TTvListColumn>& built = listModel->Columns();
    {
        const QScopedValueRollback sizing(FSizingSections, true);
        for (std::size_t i = 0; i < built.size(); ++i)
            header()->resizeSection(static_cast<int>(i),
                                    ClampColumnWidth(built[i], built[i].Width));
    }
    LayOutAutoSizeColumns();
}

bool TTvListView::viewportEvent(QEvent* event) {
    const bool handled = QTreeView::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        LayOutAutoSizeColumns();
    return handled;
}

void TTvListView::LayOutAutoSizeColumns() {
    const TTvListModel* listModel = ListModel();
    if (listModel == nullptr || FSizingSections)
        return;
    const std::vector<TTvListColumn>& columns = listModel->Columns();
    const int count = std::min(static_cast<int>(columns.size()), header()->count());
    bool anyAutoSize = false;
    for (int i = 0; i < count; ++i) {
        const bool autoSize = columns[static_cast<std::size_t>(i)].AutoSize;
        anyAutoSize = anyAutoSize || autoSize;
        // The view sizes these; a drag would be undone at the next resize.
        const QHeaderView::ResizeMode mode =
            autoSize ? QHeaderView::Fixed : QHeaderView::Interactive;
        if (header()->sectionResizeMode(i) != mode)
            header()->setSectionResizeMode(i, mode);
    }
    if (!anyAutoSize)
        return;
    std::vector<int> current(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        current[static_cast<std::size_t>(i)] = header()->sectionSize(i);
    const std::vector<TTvListColumn> shown(columns.begin(), columns.begin() + count);
    const std::vector<int> widths =
        LayOutColumnWidths(shown, current, viewport()->width(), header()->minimumSectionSize());
    const QScopedValueRollback sizing(FSizingSections, true);
    for (int i = 0; i < count; ++i)
        if (widths[static_cast<std::size_t>(i)] != current[static_cast<std::size_t>(i)])
            header()->resizeSection(i, widths[static_cast<std::size_t>(i)]);
}

void TTvListView::SectionResized(int logicalIndex, int newSize) {
    const TTvListModel* listModel = ListModel();
    if (listModel == nullptr || FSizingSections || logicalIndex < 0 ||
        logicalIndex >= static_cast<int>(listModel->Columns().size()))
        return;
    const TTvListColumn& column = listModel->Columns()[static_cast<std::size_t>(logicalIndex)];
    // A drag moves the edge freely; the section stops at the limit each time the
    // pointer passes it.
    const int limited = ClampColumnWidth(column, newSize);
    if (limited != newSize) {
        const QScopedValueRollback sizing(FSizingSections, true);
        header()->resizeSection(logicalIndex, limited);
    }
    if (!column.AutoSize)
        LayOutAutoSizeColumns();
}

void TTvListView::ToggleSortColumn(int columnPosition) {
    TTvListModel* listModel = ListModel();
    if (listModel == nullptr || FColumnInfos == nullptr)
        return;
    std::vector<TTvListColumn> columns = listModel->Columns();
    goalvanta::ToggleSortColumn(columns, columnPosition, FColumnInfos->ColumnInfos(), FSortState);
    listModel->SetColumns(std::move(columns));
}

void TTvListView::selectAll() {
    // The tree view walks every row to group them by parent; a report list is flat
    // and hides no rows, so all of them are one range, whatever their number.
    const QAbstractItemModel* rows = model();
    if (rows == nullptr || selectionModel() == nullptr || selectionMode() == SingleSelection ||
        selectionMode() == NoSelection)
        return;
    const int count = rows->rowCount(rootIndex());
    const int columns = rows->columnCount(rootIndex());
    if (count == 0 || columns == 0)
        return;
    selectionModel()->select(QItemSelection(rows->index(0, 0, rootIndex()),
                                            rows->index(count - 1, columns - 1, rootIndex())),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::vector<std::pair<int, int>> TTvListView::SelectedRanges() const {
    std::vector<std::pair<int, int>> ranges;
    if (selectionModel() == nullptr)
        return ranges;
    // The ranges, not selectedIndexes(): with every row of a large roster selected,
    // one range stands for them all, where the index list would hold one entry per
    // cell.
    const QItemSelection selection = selectionModel()->selection();
    ranges.reserve(static_cast<std::size_t>(selection.size()));
    for (const QItemSelectionRange& range : selection)
        if (range.isValid() && !range.parent().isValid())
            ranges.emplace_back(range.top(), range.bottom());
    std::ranges::sort(ranges);
    // Ranges of different columns may cover the same rows; each row counts once.
    std::vector<std::pair<int, int>> merged;
    for (const auto& [top, bottom] : ranges) {
        if (!merged.empty() && top <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, bottom);
        else
            merged.emplace_back(top, bottom);
    }
    return merged;
}

void TTvListView::GetSelectedIndices(TIntegerList& rows) const {
    rows.Clear();
    const std::vector<std::pair<int, int>> ranges = SelectedRanges();
    int count = 0;
    for (const auto& [top, bottom] : ranges)
        count += bottom - top + 1;
    rows.SetCapacity(count);
    for (const auto& [top, bottom] : ranges)
        for (int row = top; row <= bottom; ++row)
            rows.Add(row);
}

int TTvListView::SelectedCount() const {
    int count = 0;
    for (const auto& [top, bottom] : SelectedRanges())
        count += bottom - top + 1;
    return count;
}

int TTvListView::TopIndex() const {
    if (model() == nullptr)
        return -1;
    const QModelIndex top = indexAt(viewport()->rect().topLeft());
    return top.isValid() ? top.row() : -1;
}

int TTvListView::CountPerPage() const {
    const TTvListModel* listModel = ListModel();
    if (listModel == nullptr)
        return 0;
    const int top = TopIndex();
    const int height = rowHeight(listModel->index(std::max(top, 0), 0));
    return height > 0 ? viewport()->height() / height : 0;
}

void TTvListView::RefreshVisibleItems() {
    TTvListModel* listModel = ListModel();
    if (listModel == nullptr)
        return;
    const int top = TopIndex();
    if (top < 0)
        return;
    listModel->RefreshRows(top, top + CountPerPage());
}

} // namespace goalvanta
