#include "item_lists.h"

#include "side_by_side.h"

#include "storage/schema.h"

#include <algorithm>

namespace velmora::catalogue {
namespace {

constexpr int kKeyChunk = 1000;

QString tableName(ItemTable table)
{
    return table == ItemTable::Remainder ? QStringLiteral("price_all") : QStringLiteral("musor");
}

QString keyColumn(ItemTable table)
{
    return table == ItemTable::Remainder ? QStringLiteral("Number") : QStringLiteral("rowid");
}

// The words of a filter as matchers of five words each: a name is listed
// when every one of them takes it.
class NameFilter {
public:
    explicit NameFilter(const QStringList& words)
    {
        for (qsizetype i = 0; i < words.size() || i == 0; i += 5) {
            CriteriaWords row;
            for (qsizetype w = 0; w < 5 && i + w < words.size(); ++w)
                row.at(size_t(w)) = words.at(i + w);
            matchers_.emplace_back(QList<CriteriaWords>{row}, QStringList());
        }
    }
    bool matchesFolded(std::string_view folded) const
    {
        return std::all_of(matchers_.begin(), matchers_.end(),
                           [folded](const CriteriaMatcher& m) { return m.matchesFolded(folded); });
    }

private:
    std::vector<CriteriaMatcher> matchers_;
};

// The keys of `select` (key, name) whose name the filter takes, in the
// order read; a null name is never taken.
void collectMatching(db::Statement& select, const NameFilter& filter, std::vector<qint64>& keys)
{
    std::string buffer;
    while (select.step()) {
        if (select.isNull(1))
            continue;
        if (filter.matchesFolded(CriteriaMatcher::foldName(select.utf8(1), buffer)))
            keys.push_back(select.integer(0));
    }
}

// The remainder's filter: its Number span read side by side.
std::vector<qint64> filterRemainder(db::Connection& priceDb, const NameFilter& filter, const QString& supplier)
{
    const qint64 last = priceDb.scalar(QStringLiteral("SELECT max(Number) FROM price_all")).toLongLong();
    const std::vector<NumberRange> ranges = sideBySideRanges(priceDb, 0, last);
    std::vector<std::vector<qint64>> found(ranges.size());
    QString sql = QStringLiteral("SELECT Number, Tovar FROM price_all WHERE Number > ?1 AND Number <= ?2");
    if (!supplier.isEmpty())
        sql += QStringLiteral(" AND Postavshik = ?3");
    sql += QStringLiteral(" ORDER BY Number");
    runSideBySide(priceDb, ranges.size(), [&](db::Connection& connection, size_t i) {
        db::Statement select = connection.prepare(sql);
        select.bindInt(1, ranges[i].from).bindInt(2, ranges[i].to);
        if (!supplier.isEmpty())
            select.bindText(3, supplier);
        collectMatching(select, filter, found[i]);
    });
    std::vector<qint64> keys;
    for (const std::vector<qint64>& part : found)
        keys.insert(keys.end(), part.begin(), part.end());
    return keys;
}

QString orderClause(const ItemListQuery& query)
{
    switch (query.order) {
    case ItemOrder::Number: return QStringLiteral(" ORDER BY Number");
    case ItemOrder::Tovar: return QStringLiteral(" ORDER BY Tovar, rowid");
    // The supplier index's own order: by supplier, ties by Number once the
    // ticks are cleared.
    case ItemOrder::Supplier: return QStringLiteral(" ORDER BY Postavshik, Check_sootv, Number");
    case ItemOrder::Stored: return QStringLiteral(" ORDER BY rowid");
    }
    return QString();
}

RemainderItem readItem(const db::Statement& row)
{
    RemainderItem item;
    item.number = row.integer(0);
    item.art = row.text(1);
    item.tovar = row.text(2);
    item.price = row.number(3);
    item.pricemax = row.number(4);
    item.postavshik = row.text(5);
    item.ticked = row.text(6).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    item.dates = row.integer(7);
    item.garant = row.text(8);
    item.sklad = row.text(9);
    return item;
}

// Clears a table's ticks; the remainder's are found through the index of
// differing flags.
QString clearTicksStatement(ItemTable table)
{
    if (table == ItemTable::Trash)
        return QStringLiteral("UPDATE musor SET Check_sootv = 'false' WHERE Check_sootv IS NOT 'false'");
    return QStringLiteral("UPDATE price_all INDEXED BY price_all_Flags_to_reset SET Check_sootv = 'false' "
                          "WHERE (%1) AND Check_sootv IS NOT 'false'")
        .arg(kPriceAllFlagsToReset);
}

// The remainder's ticked items, read through the index of differing flags.
QString tickedRemainderItems()
{
    return QStringLiteral("price_all INDEXED BY price_all_Flags_to_reset WHERE (%1) AND Check_sootv = 'true'")
        .arg(kPriceAllFlagsToReset);
}

} // namespace

QString allSuppliersEntry() { return QStringLiteral("Все поставщики"); }

QStringList supplierChoice(db::Connection& priceDb)
{
    QStringList entries{allSuppliersEntry()};
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT Postavshik FROM postavshik ORDER BY rowid"));
    while (select.step())
        entries << select.text(0);
    return entries;
}

QStringList filterWords(const QString& text)
{
    QStringList words;
    QString word;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u' ') {
            word += text.at(i);
            continue;
        }
        if (i == text.size() - 1)
            break;
        words << word;
        word.clear();
    }
    words << word;
    return words;
}

