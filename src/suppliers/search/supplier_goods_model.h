#pragma once

#include "goods_columns.h"
#include "row_cache.h"

#include <QAbstractTableModel>

#include <memory>

namespace velmora::search {

// The read-only model of DBGrid_Tovar over one search result. Rows are read
// in chunks as the view scrolls to them (canFetchMore/fetchMore); only a few
// chunks are held, and a chunk the view comes back to is read again. No
// engine statement stays open between calls.
class SupplierGoodsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SupplierGoodsModel(QObject* parent = nullptr, int chunkSize = 200, int maxChunks = 16);

    // Shows a new result, starting with its first chunk.
    void setResult(std::shared_ptr<const GoodsQuery> query, GoodsChunk firstChunk);
    // Reads the current result again from its start (after a failed search,
    // or when the data changed); false when that fails too, leaving the grid
    // empty.
    bool reopen();
    void clear();
    std::shared_ptr<const GoodsQuery> query() const { return query_; }

    void setTitles(const QVector<QString>& titles);
    const QVector<QString>& titles() const { return titles_; }
    void setSortMark(const SortMark& mark);
    SortMark sortMark() const { return sortMark_; }
    // Columns too narrow for their whole titles show the short forms
    // (shortGoodsTitle); every title is its column's tool tip.
    void setCompactTitles(const QVector<bool>& compact);
    // The title a column shows when it is wide (false) or narrow (true),
    // its sort mark included.
    QString shownTitle(int column, bool compact) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // A field of a row by its result name ("Number", "Price", "Description"
    // ...); invalid when the row or field is unknown.
    QVariant field(int row, const QString& name) const;
    qint64 numberAt(int row) const { return field(row, QStringLiteral("Number")).toLongLong(); }
    // Reads on until the offer with this Number is reached, at most maxRows
    // rows in all; its row, or -1.
    int fetchUntil(qint64 number, int maxRows);

    // Statements run for this result, for tests and the benchmark.
    int chunkReads() const { return chunkReads_; }
    const RowCache& cache() const { return cache_; }

private:
    const GoodsRow* rowAt(int row) const;

    std::shared_ptr<const GoodsQuery> query_;
    mutable RowCache cache_;
    mutable int chunkReads_ = 0;
    QVector<int> fieldOfColumn_;  // result column of each grid column
    int brendColumn_ = -1;
    QVector<QString> titles_;
    QVector<bool> compact_;
    SortMark sortMark_;
};

} // namespace velmora::search
