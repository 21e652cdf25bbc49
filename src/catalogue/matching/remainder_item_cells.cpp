#include "remainder_item_cells.h"

#include "platform/db/day_numbers.h"

#include <QLocale>

namespace velmora::catalogue {

QVariant remainderItemCell(const RemainderItem& item, int column, int role)
{
    if (column == kItemTick)
        return role == Qt::CheckStateRole ? QVariant(item.ticked ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case kItemName: return item.tovar;
    case kItemSupplier: return item.postavshik;
    case kItemPrice: return item.price;
    case kItemPricemax: return item.pricemax;
    case kItemArticle: return item.art;
    case kItemStock: return item.sklad;
    case kItemWarranty: return item.garant;
    case kItemDate: return QLocale().toString(db::dateFromDayNumber(double(item.dates)), QLocale::ShortFormat);
    default: return {};
    }
}

QVariant remainderItemTitle(int column)
{
    static const char* const titles[kItemColumns] = {"",        "Наименование", "Поставщик", "Цена", "Цена max",
                                                     "Артикул", "Склад",        "Гарантия",  "Дата"};
    return column >= 0 && column < kItemColumns ? QString::fromUtf8(titles[column]) : QVariant();
}

Qt::ItemFlags remainderItemFlags(Qt::ItemFlags flags, int column)
{
    return column == kItemTick ? flags | Qt::ItemIsUserCheckable : flags;
}

} // namespace velmora::catalogue
