#pragma once

#include "criteria_search.h"

#include "platform/db/connection.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmora::catalogue {

// The two lists of supplier items that wait beside the criteria search:
// the remainder (price_all, an item known by its Number) and the trash bin
// (musor, an item known by its rowid). Their pages filter them by words of
// the name and by supplier, tick items and move the ticked ones on.
enum class ItemTable { Remainder, Trash };

// "Все поставщики", the supplier choice's first entry: no supplier bound.
QString allSuppliersEntry();

// The supplier choice: "Все поставщики", then the Postavshik of every row
// of postavshik in stored order.
QStringList supplierChoice(db::Connection& priceDb);

// The filter text cut into words at every blank: two blanks in a row give
// an empty word between them, a blank at the very end gives none, an empty
// text one empty word. Each word must stand in the name ("%" and "_" are
// wildcards inside it); an empty word stands in every name.
QStringList filterWords(const QString& text);

// "Всего - n" when the list shows every item of the table, otherwise
// "Показано s из n".
QString itemCounterText(qint64 shown, qint64 total);

// The number of items in the table.
qint64 countItems(db::Connection& priceDb, ItemTable table);

// Clears every tick of the table, writing only the rows that are ticked;
// inside a caller's transaction it becomes part of it.
void clearItemTicks(db::Connection& priceDb, ItemTable table);

// Ticks or unticks one item.
void tickItem(db::Connection& priceDb, ItemTable table, qint64 key, bool ticked);

// What a list shows and in which order.
enum class ItemOrder { Number, Tovar, Supplier, Stored };
struct ItemListQuery {
    ItemTable table = ItemTable::Remainder;
    std::optional<QStringList> words; // the filter's words; none: every item
    QString supplier;                 // empty: every supplier
    ItemOrder order = ItemOrder::Number;
};

// The list a page shows when it is shown (the remainder by Number, the
// trash by name), the one of a filter (the remainder by Number, the trash
// by name; supplierEntry "Все поставщики" binds none) and the one after the
// filter is cancelled (the remainder by supplier, the trash as stored).
ItemListQuery shownItems(ItemTable table);
ItemListQuery filteredItems(ItemTable table, const QString& filterText, const QString& supplierEntry);
ItemListQuery allItemsAfterCancel(ItemTable table);

// One opened list. The items that a filter lists are found once, when the
// list opens, by one scan of the names (side by side over a large
// remainder); the rows themselves are read as they are asked for. The whole
// remainder in Number order is not read at all on opening: its Numbers are
// read as far as they are asked for. The list keeps its items while they are
// ticked; after items leave the table it is opened again.
class ItemList {
public:
    ItemList() = default;
    ItemList(db::Connection& priceDb, ItemListQuery query);

    const ItemListQuery& query() const { return query_; }
    bool isOpen() const { return priceDb_ != nullptr; }
    qint64 size() const { return size_; }

    // The rows first .. first + count - 1 (fewer at the end); an item
    // deleted meanwhile is left out.
    QList<RemainderItem> read(qint64 first, int count);
    // The key (Number or rowid) of a row; 0 outside the list.
    qint64 keyAt(qint64 row);
    // The row of the item with this key, or -1.
    qint64 rowOf(qint64 key);

    // Tick-all: ticks (or unticks) exactly the items the list shows,
    // writing only rows whose tick differs. The remainder's ticks are
    // written "True"/"false", the trash's "true"/"false".
    void tickAll(bool ticked);

private:
    bool lazy() const;
    void loadKeysUpTo(qint64 row);

    db::Connection* priceDb_ = nullptr;
    ItemListQuery query_;
    qint64 size_ = 0;
    std::vector<qint64> keys_; // all of them, or (lazy) the first ones
};

// "Отправить указанные товары в мусорный бак": the ticked remainder items
// go into the trash with all ten columns (ticked as they were) and leave
// the remainder; the remainder's ticks are then cleared. One transaction.
// Returns the number of items sent.
int sendTickedItemsToTrash(db::Connection& priceDb);

// "Уничтожить товар": deletes the ticked trash items, then clears the
// trash's ticks. Returns the number deleted.
int eraseTickedTrashItems(db::Connection& priceDb);

// Empties the trash.
void emptyTrash(db::Connection& priceDb);

} // namespace velmora::catalogue
