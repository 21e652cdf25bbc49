#pragma once

#include "platform/db/connection.h"
#include "storage/schema.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <array>

#include <gtest/gtest.h>

namespace velmora::testing {

// A fresh price database in a temporary folder with helpers that put groups
// and goods in place and read them back.
class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest()
    {
        createPriceDatabase(path());
        priceDb.open(path());
    }

    QString path() const { return dir.filePath(QStringLiteral("PRICE.vdb")); }

    void exec(const QString& sql, const QVariantList& params = {})
    {
        db::Statement st = priceDb.prepare(sql);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
        st.execute();
    }

    qint64 count(const QString& sql, const QVariantList& params = {})
    {
        return priceDb.scalar(sql, params).toLongLong();
    }

    // Rows of a query, each as its columns joined by "|".
    QStringList rows(const QString& sql, const QVariantList& params = {})
    {
        db::Statement st = priceDb.prepare(sql);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
        QStringList out;
        while (st.step()) {
            QStringList row;
            for (int c = 0; c < st.columnCount(); ++c)
                row << st.value(c).toString();
            out << row.join(u'|');
        }
        return out;
    }

    void putGroup(qint64 code, qint64 parent, qint64 pos, const QString& name, int hasChildren = 0)
    {
        exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
                            " VALUES (?1, ?2, ?3, ?4, 5, ?5, 0, '')"),
             {code, parent, pos, hasChildren, name});
    }

    void putGood(qint64 code, qint64 group, const QString& name, const QString& art = QString(), double price = 100)
    {
        exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, 0, ?5, 45000, '')"),
             {code, art, QString::number(group), name, price});
    }

    // The export parameters' four output price columns "Цена 1" ... "Цена 4"
    // with these markups (Nacen_out).
    void putOutputPriceColumns(const std::array<int, 4>& markups)
    {
        for (int id = 1; id <= 4; ++id)
            exec(QStringLiteral("UPDATE parametr SET Name_out = ?1, Nacen_out = ?2 WHERE Id = ?3"),
                 {QStringLiteral("Цена %1").arg(id), markups[size_t(id - 1)], id});
    }

    // "code:parent:pos" of every group in code order.
    QStringList groups() { return rows(QStringLiteral("SELECT Code || ':' || Parent || ':' || Pos FROM Tovar_tree ORDER BY Code")); }

    // The group codes under a parent in Pos order.
    QStringList childrenOf(qint64 parent)
    {
        return rows(QStringLiteral("SELECT Code FROM Tovar_tree WHERE Parent = ?1 ORDER BY Pos"), {parent});
    }

    // The reference tree: A=1 with A1=2 (A1a=4 under it) and A2=3; B=5 with B1=6.
    void addReferenceTree()
    {
        putGroup(1, 0, 1, QStringLiteral("A"), 1);
        putGroup(2, 1, 1, QStringLiteral("A1"), 1);
        putGroup(3, 1, 2, QStringLiteral("A2"));
        putGroup(4, 2, 1, QStringLiteral("A1a"));
        putGroup(5, 0, 2, QStringLiteral("B"), 1);
        putGroup(6, 5, 1, QStringLiteral("B1"));
    }

    QTemporaryDir dir;
    db::Connection priceDb;
};

} // namespace velmora::testing
