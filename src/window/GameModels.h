#pragma once

#include "components/TvListView.h"
#include "rules/Game.h"

#include <array>
#include <vector>

namespace goalvanta {

// The roster as the roster view shows it: row i is roster entry i. Nothing is
// copied: every cell is read from the roster when the view draws it.
class TRosterModel final : public TTvListModel {
    Q_OBJECT
public:
    explicit TRosterModel(const TGame& game, QObject* parent = nullptr)
        : TTvListModel(parent), FGame(game) {}

    // The view's row count; set for each new roster.
    void SetRowCount(int rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The base search, except that a text no cell of the column can start with is
    // answered without reading the rows.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith |
                                                                Qt::MatchWrap)) const override;

private:
    const TGame& FGame;
    int FRows = 0;
};

// The shop's offers: plain rows held by the model, in the order given.
class TShopModel final : public TTvListModel {
    Q_OBJECT
public:
    using TTvListModel::TTvListModel;

    void SetProducts(const std::vector<TShopProduct>& products);
    const std::vector<TShopProduct>& Products() const { return FProducts; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TShopProduct> FProducts;
};

// The six named values of the main player panel.
class TMainPlayerModel final : public TTvListModel {
    Q_OBJECT
public:
    using TTvListModel::TTvListModel;

    // Adds the six rows with their names and empty values; once.
    void CreateRows();
    void SetRows(const std::array<TMainPlayerView::TRow, 6>& rows);
    QString Value(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TMainPlayerView::TRow> FRows;
};

} // namespace goalvanta
