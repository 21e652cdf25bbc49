#include "search_results_model.h"

#include "correspondence.h"
#include "remainder_item_cells.h"

namespace velmora::catalogue {
SearchResultsModel::SearchResultsModel(db::Connection& priceDb, QObject* parent)
    : QAbstractTableModel(parent), priceDb_(priceDb)
{
}

void SearchResultsModel::open(CriteriaSearchResult result)
{
    beginResetModel();
    result_.emplace(std::move(result));
    items_ = result_->fetch(kResultChunkRows);
    endResetModel();
}

void SearchResultsModel::close()
{
    beginResetModel();
    result_.reset();
    items_.clear();
    endResetModel();
}

const RemainderItem* SearchResultsModel::itemAt(int row) const
{
    return row >= 0 && row < items_.size() ? &items_.at(row) : nullptr;
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(items_.size()); }

// Every column but the date.
int SearchResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kItemDate; }

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const
{
    const RemainderItem* item = itemAt(index.row());
    return item ? remainderItemCell(*item, index.column(), role) : QVariant();
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return remainderItemTitle(section);
}

Qt::ItemFlags SearchResultsModel::flags(const QModelIndex& index) const
{
    return remainderItemFlags(QAbstractTableModel::flags(index), index.column());
}

bool SearchResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (index.column() != kItemTick || role != Qt::CheckStateRole || index.row() >= items_.size())
        return false;
    RemainderItem& item = items_[index.row()];
    const bool ticked = value.toInt() == Qt::Checked;
    if (!tickRemainderItem(priceDb_, item.number, ticked)) {
        emit tickRefused();
        return false;
    }
    item.ticked = ticked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

bool SearchResultsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && result_ && !result_->atEnd();
}

void SearchResultsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const QList<RemainderItem> more = result_->fetch(kResultChunkRows);
    if (more.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(items_.size()), int(items_.size() + more.size()) - 1);
    items_ += more;
    endInsertRows();
}

} // namespace velmora::catalogue
