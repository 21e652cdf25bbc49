#include "schema_collation.h"

#include "db_error.h"

#include <QList>
#include <QRegularExpression>

#include <sqlite3.h>

namespace velmora::db {
namespace {

// "COLLATE NOCASE", also with the name quoted in any of SQLite's ways.
QRegularExpression collateClause(const QString& collation)
{
    return QRegularExpression(QStringLiteral(R"(\bCOLLATE(\s+)(["'`\[]?)%1(["'`\]]?)(?!\w))")
                                  .arg(QRegularExpression::escape(collation)),
                              QRegularExpression::CaseInsensitiveOption);
}

struct SchemaEntry {
    QString type;
    QString name;
    QString sql;
};

QList<SchemaEntry> entriesDeclaring(const Connection& connection, const QString& collation)
{
    const QRegularExpression clause = collateClause(collation);
    Statement select = connection.prepare(QStringLiteral(
        "SELECT type, name, sql FROM sqlite_master WHERE type IN ('table', 'index') AND sql IS NOT NULL"));
    QList<SchemaEntry> entries;
    while (select.step()) {
        SchemaEntry entry{select.text(0), select.text(1), select.text(2)};
        if (entry.sql.contains(clause))
            entries << entry;
    }
    return entries;
}

// The schema catalogue is writable only while this lives; it is locked
// again whatever happens.
class WritableSchema {
public:
    explicit WritableSchema(Connection& connection) : connection_(connection)
    {
        connection_.exec(QStringLiteral("PRAGMA writable_schema=ON"));
    }
    ~WritableSchema()
    {
        try {
            connection_.exec(QStringLiteral("PRAGMA writable_schema=OFF"));
        } catch (...) {
        }
    }
    WritableSchema(const WritableSchema&) = delete;
    WritableSchema& operator=(const WritableSchema&) = delete;

private:
    Connection& connection_;
};

} // namespace

bool schemaDeclaresCollation(const Connection& connection, const QString& collation)
{
    return !entriesDeclaring(connection, collation).isEmpty();
}

bool renameSchemaCollation(Connection& connection, const QString& from, const QString& to)
{
    if (sqlite3_get_autocommit(connection.handle()))
        throw DbError(QStringLiteral("Смена правила сравнения текстов выполняется только в транзакции"));
    const QList<SchemaEntry> entries = entriesDeclaring(connection, from);
    if (entries.isEmpty())
        return false;

    // The declarations change in the catalogue's text alone (no table is
    // copied); the new schema version makes every connection read it anew.
    const QRegularExpression clause = collateClause(from);
    const qint64 version = connection.scalar(QStringLiteral("PRAGMA schema_version")).toLongLong();
    {
        WritableSchema writable(connection);
        Statement update =
            connection.prepare(QStringLiteral("UPDATE sqlite_master SET sql = ?1 WHERE type = ?2 AND name = ?3"));
        for (const SchemaEntry& entry : entries) {
            QString sql = entry.sql;
            sql.replace(clause, QStringLiteral("COLLATE\\1") + to);
            update.bindText(1, sql).bindText(2, entry.type).bindText(3, entry.name);
            update.execute();
            update.reset();
        }
        connection.exec(QStringLiteral("PRAGMA schema_version=%1").arg(version + 1));
    }
    // The keys were sorted by the old collation's rule; sort them by the
    // new one (also mends an order another client left behind).
    connection.exec(QStringLiteral("REINDEX \"%1\"").arg(to));
    return true;
}

} // namespace velmora::db
