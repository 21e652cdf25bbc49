#include "connection.h"

#include "db_error.h"
#include "sql_functions.h"

#include <QFileInfo>

#include <algorithm>
#include <sqlite3.h>

namespace velmora::db {

namespace {

// Process-wide engine settings, made once before the first connection.
void configureEngine()
{
    static const bool configured = [] {
        // The engine's memory statistics take a lock on every allocation,
        // and nothing here reads them.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

// Pages of a new database file. Price lists make tables of millions of
// rows; pages twice the engine's default halve the writes of a load.
constexpr int kNewDatabasePageSize = 8192;

} // namespace

Connection::Connection(const QString& path, OpenMode mode) { open(path, mode); }

Connection::Connection(Connection&& other) noexcept
    : db_(other.db_), path_(std::move(other.path_)), busyTimeoutMs_(other.busyTimeoutMs_),
      mappedReadBytes_(other.mappedReadBytes_)
{
    other.db_ = nullptr;
}

Connection& Connection::operator=(Connection&& other) noexcept
{
    if (this != &other) {
        close();
        db_ = other.db_;
        path_ = std::move(other.path_);
        busyTimeoutMs_ = other.busyTimeoutMs_;
        mappedReadBytes_ = other.mappedReadBytes_;
        other.db_ = nullptr;
    }
    return *this;
}

Connection::~Connection() { close(); }

void Connection::open(const QString& path, OpenMode mode)
{
    close();
    configureEngine();
    if (mode != OpenMode::Create && !QFileInfo(path).isFile())
        throw DbError(QStringLiteral("Файл базы данных не найден: ") + path, SQLITE_CANTOPEN);

    // A connection belongs to one thread (the load thread opens its own), so
    // the engine needs no lock of its own per call.
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case OpenMode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case OpenMode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case OpenMode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw DbError(message + QStringLiteral(": ") + path, rc);
    }
    db_ = db;
    path_ = path;
    try {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, busyTimeoutMs_);
        registerSqlFunctions(db_);
        // Reading the schema is what tells a database from any other file.
        scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        if (mode == OpenMode::Create) // only a file that is still empty takes it
            exec(QStringLiteral("PRAGMA page_size=%1").arg(kNewDatabasePageSize));
        if (mode != OpenMode::ReadOnly) {
            // WAL lets the load thread write on its own connection while the
            // main window reads; NORMAL sync is still safe against a crash.
            scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
            exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
            // A load of a price list touches far more pages than the 2 MB
            // default cache holds; spilling them costs more than the memory.
            exec(QStringLiteral("PRAGMA cache_size=-65536"));
        }
        if (mappedReadBytes_ > 0)
            setMappedReads(mappedReadBytes_);
    } catch (...) {
        close();
        throw;
    }
}

void Connection::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Connection::requireOpen() const
{
    if (!db_)
        throw DbError(QStringLiteral("Нет подключения к базе данных"));
}

void Connection::exec(const QString& sql)
{
    requireOpen();
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        QString message = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(error);
        throw DbError(message + QStringLiteral("\n") + sql, rc);
    }
}

Statement Connection::prepare(const QString& sql) const
{
    requireOpen();
    return Statement(db_, sql);
}

QVariant Connection::scalar(const QString& sql, const QVariantList& params) const
{
    Statement statement = prepare(sql);
    for (int i = 0; i < params.size(); ++i)
        statement.bind(i + 1, params[i]);
    return statement.step() ? statement.value(0) : QVariant();
}

void Connection::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs_ = milliseconds;
    if (db_)
        sqlite3_busy_timeout(db_, milliseconds);
}

void Connection::setMappedReads(qint64 bytes)
{
    mappedReadBytes_ = std::max<qint64>(bytes, 0);
    if (db_)
        scalar(QStringLiteral("PRAGMA mmap_size=%1").arg(mappedReadBytes_));
}

void Connection::checkpoint()
{
    requireOpen();
    const int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    // Busy: another connection is copying the log right now.
    if (rc != SQLITE_OK && rc != SQLITE_BUSY)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db_)), rc);
}

bool Connection::inTransaction() const { return db_ && sqlite3_get_autocommit(db_) == 0; }

qint64 Connection::lastInsertRowId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

int Connection::changes() const { return db_ ? sqlite3_changes(db_) : 0; }

bool Connection::tableExists(const QString& table) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type IN ('table','view') AND name=?1 COLLATE NOCASE"),
                  {table}).toInt() > 0;
}

QStringList Connection::columnNames(const QString& table) const
{
    Statement statement = prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
    statement.bind(1, table);
    QStringList names;
    while (statement.step())
        names << statement.text(0);
    return names;
}

bool Connection::columnExists(const QString& table, const QString& column) const
{
    return columnNames(table).contains(column, Qt::CaseInsensitive);
}

Transaction::Transaction(Connection& connection) : connection_(connection)
{
    connection_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (!done_) {
        try {
            connection_.exec(QStringLiteral("ROLLBACK"));
        } catch (...) {
            // The engine may have rolled back already after a failed statement.
        }
    }
}

void Transaction::commit()
{
    connection_.exec(QStringLiteral("COMMIT"));
    done_ = true;
}

Savepoint::Savepoint(Connection& connection, const QString& name) : connection_(connection), name_(name)
{
    connection_.exec(QStringLiteral("SAVEPOINT \"%1\"").arg(name_));
}

Savepoint::~Savepoint()
{
    if (!done_) {
        try {
            connection_.exec(QStringLiteral("ROLLBACK TO \"%1\"; RELEASE \"%1\"").arg(name_));
        } catch (...) {
            // The engine may have rolled the whole transaction back already.
        }
    }
}

void Savepoint::release()
{
    connection_.exec(QStringLiteral("RELEASE \"%1\"").arg(name_));
    done_ = true;
}

void Savepoint::rollBack()
{
    done_ = true;
    connection_.exec(QStringLiteral("ROLLBACK TO \"%1\"; RELEASE \"%1\"").arg(name_));
}

} // namespace velmora::db
