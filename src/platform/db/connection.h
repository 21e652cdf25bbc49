#pragma once

#include "statement.h"

#include <QString>
#include <QStringList>

struct sqlite3;

namespace velmora::db {

enum class OpenMode {
    ReadWrite,   // the file must exist and be a database
    Create,      // a missing file is created
    ReadOnly,
};

// One connection to a database file, closed by its destructor. Every
// connection the program opens carries the same text semantics: UNOCASE and
// LIKE fold case for Cyrillic as for Latin, Int() floors to a REAL, First()
// takes a group's first value, Now() and Date() give day numbers.
class Connection {
public:
    Connection() = default;
    explicit Connection(const QString& path, OpenMode mode = OpenMode::ReadWrite);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    ~Connection();

    // Opens the file; throws DbError when it is missing (unless Create),
    // locked, or not a database. An open connection is closed first.
    void open(const QString& path, OpenMode mode = OpenMode::ReadWrite);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    QString path() const { return path_; }

    // Runs one or more native statements that return no rows.
    void exec(const QString& sql);
    // Prepares one native statement.
    Statement prepare(const QString& sql) const;
    // Runs a query and returns the first column of its first row (invalid
    // when there is no row).
    QVariant scalar(const QString& sql, const QVariantList& params = {}) const;

    // True while a transaction (or savepoint) is open on this connection.
    bool inTransaction() const;

    qint64 lastInsertRowId() const;
    int changes() const;

    bool tableExists(const QString& table) const;
    bool columnExists(const QString& table, const QString& column) const;
    QStringList columnNames(const QString& table) const;

    // How long a statement waits for another connection's lock before it
    // fails with a DbError whose lockHeldElsewhere() is true (10 s unless set).
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return busyTimeoutMs_; }

    // Reads the database file through a memory map of up to `bytes` (0:
    // through the page cache's reads, the engine's default), now and at
    // every later open. For the connection that serves the search: it reads
    // rows all over a large table, and each read of a page not in the cache
    // otherwise copies the whole page from the system. Mapped pages count
    // in the process's resident memory while the system keeps them.
    void setMappedReads(qint64 bytes);
    qint64 mappedReads() const { return mappedReadBytes_; }

    // Copies the committed pages of the write-ahead log into the database
    // file, as far as no reader of an older state still needs them, and
    // makes them durable (a passive checkpoint: it never waits for a lock).
    void checkpoint();

    sqlite3* handle() const { return db_; }

private:
    void requireOpen() const;

    sqlite3* db_ = nullptr;
    QString path_;
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
    qint64 mappedReadBytes_ = 0;

public:
    static constexpr int kDefaultBusyTimeoutMs = 10000;
};

// Shortens a connection's wait for another connection's lock while it
// lives, so the main window tries a write beside a running load without
// waiting for it, and tries again later when the lock is held.
class ShortLockWait {
public:
    ShortLockWait(Connection& connection, int milliseconds)
        : connection_(connection), previous_(connection.busyTimeout())
    {
        connection_.setBusyTimeout(milliseconds);
    }
    ShortLockWait(const ShortLockWait&) = delete;
    ShortLockWait& operator=(const ShortLockWait&) = delete;
    ~ShortLockWait() { connection_.setBusyTimeout(previous_); }

private:
    Connection& connection_;
    int previous_;
};

// A transaction with an explicit commit; the destructor rolls back an
// uncommitted one, so an exception leaves the old data whole.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();

    void commit();

private:
    Connection& connection_;
    bool done_ = false;
};

// A savepoint with an explicit release: works inside a caller's transaction
// as well as outside one (where it is a transaction of its own). The
// destructor rolls back to it when it was not released.
class Savepoint {
public:
    Savepoint(Connection& connection, const QString& name);
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    ~Savepoint();

    void release();
    // Undoes everything since the savepoint and ends it; errors are thrown.
    void rollBack();

private:
    Connection& connection_;
    QString name_;
    bool done_ = false;
};

} // namespace velmora::db
