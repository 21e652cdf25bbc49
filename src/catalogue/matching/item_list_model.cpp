#include "item_list_model.h"

#include "platform/db/day_numbers.h"

#include <QLocale>

namespace velmora::catalogue {
namespace {

enum Column { Tick, Name, Supplier, Price, Pricemax, Article, Stock, Warranty, Day, ColumnCount };

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
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
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

int ItemListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    const RemainderItem* item = itemAt(index.row());
    if (!item)
        return {};
    if (index.column() == Tick)
        return role == Qt::CheckStateRole ? QVariant(item->ticked ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Name: return item->tovar;
    case Supplier: return item->postavshik;
    case Price: return item->price;
    case Pricemax: return item->pricemax;
    case Article: return item->art;
    case Stock: return item->sklad;
    case Warranty: return item->garant;
    case Day: return QLocale().toString(db::dateFromDayNumber(double(item->dates)), QLocale::ShortFormat);
    default: return {};
    }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"",        "Наименование", "Поставщик", "Цена", "Цена max",
                                                    "Артикул", "Склад",        "Гарантия",  "Дата"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == Tick)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool ItemListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (index.column() != Tick || role != Qt::CheckStateRole || !itemAt(index.row()))
        return false;
    RemainderItem& item = rows_[index.row()];
    item.ticked = value.toInt() == Qt::Checked;
    tickItem(priceDb_, list_.query().table, item.number, item.ticked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit itemTicked(item.number);
    return true;
}

} // namespace velmora::catalogue
