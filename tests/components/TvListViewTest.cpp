#include "components/TvListView.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <memory>
#include <stdexcept>
#include <vector>

namespace goalvanta {
namespace {

const QString Down = QString::fromUtf8("\u25BC");
const QString Up = QString::fromUtf8("\u25B2");

// Rows of "row/tag" texts: a cell shows which description its column stands for.
class TTestModel final : public TTvListModel {
    Q_OBJECT
public:
    explicit TTestModel(int rows, QObject* parent = nullptr) : TTvListModel(parent), FRows(rows) {}

    void SetRowCount(int rows) {
        beginResetModel();
        FRows = rows;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FRows;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        if (role == Qt::DisplayRole)
            return QStringLiteral("%1/%2")
                .arg(index.row())
                .arg(Columns()[static_cast<std::size_t>(index.column())].Tag);
        if (role == Qt::TextAlignmentRole)
            return ColumnAlignment(index.column());
        return {};
    }

private:
    int FRows;
};

std::vector<int> Values(const TIntegerList& list) {
    return {list.begin(), list.end()};
}

std::vector<int> Range(int first, int last) {
    std::vector<int> values;
    for (int v = first; v <= last; ++v)
        values.push_back(v);
    return values;
}

} // namespace

class TTvListViewTest : public QObject {
    Q_OBJECT

private:
    QStringList HeaderTexts() const {
        QStringList texts;
        for (int i = 0; i < FModel->columnCount(); ++i)
            texts << FModel->headerData(i, Qt::Horizontal).toString();
        return texts;
    }

