#include "components/TvItemDelegate.h"

#include "components/TvListView.h"

#include <QHeaderView>
#include <QIcon>
#include <QLocale>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTest>
#include <memory>

namespace goalvanta {
namespace {

// Cells of every kind a report list shows: an icon with a short text on the left,
// numbers on the right, centred text, texts too long for their cell, a tab, empty
// cells.
class TCellsModel final : public TTvListModel {
    Q_OBJECT
public:
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 40;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const int row = index.row();
        switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
            case 0:
                return row % 7 == 3 ? QStringLiteral("a result name far too long for its cell")
                                    : QStringList{"None", "Won", "Drew", "Lost"}[row % 4];
            case 1:
                return row % 5 == 0 ? QStringLiteral("unknown")
                                    : QLocale::c().toString(row * 987654321LL % 2000000001);
            default:
                if (row % 6 == 0)
                    return QString();
                return row % 6 == 1 ? QStringLiteral("Tab\tstop")
                                    : QStringLiteral("Item %1").arg(row);
            }
        case Qt::DecorationRole:
            if (index.column() == 0 && row % 3 != 0) {
                QPixmap pixmap(16, 16);
                pixmap.fill(row % 2 ? Qt::red : Qt::blue);
                return QIcon(pixmap);
            }
            return {};
        case Qt::TextAlignmentRole:
            return ColumnAlignment(index.column());
        case Qt::BackgroundRole:
            if (row % 8 == 5)
                return QBrush(QColor(255, 240, 200), Qt::Dense4Pattern);
            return {};
        default:
            return {};
        }
    }
};

// A style that draws item texts its own way: in capitals.
class TCapitalsStyle final : public QProxyStyle {
public:
    TCapitalsStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
            element == CE_ItemViewItem && item != nullptr) {
            QStyleOptionViewItem capitals = *item;
            capitals.text = capitals.text.toUpper();
            QProxyStyle::drawControl(element, &capitals, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

class TTvItemDelegateTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TCellsModel> FModel;
    std::unique_ptr<TTvColumnInfos> FLayout;
    std::unique_ptr<TTvListView> FView;
    std::unique_ptr<QStyle> FStyle;

    // The viewport as drawn by the view's own delegate and by Qt's standard one.
    std::pair<QImage, QImage> BothDrawings() {
        QAbstractItemDelegate* own = FView->itemDelegate();
        const QImage ownImage = FView->viewport()->grab().toImage();
        QStyledItemDelegate standard;
        FView->setItemDelegate(&standard);
        const QImage standardImage = FView->viewport()->grab().toImage();
        FView->setItemDelegate(own);
        return {ownImage, standardImage};
    }

private slots:
    void init() {
        FModel = std::make_unique<TCellsModel>();
        FLayout = std::make_unique<TTvColumnInfos>();
        const std::pair<const char*, TAlignment> columns[] = {{"vs Result", TAlignment::Left},
                                                              {"Soccer Point", TAlignment::Right},
                                                              {"Item", TAlignment::Center}};
        for (const auto& [caption, alignment] : columns) {
            TTvListColumnInfo& column = FLayout->ColumnInfos().Add();
            column.Caption = caption;
            column.SetDefaultWidth(110);
            column.Alignment = alignment;
        }
        FView = std::make_unique<TTvListView>();
        FView->setModel(FModel.get());
        FView->SetColumnInfos(FLayout.get());
        FView->ApplyColumnInfos();
        FView->setSelectionMode(QAbstractItemView::ExtendedSelection);
        FView->resize(360, 400);
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
        QVERIFY(qobject_cast<TTvItemDelegate*>(FView->itemDelegate()) != nullptr);
        // Selected and unselected rows, the current row among them.
        for (int row : {1, 2, 4, 9})
            FView->selectionModel()->select(FModel->index(row, 0), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
        FView->selectionModel()->setCurrentIndex(FModel->index(2, 0),
                                                 QItemSelectionModel::NoUpdate);
    }

    void cleanup() {
        FView.reset();
        FStyle.reset();
        FLayout.reset();
        FModel.reset();
    }

    void drawsEveryCellAsTheStandardDelegate_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("as set up") << "";
        QTest::newRow("bold larger font") << "font";
        QTest::newRow("narrow columns") << "narrow";
        QTest::newRow("columns narrower than the icon") << "tiny";
        QTest::newRow("the view has the keyboard focus") << "focus";
        QTest::newRow("disabled") << "disabled";
        QTest::newRow("alternating row colours") << "alternate";
        QTest::newRow("scrolled") << "scrolled";
        QTest::newRow("a style that draws texts its own way") << "style";
    }

    void drawsEveryCellAsTheStandardDelegate() {
        QFETCH(QString, change);
        if (change == "font") {
            QFont font = FView->font();
            font.setBold(true);
            font.setPointSizeF(font.pointSizeF() * 1.5);
            FView->setFont(font);
        } else if (change == "narrow") {
            for (int column = 0; column < 3; ++column)
                FView->header()->resizeSection(column, 45);
        } else if (change == "tiny") {
            for (int column = 0; column < 3; ++column)
                FView->header()->resizeSection(column, 9);
        } else if (change == "focus") {
            FView->activateWindow();
            FView->setFocus(Qt::TabFocusReason);
            QVERIFY(QTest::qWaitForWindowActive(FView.get()));
            QVERIFY(FView->hasFocus());
        } else if (change == "alternate") {
            FView->setAlternatingRowColors(true);
        } else if (change == "disabled") {
            FView->setEnabled(false);
        } else if (change == "scrolled") {
            FView->scrollToBottom();
        } else if (change == "style") {
            FStyle = std::make_unique<TCapitalsStyle>();
            FView->setStyle(FStyle.get());
        }
        // Twice: the second drawing comes from the cache the first one filled.
        for (int pass = 0; pass < 2; ++pass) {
            const auto [own, standard] = BothDrawings();
            QVERIFY(!own.isNull());
            QCOMPARE(own, standard);
        }
    }
};

} // namespace goalvanta

QTEST_MAIN(goalvanta::TTvItemDelegateTest)
#include "TvItemDelegateTest.moc"
