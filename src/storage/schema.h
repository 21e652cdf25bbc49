#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <stdexcept>

namespace velmora {

// The two databases' tables as code. One definition serves the default
// database files made at build time and the schema upgrade at start-up.
// Column types are native SQLite: counters never reuse a number, yes/no is
// 0/1, currency, double and date-time are REAL (date-times as day numbers
// from 30 December 1899), text compares without case. Every declaration is
// one the stock sqlite3 shell understands.

struct ColumnDef {
    QString name;
    QString type; // the column's declaration after its name
};

struct IndexDef {
    QString name; // the index's own name; the database holds it as <table>_<name>
    QStringList columns;
    bool unique = false;
    QString where; // a partial index: the condition of the rows it holds
};

struct TableDef {
    QString name;
    QList<ColumnDef> columns; // in stored order
    QList<IndexDef> indexes;
    QList<QVariantList> seedRows; // rows a new database starts with, all columns in order

    const ColumnDef* column(const QString& columnName) const;
};

// Column declarations, one per kind of value the tables hold.
namespace column {
QString counter();                        // row identity, numbers never reused
QString text(int width);                  // nullable text
QString textNotNull(int width);           // text, default empty
QString memo();                           // long text
QString integer();                        // long integer, nullable (also day numbers)
QString integerNotNull(int defaultValue); // long integer with a default
QString real();                           // double or float, nullable
QString realNotNull(double defaultValue);
QString currency();                       // REAL, written with four decimals
QString dateTime();                       // REAL day number with time
QString dateTimeNow();                    // REAL day number, default now
QString yesNo();                          // 0/1, default 0
} // namespace column

// The rows of price_all whose flags a criteria search resets (not cleared
// ticks, items kept out); the condition of its partial index
// price_all_Flags_to_reset, which a statement with this very condition uses.
inline const QString kPriceAllFlagsToReset =
    QStringLiteral("Check_sootv IS NOT 'false' OR Check_obrab IS NOT 'true'");

// Every table of each database, in creation order. Adding a table to a
// database is one entry in its list (price_schema.cpp, order_schema.cpp).
const QList<TableDef>& priceTables();
const QList<TableDef>& orderTables();

// The `settings` table, alike in both databases.
TableDef settingsTableDef();

// The definition of one table of a database; throws when there is none.
const TableDef& priceTable(const QString& name);
const TableDef& orderTable(const QString& name);

// Native DDL for a table and its indexes.
QString createTableSql(const TableDef& table);
QStringList createIndexSql(const TableDef& table);

// Creates the table with its indexes on the connection.
void createTable(db::Connection& connection, const TableDef& table);

// Makes a complete new database file holding every table of its kind (and
// its seed rows; a price database also its offers' search index), left in journal mode DELETE as one self-contained file.
// The file is written under a temporary name and renamed when complete; an
// existing file is never replaced. Throws db::DbError.
void createPriceDatabase(const QString& path);
void createOrderDatabase(const QString& path);

// A failure of the schema upgrade; the message names the database and the
// statement that failed.
class SchemaError : public std::runtime_error {
public:
    explicit SchemaError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Brings older databases up to the current schema (start-up): in both,
// tables and indexes declared on NOCASE by earlier builds move to the
// program's collation (rows and indexes kept); in the price
// database AllPriceHistory (with its missing indexes), AllTovarValuta and, with the brand-priority
// switch, BrendPriory, the own catalogue's and the matching tables with
// every index of theirs, the order list Zakaz with its suppliers' units
// ZakazPostav, and the offers' search index (goods_search_index.h,
// built from the offers already there); in the order database AllZakazFull and AllClientZakaz
// when missing, the column AllZakazFull.TovarNumber and SelectTempPostav.
// The schema catalogue tells what is missing; each database's changes run
// in one transaction, so a failure leaves it as it was and throws
// SchemaError. A second run changes nothing.
void UpgradeSchema(db::Connection& priceDb, db::Connection& orderDb, bool brendPrioryOn);

} // namespace velmora
