#include "schema.h"

#include "goods_search_index.h"

#include "platform/db/db_error.h"
#include "platform/db/jet_dialect.h"
#include "platform/db/text_functions.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

namespace velmora {

const ColumnDef* TableDef::column(const QString& columnName) const
{
    for (const ColumnDef& c : columns)
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

namespace column {

QString counter() { return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"); }
QString text(int width)
{
    return QStringLiteral("VARCHAR(%1) COLLATE %2").arg(width).arg(QLatin1String(db::kTextCollation));
}
QString textNotNull(int width) { return text(width) + QStringLiteral(" NOT NULL DEFAULT ''"); }
QString memo() { return QStringLiteral("TEXT COLLATE %1").arg(QLatin1String(db::kTextCollation)); }
QString integer() { return QStringLiteral("INTEGER"); }
QString integerNotNull(int defaultValue) { return QStringLiteral("INTEGER NOT NULL DEFAULT %1").arg(defaultValue); }
QString real() { return QStringLiteral("REAL"); }
QString realNotNull(double defaultValue)
{
    // A REAL literal keeps the default a real even where it is whole.
    return QStringLiteral("REAL NOT NULL DEFAULT %1").arg(QString::number(defaultValue, 'f', 1));
}
QString currency() { return QStringLiteral("REAL"); }
QString dateTime() { return QStringLiteral("REAL"); }
QString dateTimeNow()
{
    return QStringLiteral("REAL NOT NULL DEFAULT (julianday('now','localtime')-2415018.5)");
}
QString yesNo() { return QStringLiteral("INTEGER NOT NULL DEFAULT 0"); }

} // namespace column

namespace {

QString quoted(const QString& identifier) { return u'"' + identifier + u'"'; }

const TableDef& findTable(const QList<TableDef>& tables, const QString& name, const char* database)
{
    for (const TableDef& t : tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw std::logic_error(std::string("no table ") + name.toStdString() + " in the " + database + " schema");
}

void insertSeedRows(db::Connection& connection, const TableDef& table)
{
    if (table.seedRows.isEmpty())
        return;
    QStringList names, marks;
    for (int i = 0; i < table.columns.size(); ++i) {
        names << quoted(table.columns[i].name);
        marks << QStringLiteral("?%1").arg(i + 1);
    }
    db::Statement insert = connection.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                  .arg(quoted(table.name), names.join(u','), marks.join(u',')));
    for (const QVariantList& row : table.seedRows) {
        for (int i = 0; i < table.columns.size(); ++i)
            insert.bind(i + 1, row.value(i));
        insert.execute();
        insert.reset();
    }
}

void createDatabase(const QString& path, const QList<TableDef>& tables,
                    const std::function<void(db::Connection&)>& addExtras = {})
{
    if (QFileInfo::exists(path))
        throw db::DbError(QStringLiteral("Файл уже существует: ") + path);
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    try {
        db::Connection connection(temporary, db::OpenMode::Create);
        {
            db::Transaction transaction(connection);
            for (const TableDef& table : tables) {
                createTable(connection, table);
                insertSeedRows(connection, table);
            }
            if (addExtras)
                addExtras(connection);
            transaction.commit();
        }
        // One self-contained file: no -wal beside it.
        connection.scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
        connection.close();
    } catch (...) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-wal"));
        QFile::remove(temporary + QStringLiteral("-shm"));
        throw;
    }
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        throw db::DbError(QStringLiteral("Не удалось записать файл ") + path);
    }
}

} // namespace

const TableDef& priceTable(const QString& name) { return findTable(priceTables(), name, "price"); }
const TableDef& orderTable(const QString& name) { return findTable(orderTables(), name, "order"); }

QString createTableSql(const TableDef& table)
{
    QStringList lines;
    for (const ColumnDef& c : table.columns)
        lines << QStringLiteral("  %1 %2").arg(quoted(c.name), c.type);
    return QStringLiteral("CREATE TABLE %1 (\n%2\n)").arg(quoted(table.name), lines.join(QStringLiteral(",\n")));
}

QStringList createIndexSql(const TableDef& table)
{
    QStringList statements;
    for (const IndexDef& index : table.indexes) {
        QStringList columns;
        for (const QString& c : index.columns)
            columns << quoted(c);
        statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)%5")
                          .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
                               quoted(db::uniqueIndexName(table.name, index.name)), quoted(table.name),
                               columns.join(QStringLiteral(", ")),
                               index.where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + index.where);
    }
    return statements;
}

void createTable(db::Connection& connection, const TableDef& table)
{
    connection.exec(createTableSql(table));
    for (const QString& statement : createIndexSql(table))
        connection.exec(statement);
}

void createPriceDatabase(const QString& path) { createDatabase(path, priceTables(), createSupplierGoodsIndex); }

void createOrderDatabase(const QString& path) { createDatabase(path, orderTables()); }

} // namespace velmora
