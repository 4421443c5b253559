#pragma once

#include "components/ColumnInfos.h"
#include "lists/IntegerList.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QTreeView>
#include <utility>
#include <vector>

namespace goalvanta {

// Base of every model a TTvListView shows. It owns the view's built columns: the
// header texts and alignments come from them, and subclasses read a column's Tag
// to know which description (and so which content) a column stands for.
// Subclasses supply rowCount() and data().
class TTvListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const std::vector<TTvListColumn>& Columns() const noexcept { return FColumns; }
    // Replaces the columns, announcing inserted or removed columns at the end and
    // changed captions or alignments of the columns that stay.
    void SetColumns(std::vector<TTvListColumn> columns);

    // Announces that rows `first`..`last` (both included, all columns) must be
    // redrawn; nothing for an empty range.
    void RefreshRows(int first, int last);

protected:
    // A column's alignment as TextAlignmentRole wants it; invalid outside the columns.
    QVariant ColumnAlignment(int column) const;

private:
    std::vector<TTvListColumn> FColumns;
};

// A report list: whole rows, no tree, no editing, a header built from a
// TTvColumnInfos with the sort column marked. Clicking the header (when enabled)
// only reports the position; the owner decides what sorting means.
class TTvListView : public QTreeView {
    Q_OBJECT
public:
    explicit TTvListView(QWidget* parent = nullptr);

    // Only a TTvListModel (or null) is accepted; anything else raises
    // std::invalid_argument.
    void setModel(QAbstractItemModel* model) override;
    TTvListModel* ListModel() const;

    TTvSortState& SortState() noexcept { return FSortState; }
    const TTvSortState& SortState() const noexcept { return FSortState; }
    QString SortMark() const { return QString::fromStdString(FSortState.SortMark()); }

    // The layout to build the columns from; not owned.
    void SetColumnInfos(TTvColumnInfos* infos) noexcept { FColumnInfos = infos; }
    TTvColumnInfos* ColumnInfos() const noexcept { return FColumnInfos; }

    void SetHeaderClickable(bool clickable);
    bool HeaderClickable() const;

    // The images a column's ImageIndex picks from for its header.
    void SetSmallImages(QList<QIcon> images);
    const QList<QIcon>& SmallImages() const noexcept { return FSmallImages; }
    // The header image of the column at `columnPosition`: the small image its
    // ImageIndex names, or a null icon for -1, an index outside the images, or a
    // position outside the columns.
    QIcon ColumnImage(int columnPosition) const;

    // Rebuilds the model's columns from the layout and sizes the header sections
    // from their widths, within each column's MinWidth and MaxWidth; AutoSize
    // columns share the width the others leave. Does nothing without a model or a
    // layout.
    void ApplyColumnInfos();
    // What a click on the header at `columnPosition` does to the sort marks and the
    // sort state. Does nothing without a model or a layout.
    void ToggleSortColumn(int columnPosition);

    // Selects every row as one range (Ctrl+A, or called directly).
    void selectAll() override;

    // The selected row numbers, ascending, each once.
    void GetSelectedIndices(TIntegerList& rows) const;
    int SelectedCount() const;

    // The row at the top of the viewport; -1 when there is none.
    int TopIndex() const;
    // How many whole rows fit in the viewport; 0 while there are no rows to measure.
    int CountPerPage() const;
    // Redraws the rows in view: from the top row one page further, the row cut at
    // the bottom included.
    void RefreshVisibleItems();

signals:
    void columnClicked(int position);

protected:
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Under the styles whose frame is a plain rectangle of solid lines, the frame,
    // the header, the rows and the scroll bars together cover every pixel of the
    // view: marked opaque, it spares the widgets behind it a repaint whenever it
    // is shown or repainted, as a page of a tab control is.
    void UpdateOpaque();
    // Gives the AutoSize columns their share of the viewport's width and lets only
    // the other columns be dragged.
    void LayOutAutoSizeColumns();
    // Keeps a section that was dragged or set within its column's limits.
    void SectionResized(int logicalIndex, int newSize);
    // The selected rows as disjoint, ascending ranges of first and last row.
    std::vector<std::pair<int, int>> SelectedRanges() const;

    TTvSortState FSortState;
    TTvColumnInfos* FColumnInfos = nullptr;
    QList<QIcon> FSmallImages;
    // Set while this view sizes sections itself, so that its own resizes are not
    // taken for the user's.
    bool FSizingSections = false;
};

} // namespace goalvanta