    void ClickHeader(int position) {
        QHeaderView* header = FView->header();
        const QPoint at(header->sectionViewportPosition(position) +
                            header->sectionSize(position) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    void SelectRow(int row) {
        FView->selectionModel()->select(FModel->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    std::unique_ptr<TTestModel> FModel;
    std::unique_ptr<QAbstractItemModelTester> FTester;
    std::unique_ptr<TTvColumnInfos> FLayout;
    std::unique_ptr<TTvListView> FView;

private slots:
    void init() {
        FModel = std::make_unique<TTestModel>(1000);
        FTester = std::make_unique<QAbstractItemModelTester>(
            FModel.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        // The roster's layout: result left, points right, sorted by points descending.
        FLayout = std::make_unique<TTvColumnInfos>();
        TTvListColumnInfo& result = FLayout->ColumnInfos().Add();
        result.Caption = "vs Result";
        result.SetDefaultWidth(100);
        TTvListColumnInfo& points = FLayout->ColumnInfos().Add();
        points.Caption = "Soccer Point";
        points.SetDefaultWidth(100);
        points.Alignment = TAlignment::Right;

        FView = std::make_unique<TTvListView>();
        FView->setModel(FModel.get());
        FView->SetColumnInfos(FLayout.get());
        FView->SortState().SortColumnIndex = 1;
        FView->SortState().SortDown = true;
        FView->resize(400, 300);
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
    }

    void cleanup() {
        FView.reset();
        FTester.reset();
        FModel.reset();
        FLayout.reset();
    }

    void acceptsOnlyListModels() {
        QCOMPARE(FView->ListModel(), FModel.get());
        QStandardItemModel other;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, FView->setModel(&other));
        QCOMPARE(FView->ListModel(), FModel.get());
        FView->setModel(nullptr);
        QCOMPARE(FView->ListModel(), nullptr);
        FView->ApplyColumnInfos(); // nothing to build into
    }

    void applyBuildsTheHeader() {
        FView->ApplyColumnInfos();
        QCOMPARE(HeaderTexts(), QStringList({"vs Result", Down + "Soccer Point"}));
        QCOMPARE(FView->SortMark(), Down);
        QCOMPARE(FView->header()->sectionSize(0), 100);
        QCOMPARE(FView->header()->sectionSize(1), 100);
        QCOMPARE(FModel->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(FModel->index(5, 0).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QVERIFY(FView->updatesEnabled());
    }

    void applyAnnouncesColumnChanges() {
        FView->ApplyColumnInfos();
        QSignalSpy removed(FModel.get(), &QAbstractItemModel::columnsRemoved);
        QSignalSpy inserted(FModel.get(), &QAbstractItemModel::columnsInserted);
        QSignalSpy header(FModel.get(), &QAbstractItemModel::headerDataChanged);
        QSignalSpy cells(FModel.get(), &QAbstractItemModel::dataChanged);

        // Hiding the first column removes the last one and moves "Soccer Point" left.
        FLayout->ColumnInfos().Items(0).Visible = false;
        FView->ApplyColumnInfos();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed[0][1].toInt(), 1);
        QCOMPARE(removed[0][2].toInt(), 1);
        QCOMPARE(header.count(), 1);
        QCOMPARE(cells.count(), 1); // column 0 now shows another description
        QCOMPARE(FModel->index(3, 0).data().toString(), QStringLiteral("3/1"));
        QCOMPARE(HeaderTexts(), QStringList({Down + "Soccer Point"}));

        FLayout->ColumnInfos().Items(0).Visible = true;
        FView->ApplyColumnInfos();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);
        QCOMPARE(HeaderTexts(), QStringList({"vs Result", Down + "Soccer Point"}));
        QCOMPARE(FView->header()->sectionSize(1), 100);

        // Building the same layout again announces nothing.
        removed.clear();
        inserted.clear();
        header.clear();
        cells.clear();
        FView->ApplyColumnInfos();
        QCOMPARE(removed.count() + inserted.count() + header.count() + cells.count(), 0);
    }

    void headerClickTogglesTheMarks() {
        FView->ApplyColumnInfos();
        QSignalSpy clicked(FView.get(), &TTvListView::columnClicked);
        connect(FView.get(), &TTvListView::columnClicked, FView.get(),
                &TTvListView::ToggleSortColumn);

        ClickHeader(1);
        QCOMPARE(clicked.count(), 0); // not clickable until asked
        QCOMPARE(HeaderTexts(), QStringList({"vs Result", Down + "Soccer Point"}));

        FView->SetHeaderClickable(true);
        ClickHeader(1);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked[0][0].toInt(), 1);
        QCOMPARE(HeaderTexts(), QStringList({"vs Result", Up + "Soccer Point"}));
        QCOMPARE(FView->SortState().SortDown, false);

        ClickHeader(0);
        QCOMPARE(HeaderTexts(), QStringList({Up + "vs Result", "Soccer Point"}));
        QCOMPARE(FView->SortState().SortColumnIndex, 0);
        QCOMPARE(FView->header()->sectionSize(0), 100);
    }

    void selectedIndicesAreAscendingAndUnique() {
        FView->ApplyColumnInfos();
        FView->setSelectionMode(QAbstractItemView::ExtendedSelection);
        TIntegerList rows;
        rows.Add(99);

        for (int row : {12, 3, 7})
            SelectRow(row);
        FView->GetSelectedIndices(rows);
        QCOMPARE(Values(rows), std::vector<int>({3, 7, 12}));
        QCOMPARE(FView->SelectedCount(), 3);

        // Cell ranges of different columns that share rows count each row once.
        FView->clearSelection();
        FView->selectionModel()->select(QItemSelection(FModel->index(5, 0), FModel->index(10, 0)),
                                        QItemSelectionModel::Select);
        FView->selectionModel()->select(QItemSelection(FModel->index(8, 1), FModel->index(12, 1)),
                                        QItemSelectionModel::Select);
        FView->selectionModel()->select(QItemSelection(FModel->index(14, 1), FModel->index(14, 1)),
                                        QItemSelectionModel::Select);
        FView->GetSelectedIndices(rows);
        QCOMPARE(Values(rows), std::vector<int>({5, 6, 7, 8, 9, 10, 11, 12, 14}));
        QCOMPARE(FView->SelectedCount(), 9);

        FView->clearSelection();
        FView->GetSelectedIndices(rows);
        QCOMPARE(rows.Count(), 0);
        QCOMPARE(FView->SelectedCount(), 0);

        FModel->SetRowCount(10000);
        FView->selectAll();
        FView->GetSelectedIndices(rows);
        QCOMPARE(Values(rows), Range(0, 9999));
        QCOMPARE(FView->SelectedCount(), 10000);

        // A row taken out of a full selection splits it.
        FView->selectionModel()->select(FModel->index(500, 0),
                                        QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        QCOMPARE(FView->SelectedCount(), 9999);
        FView->GetSelectedIndices(rows);
        QCOMPARE(rows.Items(499), 499);
        QCOMPARE(rows.Items(500), 501);
    }

    // Dragging the right edge of the first section by `drag` pixels.
    void DragFirstEdge(int drag) {
        QHeaderView* header = FView->header();
        QWidget* target = header->viewport();
        const int edge = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
        const QPoint from(edge, header->height() / 2);
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) {
            const QPointF at = from + QPoint(drag * step / 4, 0);
            QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &move);
        }
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + QPoint(drag, 0));
    }

    // A description with MinWidth and MaxWidth is built within them and a drag of
    // its edge stops at them; the other column keeps its width.
    void dragStopsAtTheLimits_data() {
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("built");
        QTest::addColumn<int>("drag");
        QTest::addColumn<int>("dragged");
        QTest::newRow("no limits, wider") << 0 << 0 << 100 << 100 << 200 << 300;
        QTest::newRow("no limits, narrower") << 0 << 0 << 100 << 100 << -60 << 40;
        QTest::newRow("MaxWidth 120 dragged to 300") << 0 << 120 << 100 << 100 << 200 << 120;
        QTest::newRow("MinWidth 80 dragged to 26") << 80 << 0 << 100 << 100 << -74 << 80;
        QTest::newRow("within the limits") << 80 << 120 << 100 << 100 << 10 << 110;
        QTest::newRow("Width above MaxWidth") << 0 << 120 << 300 << 120 << -10 << 110;
        QTest::newRow("Width below MinWidth") << 80 << 0 << 30 << 80 << 15 << 95;
    }
    void dragStopsAtTheLimits() {
        QFETCH(int, minWidth);
        QFETCH(int, maxWidth);
        QFETCH(int, width);
        QFETCH(int, built);
        QFETCH(int, drag);
        QFETCH(int, dragged);
        TTvListColumnInfo& result = FLayout->ColumnInfos().Items(0);
        result.MinWidth = minWidth;
        result.MaxWidth = maxWidth;
        result.Width = width;
        FView->ApplyColumnInfos();
        QHeaderView* header = FView->header();
        QCOMPARE(header->sectionSize(0), built);

        DragFirstEdge(drag);
        QCOMPARE(header->sectionSize(0), dragged);
        QCOMPARE(header->sectionSize(1), 100);
        QCOMPARE(FModel->Columns()[0].Width, width); // what the user does stays in the header
    }

    // AutoSize columns share what the others leave of the viewport, as it resizes
    // and as the other columns are dragged; the view sizes them, the user cannot.
    void autoSizeColumnsShareTheWidthLeft() {
        TTvListColumnInfo& note = FLayout->ColumnInfos().Add();
        note.Caption = "Note";
        note.AutoSize = true;
        FLayout->ColumnInfos().Items(0).AutoSize = true;
        FLayout->ColumnInfos().Items(0).MaxWidth = 150;
        FView->ApplyColumnInfos();
        QHeaderView* header = FView->header();
        const auto sizes = [header] {
            return QList<int>{header->sectionSize(0), header->sectionSize(1),
                              header->sectionSize(2)};
        };
        const auto leftOver = [this] { return FView->viewport()->width() - 100; };

        QCOMPARE(sizes(), (QList<int>{leftOver() / 2 + leftOver() % 2, 100, leftOver() / 2}));
        QCOMPARE(header->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(header->sectionResizeMode(1), QHeaderView::Interactive);

        FView->resize(800, 300);
        QTRY_COMPARE(sizes(), (QList<int>{150, 100, leftOver() - 150}));

        FView->resize(260, 300);
        QTRY_COMPARE(FView->viewport()->width() < 260, true);
        QCOMPARE(sizes(), (QList<int>{leftOver() / 2 + leftOver() % 2, 100, leftOver() / 2}));

        // A wider fixed column leaves less to share.
        header->resizeSection(1, 140);
        const int rest = FView->viewport()->width() - 140;
        QCOMPARE(sizes(), (QList<int>{rest / 2 + rest % 2, 140, rest / 2}));

        // Back to a plain layout: every column can be dragged again.
        for (int i = 0; i < 3; ++i)
            FLayout->ColumnInfos().Items(i).AutoSize = false;
        FView->ApplyColumnInfos();
        QCOMPARE(sizes(), (QList<int>{100, 100, 50}));
        QCOMPARE(header->sectionResizeMode(0), QHeaderView::Interactive);
    }

    void headerImageComesFromTheImageList() {
        const auto solid = [](QColor color) {
            QPixmap pixmap(16, 16);
            pixmap.fill(color);
            return QIcon(pixmap);
        };
        FLayout->ColumnInfos().Items(1).ImageIndex = 1;
        FView->ApplyColumnInfos();
        QVERIFY(FView->ColumnImage(1).isNull()); // no images yet
        FView->SetSmallImages({solid(Qt::red), solid(QColor(0, 200, 0))});
        QVERIFY(FView->ColumnImage(0).isNull());
        QCOMPARE(FView->ColumnImage(1).cacheKey(), FView->SmallImages()[1].cacheKey());
        QVERIFY(FView->ColumnImage(2).isNull());

        // Drawn in the second section only.
        const auto greenIn = [this](int section) {
            QHeaderView* header = FView->header();
            const QImage shot = header->grab().toImage();
            const int from = header->sectionViewportPosition(section);
            int green = 0;
            for (int x = from; x < from + header->sectionSize(section); ++x)
                for (int y = 0; y < shot.height(); ++y)
                    green += shot.pixelColor(x, y) == QColor(0, 200, 0);
            return green;
        };
        QVERIFY(greenIn(1) > 100);
        QCOMPARE(greenIn(0), 0);

        FLayout->ColumnInfos().Items(1).ImageIndex = 7; // outside the images
        FView->ApplyColumnInfos();
        QVERIFY(FView->ColumnImage(1).isNull());
        QCOMPARE(greenIn(1), 0);
    }

    void refreshRepaintsTheRowsInView() {
        FView->ApplyColumnInfos();
        FView->scrollTo(FModel->index(40, 0), QAbstractItemView::PositionAtTop);
        QCOMPARE(FView->TopIndex(), 40);
        const int perPage =
            FView->viewport()->height() / FView->visualRect(FModel->index(40, 0)).height();
        QVERIFY(perPage > 1);
        QCOMPARE(FView->CountPerPage(), perPage);

        QSignalSpy changed(FModel.get(), &QAbstractItemModel::dataChanged);
        FView->RefreshVisibleItems();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), FModel->index(40, 0));
        QCOMPARE(changed[0][1].toModelIndex(), FModel->index(40 + perPage, 1));

        // At the bottom the range stops at the last row.
        FView->verticalScrollBar()->setValue(FView->verticalScrollBar()->maximum());
        changed.clear();
        FView->RefreshVisibleItems();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), FView->TopIndex());
        QCOMPARE(changed[0][1].toModelIndex(), FModel->index(999, 1));

        FModel->SetRowCount(0);
        changed.clear();
        FView->RefreshVisibleItems();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(FView->TopIndex(), -1);
    }
};

} // namespace goalvanta

QTEST_MAIN(goalvanta::TTvListViewTest)
#include "TvListViewTest.moc"
