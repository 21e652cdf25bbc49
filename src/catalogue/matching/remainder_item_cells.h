#pragma once

#include "criteria_search.h"

#include <QAbstractItemModel>
#include <QVariant>

namespace velmora::catalogue {

// How the grids of supplier items (the criteria search's results, the
// remainder, the trash) show an item: the tick box bound to Check_sootv in
// column 0, then its fields, the date last.
enum RemainderItemColumn {
    kItemTick,
    kItemName,
    kItemSupplier,
    kItemPrice,
    kItemPricemax,
    kItemArticle,
    kItemStock,
    kItemWarranty,
    kItemDate,
    kItemColumns
};

// The cell of a column for a role; nothing for other roles.
QVariant remainderItemCell(const RemainderItem& item, int column, int role);
// The column's title.
QVariant remainderItemTitle(int column);
// The tick column is user-checkable.
Qt::ItemFlags remainderItemFlags(Qt::ItemFlags flags, int column);

} // namespace velmora::catalogue