QString itemCounterText(qint64 shown, qint64 total)
{
    if (shown == total)
        return QStringLiteral("Всего - %1").arg(total);
    return QStringLiteral("Показано %1 из %2").arg(shown).arg(total);
}

qint64 countItems(db::Connection& priceDb, ItemTable table)
{
    return priceDb.scalar(QStringLiteral("SELECT count(*) FROM ") + tableName(table)).toLongLong();
}

void clearItemTicks(db::Connection& priceDb, ItemTable table)
{
    // A savepoint, so that a command's own transaction can hold it.
    db::Savepoint savepoint(priceDb, QStringLiteral("clear_item_ticks"));
    priceDb.exec(clearTicksStatement(table));
    savepoint.release();
}

void tickItem(db::Connection& priceDb, ItemTable table, qint64 key, bool ticked)
{
    db::Statement update = priceDb.prepare(
        QStringLiteral("UPDATE %1 SET Check_sootv = ?2 WHERE %2 = ?1").arg(tableName(table), keyColumn(table)));
    update.bindInt(1, key).bindText(2, ticked ? QStringLiteral("true") : QStringLiteral("false"));
    update.execute();
}

ItemListQuery shownItems(ItemTable table)
{
    return {table, std::nullopt, QString(), table == ItemTable::Remainder ? ItemOrder::Number : ItemOrder::Tovar};
}

ItemListQuery filteredItems(ItemTable table, const QString& filterText, const QString& supplierEntry)
{
    const QString supplier = supplierEntry == allSuppliersEntry() ? QString() : supplierEntry;
    return {table, filterWords(filterText), supplier,
            table == ItemTable::Remainder ? ItemOrder::Number : ItemOrder::Tovar};
}

ItemListQuery allItemsAfterCancel(ItemTable table)
{
    return {table, std::nullopt, QString(), table == ItemTable::Remainder ? ItemOrder::Supplier : ItemOrder::Stored};
}

ItemList::ItemList(db::Connection& priceDb, ItemListQuery query) : priceDb_(&priceDb), query_(std::move(query))
{
    const QString table = tableName(query_.table);
    if (lazy()) {
        size_ = countItems(priceDb, query_.table);
        return;
    }
    if (query_.words && query_.table == ItemTable::Remainder && query_.order == ItemOrder::Number) {
        keys_ = filterRemainder(priceDb, NameFilter(*query_.words), query_.supplier);
    } else {
        QString sql = QStringLiteral("SELECT %1, Tovar FROM %2").arg(keyColumn(query_.table), table);
        if (!query_.supplier.isEmpty())
            sql += QStringLiteral(" WHERE Postavshik = ?1");
        db::Statement select = priceDb.prepare(sql + orderClause(query_));
        if (!query_.supplier.isEmpty())
            select.bindText(1, query_.supplier);
        if (query_.words) {
            collectMatching(select, NameFilter(*query_.words), keys_);
        } else {
            while (select.step())
                keys_.push_back(select.integer(0));
        }
    }
    size_ = qint64(keys_.size());
}

bool ItemList::lazy() const
{
    return query_.table == ItemTable::Remainder && !query_.words && query_.supplier.isEmpty()
        && query_.order == ItemOrder::Number;
}

