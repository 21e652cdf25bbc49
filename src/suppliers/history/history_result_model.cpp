#include "suppliers/history/history_result_model.h"

#include "platform/db/db_error.h"

#include <algorithm>

namespace velmora::history {

HistoryResultModel::HistoryResultModel(db::Connection& priceDb, QObject* parent, int chunkSize)
    : QAbstractTableModel(parent), priceDb_(priceDb), chunkSize_(chunkSize)
{
}

void HistoryResultModel::setResult(const HistoryResult& result)
{
    QVector<HistoryRow> first = result.fetch(priceDb_, std::nullopt, chunkSize_);
    beginResetModel();
    result_ = result;
    complete_ = first.size() < chunkSize_;
    rows_ = std::move(first);
    endResetModel();
}

void HistoryResultModel::reload()
{
    if (!result_)
        return;
    const int reached = std::max(int(rows_.size()), chunkSize_);
    QVector<HistoryRow> rows;
    try {
        rows = result_->fetch(priceDb_, std::nullopt, reached);
    } catch (const db::DbError&) {
        // Rows that may be gone are shown no longer.
        clear();
        return;
    }
    beginResetModel();
    complete_ = rows.size() < reached;
    rows_ = std::move(rows);
    endResetModel();
}

void HistoryResultModel::clear()
{
    beginResetModel();
    result_.reset();
    rows_.clear();
    complete_ = true;
    endResetModel();
}

const HistoryRow* HistoryResultModel::rowAt(int row) const
{
    return row >= 0 && row < rows_.size() ? &rows_[row] : nullptr;
}

int HistoryResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int HistoryResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant HistoryResultModel::data(const QModelIndex& index, int role) const
{
    const HistoryRow* row = rowAt(index.row());
    if (!row || role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return row->tovar;
    case 1:
        return row->priceOut;
    default:
        return LoadStampText(row->dates);
    }
}

QVariant HistoryResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString titles[] = {QStringLiteral("Товар"), QStringLiteral("Цена"), QStringLiteral("Дата")};
    return section >= 0 && section < 3 ? titles[section] : QVariant();
}

bool HistoryResultModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && result_ && !complete_;
}

void HistoryResultModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QVector<HistoryRow> more;
    try {
        more = result_->fetch(priceDb_, rows_.isEmpty() ? std::nullopt : std::optional(rows_.constLast()), chunkSize_);
    } catch (const db::DbError&) {
        complete_ = true; // the rows read so far stay
        return;
    }
    complete_ = more.size() < chunkSize_;
    if (more.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(rows_.size()), int(rows_.size() + more.size() - 1));
    rows_ += more;
    endInsertRows();
}

} // namespace velmora::history
