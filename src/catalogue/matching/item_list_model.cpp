#include "item_list_model.h"

#include "remainder_item_cells.h"

namespace velmora::catalogue {
namespace {

constexpr int kChunk = 100;

} // namespace

ItemListModel::ItemListModel(db::Connection& priceDb, QObject* parent) : QAbstractTableModel(parent), priceDb_(priceDb)
{
}

void ItemListModel::setList(ItemList list)
{
    beginResetModel();
    list_ = std::move(list);
    rows_.clear();
    endResetModel();
}

void ItemListModel::reread()
{
    rows_.clear();
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, kItemColumns - 1));
}

qint64 ItemListModel::keyAt(int row) { return list_.isOpen() && row >= 0 ? list_.keyAt(row) : 0; }

const RemainderItem* ItemListModel::itemAt(int row) const
{
    if (!list_.isOpen() || row < 0 || row >= list_.size())
        return nullptr;
    auto found = rows_.constFind(row);
    if (found == rows_.constEnd()) {
        const qint64 first = row - row % kChunk;
        // The list reads lazily but keeps its state; reading changes no shown row.
        auto& list = const_cast<ItemList&>(list_);
        QHash<qint64, qint64> rowOfKey;
        for (qint64 at = first; at < first + kChunk && at < list.size(); ++at)
            rowOfKey.insert(list.keyAt(at), at);
        for (const RemainderItem& item : list.read(first, kChunk)) {
            const auto at = rowOfKey.constFind(item.number);
            if (at != rowOfKey.constEnd())
                rows_.insert(at.value(), item);
        }
        found = rows_.constFind(row);
        if (found == rows_.constEnd())
            return nullptr;
    }
    return &found.value();
}

int ItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !list_.isOpen() ? 0 : int(list_.size());
}

int ItemListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kItemColumns; }

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    const RemainderItem* item = itemAt(index.row());
    return item ? remainderItemCell(*item, index.column(), role) : QVariant();
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return remainderItemTitle(section);
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const
{
    return remainderItemFlags(QAbstractTableModel::flags(index), index.column());
}

bool ItemListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (index.column() != kItemTick || role != Qt::CheckStateRole || !itemAt(index.row()))
        return false;
    RemainderItem& item = rows_[index.row()];
    item.ticked = value.toInt() == Qt::Checked;
    tickItem(priceDb_, list_.query().table, item.number, item.ticked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit itemTicked(item.number);
    return true;
}

} // namespace velmora::catalogue
