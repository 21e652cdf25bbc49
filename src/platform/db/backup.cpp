#include "backup.h"

#include "connection.h"
#include "db_error.h"
#include "platform/files/file_replace.h"
#include "platform/files/leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace velmora::db {

namespace {

// Every page of `from` into `to`, one write transaction of `to`.
void runPageCopy(Connection& from, Connection& to, const QString& source)
{
    sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(to.handle())) + QStringLiteral(": ") + to.path());
    int rc;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(20);
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw DbError(QString::fromUtf8(sqlite3_errstr(rc)) + QStringLiteral(": ") + source, rc);
}

int pageSize(const Connection& db) { return db.scalar(QStringLiteral("PRAGMA page_size")).toInt(); }

bool inWalMode(const Connection& db)
{
    return db.scalar(QStringLiteral("PRAGMA journal_mode")).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
}

// Copies every page of `from` into `to` in one write transaction of `to`;
// readers of the destination see the old database or the new one whole.
void runBackup(Connection& from, Connection& to, const QString& source)
{
    // Pages are copied as they are, and a file in WAL mode cannot change its
    // page size: one made with other pages than the source's leaves WAL for
    // the copy. That needs the file to itself.
    const bool leaveWal = pageSize(from) != pageSize(to) && inWalMode(to);
    if (leaveWal) {
        bool left = false;
        try {
            to.scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
            left = !inWalMode(to);
        } catch (const DbError&) {
        }
        if (!left)
            throw DbError(QStringLiteral("База данных занята другой программой, копирование невозможно: ") + to.path(),
                          SQLITE_BUSY);
    }
    runPageCopy(from, to, source);
    if (leaveWal)
        to.scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
}

void removeDatabaseFile(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// A consistent copy of `from` in a new file beside `destination`, as one
// self-contained file (journal mode DELETE) synced to the disk; returns its
// name.
QString copyBeside(Connection& from, const QString& source, const QString& destination)
{
    const QString temporary = reserveTemporaryBeside(destination);
    if (temporary.isEmpty())
        throw DbError(QStringLiteral("Не удалось записать файл ") + destination);
    // Ends after the connection below has closed.
    const TemporaryClaim claim(temporary);
    try {
        Connection to(temporary, OpenMode::Create);
        // Pages go straight into the file: through a log they would be
        // written twice.
        to.scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
        runBackup(from, to, source);
        // The pages carry the source's journal mode in their header; the copy
        // is left as one self-contained file.
        to.scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
        to.close();
        if (!syncFile(temporary))
            throw DbError(QStringLiteral("Не удалось записать файл ") + destination);
    } catch (...) {
        removeDatabaseFile(temporary);
        throw;
    }
    return temporary;
}

// A destination that is missing or is no database is built aside and
// renamed over it; the old file stays in place until the new one is whole.
void copyToNewFile(Connection& from, const QString& source, const QString& destination)
{
    const QString temporary = copyBeside(from, source, destination);
    // A log left by a crash of the old file's last user would be replayed
    // into the new file.
    QFile::remove(destination + QStringLiteral("-wal"));
    QFile::remove(destination + QStringLiteral("-shm"));
    QString reason;
    if (!renameOver(temporary, destination, &reason)) {
        removeDatabaseFile(temporary);
        throw DbError(QStringLiteral("Не удалось записать файл ") + destination + QStringLiteral(": ") + reason);
    }
}

} // namespace

void copyDatabase(const QString& source, const QString& destination)
{
    Connection from(source, OpenMode::ReadOnly);
    if (QFileInfo::exists(destination)) {
        // An existing database is overwritten through SQLite itself, under
        // its locks, so a program that has it open sees a consistent file.
        Connection to;
        try {
            to.open(destination, OpenMode::ReadWrite);
        } catch (const DbError&) {
            copyToNewFile(from, source, destination);
            return;
        }
        runBackup(from, to, source);
        return;
    }
    copyToNewFile(from, source, destination);
}

QString copyDatabaseBeside(const QString& source, const QString& destination)
{
    Connection from(source, OpenMode::ReadOnly);
    return copyBeside(from, source, destination);
}

void compactDatabase(const QString& source, const QString& destination)
{
    // An empty file is one the caller made (and claimed) for the copy.
    if (QFileInfo(destination).size() > 0)
        throw DbError(QStringLiteral("Файл уже существует: ") + destination);
    Connection from(source, OpenMode::ReadWrite);
    Statement statement = from.prepare(QStringLiteral("VACUUM INTO ?1"));
    statement.bindText(1, destination);
    statement.execute();
}

} // namespace velmora::db
