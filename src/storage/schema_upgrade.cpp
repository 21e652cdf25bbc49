#include "schema.h"

#include "goods_search_index.h"

#include "platform/db/db_error.h"
#include "platform/db/jet_dialect.h"
#include "platform/db/schema_collation.h"
#include "platform/db/text_functions.h"

#include <sqlite3.h>

#include <functional>
#include <optional>

namespace velmora {
namespace {

// One database's side of the upgrade: its changes run in one transaction,
// begun only when the first change is due, so a database that needs nothing
// (even a read-only one) is never written.
class UpgradeSession {
public:
    explicit UpgradeSession(db::Connection& connection) : connection_(connection) {}

    bool hasTable(const QString& table) const
    {
        return inspect([&] { return connection_.tableExists(table); });
    }

    bool hasColumn(const QString& table, const QString& column) const
    {
        return inspect([&] { return connection_.columnExists(table, column); });
    }

    bool hasIndex(const QString& index) const
    {
        return inspect([&] {
            return connection_
                       .scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index' AND name=?1"), {index})
                       .toInt()
                > 0;
        });
    }

    bool indexCurrent() const
    {
        return inspect([&] { return supplierGoodsIndexCurrent(connection_); });
    }

    bool declaresCollation(const QString& collation) const
    {
        return inspect([&] { return db::schemaDeclaresCollation(connection_, collation); });
    }

    bool readOnly() const { return sqlite3_db_readonly(connection_.handle(), "main") == 1; }

    void change(const QString& what, const std::function<void(db::Connection&)>& action)
    {
        try {
            if (!transaction_)
                transaction_.emplace(connection_);
            action(connection_);
        } catch (const db::DbError& e) {
            transaction_.reset(); // rolls back what this database got so far
            throw SchemaError(QStringLiteral("Не удалось обновить структуру базы данных %1 (%2):\n%3")
                                  .arg(connection_.path(), what, e.message()));
        }
    }

    void commit()
    {
        if (!transaction_)
            return;
        try {
            transaction_->commit();
            transaction_.reset();
        } catch (const db::DbError& e) {
            transaction_.reset();
            throw SchemaError(
                QStringLiteral("Не удалось обновить структуру базы данных %1:\n%2").arg(connection_.path(), e.message()));
        }
    }

private:
    // Reads the schema catalogue; a failure names the database.
    template <typename Read>
    bool inspect(const Read& read) const
    {
        try {
            return read();
        } catch (const db::DbError& e) {
            throw SchemaError(QStringLiteral("Не удалось прочитать структуру базы данных %1:\n%2")
                                  .arg(connection_.path(), e.message()));
        }
    }

    db::Connection& connection_;
    std::optional<db::Transaction> transaction_;
};

// Files of earlier builds declare their text columns on NOCASE, which those
// builds overrode with their own folding; other clients then saw the
// indexes as corrupt. The declarations move to the program's collation,
// every row and index kept. A read-only file is used as it is.
void declareProgramCollation(UpgradeSession& session)
{
    if (session.declaresCollation(QStringLiteral("NOCASE")) && !session.readOnly())
        session.change(QStringLiteral("правило сравнения текстов"), [](db::Connection& c) {
            db::renameSchemaCollation(c, QStringLiteral("NOCASE"), QLatin1String(db::kTextCollation));
        });
}

void ensureTable(UpgradeSession& session, const TableDef& table)
{
    if (!session.hasTable(table.name))
        session.change(QStringLiteral("таблица ") + table.name,
                       [&table](db::Connection& c) { createTable(c, table); });
}

// A table that was there before its look-ups were indexed gets the missing
// indexes; those it has are left as they are.
void ensureTableWithIndexes(UpgradeSession& session, const TableDef& table)
{
    if (!session.hasTable(table.name)) {
        ensureTable(session, table);
        return;
    }
    const QStringList statements = createIndexSql(table);
    for (qsizetype i = 0; i < table.indexes.size(); ++i) {
        const QString name = db::uniqueIndexName(table.name, table.indexes.at(i).name);
        if (!session.hasIndex(name))
            session.change(QStringLiteral("индекс ") + name,
                           [&statement = statements.at(i)](db::Connection& c) { c.exec(statement); });
    }
}

// The own catalogue and the matching tables, in the order they refer to
// each other.
const char* const kCatalogueTables[] = {
    "price_main", "Tovar_tree", "Price_Tovar_Info", "Tovar_tree_history", "price_main_history", "New_tovar",
    "krit",       "kritiskl",   "price_all",        "price_one",          "musor",              "sootv",
    "svod",       "Sootv_All",  "Sootv_temp",       "Price_temp",
};

// The pricing tables: markup thresholds, the suppliers chosen per group,
// the output price table.
const char* const kPricingTables[] = {"MinPrice_Nacen", "MinPrice_Group", "Price_Out"};

} // namespace

void UpgradeSchema(db::Connection& priceDb, db::Connection& orderDb, bool brendPrioryOn)
{
    UpgradeSession price(priceDb);
    UpgradeSession order(orderDb);
    declareProgramCollation(price);
    declareProgramCollation(order);

    // The order tables belong to the order database, with every column the
    // order operations use.
    ensureTable(order, orderTable(QStringLiteral("AllZakazFull")));
    ensureTable(order, orderTable(QStringLiteral("AllClientZakaz")));

    ensureTableWithIndexes(price, priceTable(QStringLiteral("AllPriceHistory")));
    ensureTable(price, priceTable(QStringLiteral("AllTovarValuta")));
    if (brendPrioryOn)
        ensureTable(price, priceTable(QStringLiteral("BrendPriory")));
    for (const char* table : kCatalogueTables)
        ensureTableWithIndexes(price, priceTable(QString::fromLatin1(table)));
    for (const char* table : kPricingTables)
        ensureTableWithIndexes(price, priceTable(QString::fromLatin1(table)));
    // The order list of the import and the distribution, and the units
    // the distribution gives each supplier.
    ensureTable(price, priceTable(QStringLiteral("Zakaz")));
    ensureTableWithIndexes(price, priceTable(QStringLiteral("ZakazPostav")));

    // The search index, built from the offers already there. Its
    // definition is checked as a whole, so a change to it rebuilds it once.
    // A file opened read-only is searched without it (the search reads the
    // offers themselves then) rather than refused.
    if (price.hasTable(QStringLiteral("AllTovarPostav")) && !price.indexCurrent() && !price.readOnly())
        price.change(QStringLiteral("индекс поиска товаров"), createSupplierGoodsIndex);

    // Order databases from before offer references lack this column; their
    // existing lines keep it empty.
    if (!order.hasColumn(QStringLiteral("AllZakazFull"), QStringLiteral("TovarNumber")))
        order.change(QStringLiteral("столбец AllZakazFull.TovarNumber"), [](db::Connection& c) {
            c.exec(QStringLiteral("ALTER TABLE \"AllZakazFull\" ADD COLUMN \"TovarNumber\" ") + column::integer());
        });
    ensureTable(order, orderTable(QStringLiteral("SelectTempPostav")));

    order.commit();
    price.commit();
}

} // namespace velmora
