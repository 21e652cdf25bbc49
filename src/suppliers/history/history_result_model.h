#pragma once

#include "suppliers/history/price_history.h"

#include <QAbstractTableModel>

#include <optional>

namespace velmora::history {

// The model of DBGrid_FindHistory: columns "Товар", "Цена", "Дата" over one
// HistoryResult, read in chunks as the view scrolls to them
// (canFetchMore/fetchMore). The rows reached are kept.
class HistoryResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    HistoryResultModel(db::Connection& priceDb, QObject* parent = nullptr, int chunkSize = 200);

    // Shows a result from its first chunk; throws db::DbError when it
    // cannot be read (the grid then keeps what it showed).
    void setResult(const HistoryResult& result);
    // Reads the result again, as many rows as were reached, after stored
    // rows were deleted; emptied when it cannot be read. Nothing while no
    // result is shown.
    void reload();
    // The grid empty ("the result query closed").
    void clear();
    bool isOpen() const { return result_.has_value(); }

    const HistoryRow* rowAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    db::Connection& priceDb_;
    int chunkSize_;
    std::optional<HistoryResult> result_;
    QVector<HistoryRow> rows_;
    bool complete_ = true;
};

} // namespace velmora::history