void ItemList::loadKeysUpTo(qint64 row)
{
    if (!lazy() || row < qint64(keys_.size()) || row >= size_)
        return;
    db::Statement select = priceDb_->prepare(
        QStringLiteral("SELECT Number FROM price_all WHERE Number > ?1 ORDER BY Number LIMIT ?2"));
    while (qint64(keys_.size()) <= row) {
        const qint64 wanted = std::max<qint64>(kKeyChunk, row + 1 - qint64(keys_.size()));
        select.bindInt(1, keys_.empty() ? 0 : keys_.back()).bindInt(2, wanted);
        const size_t before = keys_.size();
        while (select.step())
            keys_.push_back(select.integer(0));
        select.reset();
        if (keys_.size() == before) {
            size_ = qint64(keys_.size()); // items left meanwhile
            return;
        }
    }
}

QList<RemainderItem> ItemList::read(qint64 first, int count)
{
    QList<RemainderItem> items;
    if (!priceDb_ || first < 0 || count <= 0)
        return items;
    loadKeysUpTo(first + count - 1);
    db::Statement select = priceDb_->prepare(
        QStringLiteral("SELECT %1, Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Dates, Garant, Sklad "
                       "FROM %2 WHERE %1 = ?1")
            .arg(keyColumn(query_.table), tableName(query_.table)));
    const qint64 end = std::min<qint64>(first + count, qint64(keys_.size()));
    for (qint64 row = first; row < end; ++row) {
        select.bindInt(1, keys_[size_t(row)]);
        if (select.step())
            items << readItem(select);
        select.reset();
    }
    return items;
}

qint64 ItemList::keyAt(qint64 row)
{
    loadKeysUpTo(row);
    return row >= 0 && row < qint64(keys_.size()) ? keys_[size_t(row)] : 0;
}

qint64 ItemList::rowOf(qint64 key)
{
    if (!priceDb_)
        return -1;
    if (!lazy()) {
        const auto at = std::find(keys_.begin(), keys_.end(), key);
        return at != keys_.end() ? qint64(at - keys_.begin()) : -1;
    }
    // Numbers ascend: the keys are read on up to this one.
    if (keys_.empty() || keys_.back() < key) {
        db::Statement select = priceDb_->prepare(
            QStringLiteral("SELECT Number FROM price_all WHERE Number > ?1 AND Number <= ?2 ORDER BY Number"));
        select.bindInt(1, keys_.empty() ? 0 : keys_.back()).bindInt(2, key);
        while (select.step())
            keys_.push_back(select.integer(0));
        size_ = std::max(size_, qint64(keys_.size()));
    }
    const auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    return at != keys_.end() && *at == key ? qint64(at - keys_.begin()) : -1;
}

void ItemList::tickAll(bool ticked)
{
    if (!priceDb_)
        return;
    const QString table = tableName(query_.table);
    QString value = ticked ? QStringLiteral("true") : QStringLiteral("false");
    if (ticked && query_.table == ItemTable::Remainder)
        value = QStringLiteral("True");
    db::Transaction transaction(*priceDb_);
    if (lazy()) {
        db::Statement update =
            priceDb_->prepare(QStringLiteral("UPDATE price_all SET Check_sootv = ?1 WHERE Check_sootv IS NOT ?1"));
        update.bindText(1, value);
        update.execute();
    } else {
        db::Statement update =
            priceDb_->prepare(QStringLiteral("UPDATE %1 SET Check_sootv = ?1 WHERE %2 = ?2 AND Check_sootv IS NOT ?1")
                                  .arg(table, keyColumn(query_.table)));
        update.bindText(1, value);
        for (const qint64 key : keys_) {
            update.bindInt(2, key);
            update.execute();
            update.reset();
        }
    }
    transaction.commit();
}

int sendTickedItemsToTrash(db::Connection& priceDb)
{
    const QString ticked = tickedRemainderItems();
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("INSERT INTO musor (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, "
                                "Dates, Garant, Sklad) SELECT Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, "
                                "Check_obrab, Dates, Garant, Sklad FROM %1 ORDER BY Number")
                     .arg(ticked));
    priceDb.exec(QStringLiteral("DELETE FROM ") + ticked);
    const int sent = priceDb.changes();
    priceDb.exec(clearTicksStatement(ItemTable::Remainder));
    transaction.commit();
    return sent;
}

int eraseTickedTrashItems(db::Connection& priceDb)
{
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM musor WHERE Check_sootv = 'true'"));
    const int erased = priceDb.changes();
    priceDb.exec(clearTicksStatement(ItemTable::Trash));
    transaction.commit();
    return erased;
}

void emptyTrash(db::Connection& priceDb)
{
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM musor"));
    transaction.commit();
}

} // namespace velmora::catalogue
