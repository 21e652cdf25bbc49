#pragma once

#include "platform/db/connection.h"
#include "platform/db/schema_collation.h"
#include "platform/db/text_functions.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <string>

#include <gtest/gtest.h>

// Tests work on files in a temporary folder, removed with the fixture.
class StorageTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

// A database opened by SQLite alone, as another client opens it: without
// the program's functions unless it loads the program's extension.
class RawSqlite {
public:
    explicit RawSqlite(const QString& file, int flags = SQLITE_OPEN_READWRITE)
    {
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db_, flags, nullptr);
    }
    ~RawSqlite() { sqlite3_close(db_); }
    RawSqlite(const RawSqlite&) = delete;
    RawSqlite& operator=(const RawSqlite&) = delete;

    // "" when it loaded, else the engine's message.
    std::string loadTextExtension()
    {
        sqlite3_enable_load_extension(db_, 1);
        char* error = nullptr;
        const QByteArray file = QFile::encodeName(QDir(QStringLiteral(VELMORA_PROGRAM_DIR)).filePath(QStringLiteral("velmora_text")));
        const int rc = sqlite3_load_extension(db_, file.constData(), nullptr, &error);
        return finish(rc, error);
    }

    // Runs statements to their end; "" when they succeeded, else the
    // engine's message.
    std::string run(const char* sql)
    {
        char* error = nullptr;
        const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &error);
        return finish(rc, error);
    }

    // The first column of the first row of a query, as text.
    std::string text(const char* sql)
    {
        sqlite3_stmt* stmt = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        else
            out = sqlite3_errmsg(db_);
        sqlite3_finalize(stmt);
        return out;
    }

private:
    static std::string finish(int rc, char* error)
    {
        std::string message = rc == SQLITE_OK ? std::string() : error ? std::string(error) : sqlite3_errstr(rc);
        sqlite3_free(error);
        return message;
    }

    sqlite3* db_ = nullptr;
};

// Turns a file of the current schema into one as earlier builds left it:
// tables and indexes declared on NOCASE, which those builds overrode with
// the program's folding, so the indexes are sorted by that folding.
inline void declareOnEarlierNoCase(velmora::db::Connection& c)
{
    sqlite3_create_collation(c.handle(), "NOCASE", SQLITE_UTF8, nullptr,
                             [](void*, int lengthA, const void* a, int lengthB, const void* b) {
                                 return velmora::db::compareNoCase(
                                     std::string_view(static_cast<const char*>(a), size_t(lengthA)),
                                     std::string_view(static_cast<const char*>(b), size_t(lengthB)));
                             });
    velmora::db::Transaction transaction(c);
    velmora::db::renameSchemaCollation(c, QStringLiteral("UNOCASE"), QStringLiteral("NOCASE"));
    transaction.commit();
}

// The schema catalogue of a database, one entry per object with its SQL.
inline QStringList schemaOf(const velmora::db::Connection& c)
{
    QStringList out;
    velmora::db::Statement s =
        c.prepare(QStringLiteral("SELECT type || ' ' || name || ': ' || ifnull(sql, '') FROM sqlite_master ORDER BY name"));
    while (s.step())
        out << s.text(0);
    return out;
}

// Every row of every table, as text (tables without rowid, such as the
// full-text index's own, in key order).
inline QStringList dataOf(const velmora::db::Connection& c)
{
    QStringList tables;
    QList<bool> keyed;
    {
        velmora::db::Statement s = c.prepare(QStringLiteral(
            "SELECT name, sql LIKE '%WITHOUT ROWID%' FROM sqlite_master WHERE type='table' ORDER BY name"));
        while (s.step()) {
            tables << s.text(0);
            keyed << (s.value(1).toInt() != 0);
        }
    }
    QStringList out;
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const QString& table = tables.at(t);
        velmora::db::Statement s = c.prepare(
            QStringLiteral("SELECT * FROM \"%1\"%2").arg(table, keyed.at(t) ? QString() : QStringLiteral(" ORDER BY rowid")));
        while (s.step()) {
            QStringList row{table};
            for (int i = 0; i < s.columnCount(); ++i)
                row << s.value(i).toString();
            out << row.join(u'|');
        }
    }
    return out;
}
