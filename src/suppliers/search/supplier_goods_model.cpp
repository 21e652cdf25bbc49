#include "supplier_goods_model.h"

#include "platform/db/db_error.h"

#include <QColor>

namespace velmora::search {

SupplierGoodsModel::SupplierGoodsModel(QObject* parent, int chunkSize, int maxChunks)
    : QAbstractTableModel(parent), cache_(chunkSize, maxChunks)
{
    for (const GoodsColumn& c : goodsColumns())
        titles_ << c.designTitle;
}

void SupplierGoodsModel::setResult(std::shared_ptr<const GoodsQuery> query, GoodsChunk firstChunk)
{
    beginResetModel();
    query_ = std::move(query);
    cache_.clear();
    chunkReads_ = 1;
    fieldOfColumn_.clear();
    brendColumn_ = -1;
    if (query_) {
        for (const GoodsColumn& c : goodsColumns()) {
            const QString name = c.field == QStringLiteral("Opisanie") ? QStringLiteral("Description") : c.field;
            fieldOfColumn_ << query_->columnIndex(name);
        }
        brendColumn_ = query_->columnIndex(QStringLiteral("BrendPriory"));
        std::optional<RowKey> lastKey;
        if (!firstChunk.rows.isEmpty())
            lastKey = query_->keyOf(firstChunk.rows.constLast());
        cache_.append(std::move(firstChunk.rows), firstChunk.atEnd, lastKey);
    }
    endResetModel();
}

bool SupplierGoodsModel::reopen()
{
    if (!query_) {
        clear();
        return false;
    }
    try {
        GoodsChunk first = query_->fetch(std::nullopt, cache_.chunkSize());
        setResult(query_, std::move(first));
        return true;
    } catch (const db::DbError&) {
        clear();
        return false;
    }
}

void SupplierGoodsModel::clear() { setResult(nullptr, GoodsChunk{}); }

void SupplierGoodsModel::setTitles(const QVector<QString>& titles)
{
    titles_ = titles;
    titles_.resize(goodsColumns().size());
    emit headerDataChanged(Qt::Horizontal, 0, int(titles_.size()) - 1);
}

void SupplierGoodsModel::setSortMark(const SortMark& mark)
{
    sortMark_ = mark;
    emit headerDataChanged(Qt::Horizontal, 0, int(titles_.size()) - 1);
}

int SupplierGoodsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cache_.rowCount();
}

int SupplierGoodsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(goodsColumns().size());
}

const GoodsRow* SupplierGoodsModel::rowAt(int row) const
{
    if (const GoodsRow* r = cache_.row(row))
        return r;
    if (!query_ || row < 0 || row >= cache_.rowCount())
        return nullptr;
    // The chunk was dropped to keep memory small: read it again from the
    // key where it starts.
    const int chunk = cache_.chunkOf(row);
    if (cache_.isLoaded(chunk))
        return nullptr;  // it came back shorter: the data changed meanwhile
    try {
        GoodsChunk again = query_->fetch(cache_.startOf(chunk), cache_.chunkSize());
        ++chunkReads_;
        cache_.restore(chunk, std::move(again.rows));
    } catch (const db::DbError&) {
        return nullptr;
    }
    return cache_.row(row);
}

QVariant SupplierGoodsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= fieldOfColumn_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole)
        return {};
    const GoodsRow* row = rowAt(index.row());
    if (!row)
        return {};
    if (role == Qt::ForegroundRole) {
        // Offers of a priority brand are drawn in red.
        if (brendColumn_ >= 0 && !row->value(brendColumn_).toString().isEmpty())
            return QColor(Qt::red);
        return {};
    }
    const int field = fieldOfColumn_.at(index.column());
    return field >= 0 ? row->value(field) : QVariant();
}

QVariant SupplierGoodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= titles_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return shownTitle(section, compact_.value(section));
    if (role == Qt::ToolTipRole)
        return shownTitle(section, false);
    if (role == Qt::ForegroundRole && section == sortMark_.column)
        return QColor(0, 0, 128);  // navy
    return {};
}

QString SupplierGoodsModel::shownTitle(int column, bool compact) const
{
    const QString title = compact ? shortGoodsTitle(titles_.value(column)) : titles_.value(column);
    // The mark is drawn, not kept in the title, so a title of the user's
    // that starts with "^" or "v" stays a plain title.
    if (column != sortMark_.column)
        return title;
    return (sortMark_.descending ? QStringLiteral("v") : QStringLiteral("^")) + title;
}

void SupplierGoodsModel::setCompactTitles(const QVector<bool>& compact)
{
    if (compact == compact_)
        return;
    compact_ = compact;
    emit headerDataChanged(Qt::Horizontal, 0, int(titles_.size()) - 1);
}

bool SupplierGoodsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && query_ && !cache_.complete();
}

void SupplierGoodsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    GoodsChunk chunk;
    try {
        chunk = query_->fetch(cache_.nextStart(), cache_.chunkSize());
        ++chunkReads_;
    } catch (const db::DbError&) {
        chunk.atEnd = true;
    }
    if (chunk.rows.isEmpty()) {
        cache_.append({}, true, std::nullopt);
        return;
    }
    const RowKey lastKey = query_->keyOf(chunk.rows.constLast());
    const int first = cache_.rowCount();
    const int count = int(chunk.rows.size());
    beginInsertRows(QModelIndex(), first, first + count - 1);
    cache_.append(std::move(chunk.rows), chunk.atEnd, lastKey);
    endInsertRows();
}

QVariant SupplierGoodsModel::field(int row, const QString& name) const
{
    if (!query_)
        return {};
    const int column = query_->columnIndex(name);
    const GoodsRow* r = column >= 0 ? rowAt(row) : nullptr;
    return r ? r->value(column) : QVariant();
}

int SupplierGoodsModel::fetchUntil(qint64 number, int maxRows)
{
    if (!query_ || number <= 0)
        return -1;
    for (int row = 0;; ++row) {
        if (row >= cache_.rowCount()) {
            if (!canFetchMore(QModelIndex()) || row >= maxRows)
                return -1;
            fetchMore(QModelIndex());
            if (row >= cache_.rowCount())
                return -1;
        }
        if (numberAt(row) == number)
            return row;
    }
}

} // namespace velmora::search
