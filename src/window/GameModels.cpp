#include "window/GameModels.h"

#include "game/GameTables.h"
#include "game/NumberFormat.h"
#include "window/ResultIcons.h"

#include <algorithm>

namespace goalvanta {

namespace {
// Which description a column was built from: its content does not depend on where
// the column stands.
constexpr int FirstColumnTag = 0;
} // namespace

void TRosterModel::SetRowCount(int rows) {
    beginResetModel();
    FRows = rows;
    endResetModel();
}

int TRosterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRows;
}

QVariant TRosterModel::data(const QModelIndex& index, int role) const {
    const TPlayerList* roster = FGame.Roster();
    if (!index.isValid() || roster == nullptr || index.row() >= roster->Count() ||
        index.column() >= static_cast<int>(Columns().size()))
        return {};
    const TPlayer& opponent = roster->Items(index.row());
    const int tag = Columns()[static_cast<std::size_t>(index.column())].Tag;
    switch (role) {
    case Qt::DisplayRole:
        if (tag == FirstColumnTag)
            return QString::fromStdString(GameTables().ResultNames.at(opponent.FResult));
        return opponent.FUnknown ? tr("unknown")
                                 : QString::fromStdString(FormatNumber(opponent.FSoccerPoint));
    case Qt::DecorationRole:
        if (index.column() == 0 && opponent.FResult < ResultIcons().size())
            return ResultIcons()[opponent.FResult];
        return {};
    case Qt::TextAlignmentRole:
        return ColumnAlignment(index.column());
    default:
        return {};
    }
}

QModelIndexList TRosterModel::match(const QModelIndex& start, int role, const QVariant& value,
                                    int hits, Qt::MatchFlags flags) const {
    // The view's type-ahead search runs on every key with a text, Space and
    // Backspace (two of the rest keys) included, and would read and format all
    // 10000 rows to find no match. The texts a column can show are known: a result
    // name, or "unknown" or a number.
    const bool prefixSearch = role == Qt::DisplayRole &&
                              (flags & Qt::MatchTypeMask) == Qt::MatchStartsWith &&
                              !flags.testFlag(Qt::MatchRecursive);
    if (prefixSearch && start.isValid() && start.column() < static_cast<int>(Columns().size())) {
        const QString text = value.toString();
        const Qt::CaseSensitivity cs =
            flags.testFlag(Qt::MatchCaseSensitive) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        bool possible = text.isEmpty();
        if (Columns()[static_cast<std::size_t>(start.column())].Tag == FirstColumnTag) {
            for (const std::string& name : GameTables().ResultNames)
                possible = possible || QString::fromStdString(name).startsWith(text, cs);
        } else {
            const auto numberCharacter = [](QChar c) {
                return QStringView(u"-0123456789,").contains(c);
            };
            possible = possible || std::ranges::all_of(text, numberCharacter) ||
                       tr("unknown").startsWith(text, cs);
        }
        if (!possible)
            return {};
    }
    return TTvListModel::match(start, role, value, hits, flags);
}

void TShopModel::SetProducts(const std::vector<TShopProduct>& products) {
    beginResetModel();
    FProducts = products;
    endResetModel();
}

int TShopModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FProducts.size());
}

QVariant TShopModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        index.column() >= static_cast<int>(Columns().size()))
        return {};
    const TShopProduct& product = FProducts[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return QString::fromStdString(Columns()[static_cast<std::size_t>(index.column())].Tag ==
                                              FirstColumnTag
                                          ? product.Item
                                          : product.Price);
    if (role == Qt::TextAlignmentRole)
        return ColumnAlignment(index.column());
    return {};
}

void TMainPlayerModel::CreateRows() {
    if (!FRows.empty())
        return;
    beginInsertRows({}, 0, 5);
    for (const char* name : {"Soccer Point", "Wins", "MaxWins", "Money", "Shoes", "Sponsor"})
        FRows.push_back({name, {}});
    endInsertRows();
}

void TMainPlayerModel::SetRows(const std::array<TMainPlayerView::TRow, 6>& rows) {
    if (FRows.size() != rows.size())
        return; // the rows come with the window's first activation
    // Only the values that changed are announced: the panel repaints just those
    // cells (a purchase changes the money and nothing else).
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (FRows[i].Value == rows[i].Value)
            continue;
        FRows[i].Value = rows[i].Value;
        const QModelIndex value = index(static_cast<int>(i), 1);
        emit dataChanged(value, value, {Qt::DisplayRole, Qt::ToolTipRole});
    }
}

QString TMainPlayerModel::Value(int row) const {
    return row >= 0 && row < rowCount()
               ? QString::fromStdString(FRows[static_cast<std::size_t>(row)].Value)
               : QString();
}

int TMainPlayerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

QVariant TMainPlayerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        index.column() >= static_cast<int>(Columns().size()))
        return {};
    const TMainPlayerView::TRow& row = FRows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return QString::fromStdString(index.column() == 0 ? row.Name : row.Value);
    if (role == Qt::TextAlignmentRole)
        return ColumnAlignment(index.column());
    return {};
}

} // namespace goalvanta
