#include "backup.h"

#include "connection.h"
#include "db_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

namespace velmora::db {

void copyDatabase(const QString& source, const QString& destination)
{
    Connection from(source, OpenMode::ReadOnly);
    const QString temporary = destination + QStringLiteral(".part");
    QFile::remove(temporary);
    {
        Connection to(temporary, OpenMode::Create);
        sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
        if (!backup)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(to.handle())) + QStringLiteral(": ") + destination);
        int rc;
        do {
            rc = sqlite3_backup_step(backup, 4096);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                sqlite3_sleep(20);
        } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE) {
            const QString message = QString::fromUtf8(sqlite3_errstr(rc));
            to.close();
            QFile::remove(temporary);
            throw DbError(message + QStringLiteral(": ") + source, rc);
        }
        // Leave the copy as one self-contained file.
        to.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    QFile::remove(destination + QStringLiteral("-wal"));
    QFile::remove(destination + QStringLiteral("-shm"));
    if (QFileInfo::exists(destination) && !QFile::remove(destination)) {
        QFile::remove(temporary);
        throw DbError(QStringLiteral("Не удалось заменить файл ") + destination);
    }
    if (!QFile::rename(temporary, destination)) {
        QFile::remove(temporary);
        throw DbError(QStringLiteral("Не удалось записать файл ") + destination);
    }
}

void compactDatabase(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination))
        throw DbError(QStringLiteral("Файл уже существует: ") + destination);
    Connection from(source, OpenMode::ReadWrite);
    Statement statement = from.prepare(QStringLiteral("VACUUM INTO ?1"));
    statement.bindText(1, destination);
    statement.execute();
}

} // namespace velmora::db
