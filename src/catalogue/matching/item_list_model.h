#pragma once

#include "item_lists.h"

#include <QAbstractTableModel>
#include <QHash>

namespace velmora::catalogue {

// An opened remainder or trash list as a grid: a tick column bound to
// Check_sootv, then the item's fields. The rows are read from the list a
// screenful at a time as the grid asks for them and kept while ticked.
class ItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ItemListModel(db::Connection& priceDb, QObject* parent = nullptr);

    // Shows this list (an empty one closes it).
    void setList(ItemList list);
    ItemList& list() { return list_; }
    // Reads the shown rows again (after a tick-all).
    void reread();
    // The key (Number or rowid) of a row, 0 outside.
    qint64 keyAt(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // An item was ticked or unticked by the user.
    void itemTicked(qint64 key);

private:
    const RemainderItem* itemAt(int row) const;

    db::Connection& priceDb_;
    ItemList list_;
    // Rows read so far, by row; a chunk is read whole when one of its rows is asked for.
    mutable QHash<qint64, RemainderItem> rows_;
};

} // namespace velmora::catalogue
