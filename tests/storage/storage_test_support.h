#pragma once

#include "platform/db/connection.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Tests work on files in a temporary folder, removed with the fixture.
class StorageTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

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
