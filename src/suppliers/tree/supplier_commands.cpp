#include "suppliers/tree/supplier_commands.h"

#include "platform/db/statement.h"
#include "storage/goods_search_index.h"
#include "storage/settings_store.h"
#include "suppliers/tree/price_lists.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace velmora {

namespace {

struct RowKey {
    qint64 rowid = 0;
    QString name;
};

std::vector<RowKey> rowKeys(db::Connection& priceDb)
{
    std::vector<RowKey> keys;
    db::Statement st = priceDb.prepare(QStringLiteral("SELECT rowid, Postavshik FROM AllPostavSetup ORDER BY Id, rowid"));
    while (st.step())
        keys.push_back({st.integer(0), st.text(1)});
    return keys;
}

// Writes Id = 1..n in the given order. The rows first leave the range 1..n
// (negative Ids), so no two rows share an Id at any step.
void renumber(db::Connection& priceDb, const std::vector<RowKey>& order)
{
    priceDb.exec(QStringLiteral("UPDATE AllPostavSetup SET Id = -rowid"));
    db::Statement st = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET Id = ?1 WHERE rowid = ?2"));
    qint64 id = 1;
    for (const RowKey& key : order) {
        st.reset();
        st.bind(1, id++).bind(2, key.rowid);
        st.execute();
    }
}

void deleteByName(db::Connection& priceDb, const QString& table, const QString& name)
{
    db::Statement st = priceDb.prepare(QStringLiteral("DELETE FROM %1 WHERE Postavshik = ?1").arg(table));
    st.bind(1, name);
    st.execute();
}

} // namespace

std::optional<qint64> AddPriceList(db::Connection& priceDb, qint64 todayDayNumber)
{
    db::Transaction tx(priceDb);
    if (FindPriceList(priceDb, kNewPriceListName))
        return std::nullopt;
    const qint64 id = priceDb.scalar(QStringLiteral("SELECT coalesce(max(Id), 0) + 1 FROM AllPostavSetup")).toLongLong();
    db::Statement st = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, Valuta) "
        "VALUES (?1, ?2, '-', 0, '', 1, ?3, 1, 0)"));
    st.bind(1, id).bind(2, kNewPriceListName).bind(3, todayDayNumber);
    st.execute();
    tx.commit();
    return id;
}

void DeleteSupplierGoods(db::Connection& priceDb, const QString& name)
{
    db::Statement valuta = priceDb.prepare(QStringLiteral(
        "DELETE FROM AllTovarValuta WHERE ID_Tovar IN (SELECT Number FROM AllTovarPostav WHERE Postavshik = ?1)"));
    valuta.bind(1, name);
    valuta.execute();
    deleteSupplierOffers(priceDb, name);
}

bool DeletePriceList(db::Connection& priceDb, const QString& name)
{
    db::Transaction tx(priceDb);
    if (!FindPriceList(priceDb, name))
        return false;
    deleteByName(priceDb, QStringLiteral("AllPostavSetup"), name);
    renumber(priceDb, rowKeys(priceDb));
    deleteByName(priceDb, QStringLiteral("AllPostavPage"), name);
    DeleteSupplierGoods(priceDb, name);
    deleteByName(priceDb, QStringLiteral("AllPriceHistory"), name);
    tx.commit();
    return true;
}

void SortPriceLists(db::Connection& priceDb)
{
    db::Transaction tx(priceDb);
    std::vector<RowKey> keys = rowKeys(priceDb);
    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(keys.begin(), keys.end(),
                     [&](const RowKey& a, const RowKey& b) { return collator.compare(a.name, b.name) < 0; });
    renumber(priceDb, keys);
    tx.commit();
}

bool IsPriceListDisabled(db::Connection& orderDb, const QString& name)
{
    return SettingsStore(orderDb).readBoolean(name + QStringLiteral("_PostavDisable"), QStringLiteral("0"));
}

bool SetPriceListDisabled(db::Connection& priceDb, db::Connection& orderDb, const QString& name, bool disabled)
{
    SettingsStore(orderDb).write(name + QStringLiteral("_PostavDisable"), QStringLiteral("TypeBoolean"),
                                 disabled ? QStringLiteral("-1") : QStringLiteral("0"));
    const bool stored = IsPriceListDisabled(orderDb, name);
    if (stored) {
        db::Transaction tx(priceDb);
        DeleteSupplierGoods(priceDb, name);
        tx.commit();
    }
    return stored;
}

GoodsSummary ReadGoodsSummary(db::Connection& priceDb, const QString& name)
{
    GoodsSummary summary;
    db::Statement count = priceDb.prepare(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE Postavshik = ?1"));
    count.bind(1, name);
    if (count.step())
        summary.count = count.integer(0);
    if (summary.count > 0) {
        db::Statement first = priceDb.prepare(
            QStringLiteral("SELECT Dates FROM AllTovarPostav WHERE Postavshik = ?1 ORDER BY Number LIMIT 1"));
        first.bind(1, name);
        if (first.step() && !first.isNull(0))
            summary.firstDates = first.integer(0);
    }
    return summary;
}

} // namespace velmora
