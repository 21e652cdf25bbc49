#pragma once

#include "platform/db/connection.h"
#include "platform/db/statement.h"
#include "storage/schema.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

namespace velmora::testing {

// A fresh price and order database in a temporary folder, with small
// helpers to put the rows of one supplier in place.
struct SupplierDatabases {
    QTemporaryDir dir;
    db::Connection priceDb;
    db::Connection orderDb;

    SupplierDatabases()
    {
        createPriceDatabase(dir.filePath(QStringLiteral("PRICE.vdb")));
        createOrderDatabase(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
        priceDb.open(dir.filePath(QStringLiteral("PRICE.vdb")));
        orderDb.open(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
    }

    void exec(db::Connection& db, const QString& sql, const QVariantList& params = {})
    {
        db::Statement st = db.prepare(sql);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
        st.execute();
    }

    qint64 count(db::Connection& db, const QString& sql, const QVariantList& params = {})
    {
        return db.scalar(sql, params).toLongLong();
    }

    void addList(qint64 id, const QString& name)
    {
        exec(priceDb,
             QStringLiteral("INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, "
                            "PriceConversion, Valuta) VALUES (?1, ?2, '/p/x.xlsx', 1, '', 1, 46000, 1, 0)"),
             {id, name});
    }

    void addSheet(const QString& name, const QString& sheet, qint64 artSpec = 0)
    {
        exec(priceDb,
             QStringLiteral("INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price, "
                            "Column_Pricemax, Column_Sklad, Column_Garant, Column_Description, Column_TextNoName, Obrab, "
                            "Nacen, Valuta, PriceSet, TovarPrefiks) VALUES (?1, ?2, ?3, 2, 3, 0, 0, 0, 0, 0, '', 7, 1, 0, 'p')"),
             {name, sheet, artSpec});
    }

    // One offer with its quoted-price row.
    void addGoods(const QString& name, const QString& art)
    {
        exec(priceDb,
             QStringLiteral("INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, "
                            "Dates, Garant, Sklad, Description, TextNoName, PriceOut) "
                            "VALUES (?1, 'товар', 10, 0, ?2, 'True', 'True', 46001, '', '', '', '', 10)"),
             {art, name});
        exec(priceDb,
             QStringLiteral("INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen) "
                            "VALUES (?1, 10, 0, 'RUB', 1, 0)"),
             {priceDb.lastInsertRowId()});
    }

    void addHistory(const QString& name)
    {
        exec(priceDb, QStringLiteral("INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut) "
                                     "VALUES (?1, 'a', 't', 1, 1, 1)"),
             {name});
    }

    void addCard(const QString& name, const QString& fullName)
    {
        exec(priceDb, QStringLiteral("INSERT INTO postav_info (Postavshik, Name_full, Address, Person, Phones, Mail) "
                                     "VALUES (?1, ?2, 'site.ru', 'Иван', '123', 'a@b.ru')"),
             {name, fullName});
    }

    void addBrand(const QString& name)
    {
        exec(priceDb, QStringLiteral("INSERT INTO BrandNamePostav (Postavshik, BrandNamePostav, BrandNameEtalon) "
                                     "VALUES (?1, 'lg', 'LG')"),
             {name});
    }

    // A supplier with one row in every table its name keys.
    void addFullSupplier(qint64 id, const QString& name)
    {
        addList(id, name);
        addSheet(name, QStringLiteral("Лист1"));
        addGoods(name, name + QStringLiteral("-1"));
        addGoods(name, name + QStringLiteral("-2"));
        addHistory(name);
        addCard(name, name + QStringLiteral(" ООО"));
        addBrand(name);
    }

    qint64 rowsOf(const QString& table, const QString& name)
    {
        return count(priceDb, QStringLiteral("SELECT count(*) FROM %1 WHERE Postavshik = ?1 COLLATE BINARY").arg(table),
                     {name});
    }

    // Quoted-price rows whose offer belongs to the supplier.
    qint64 valutaRowsOf(const QString& name)
    {
        return count(priceDb, QStringLiteral("SELECT count(*) FROM AllTovarValuta v JOIN AllTovarPostav t "
                                             "ON t.Number = v.ID_Tovar WHERE t.Postavshik = ?1 COLLATE BINARY"),
                     {name});
    }

    qint64 allValutaRows() { return count(priceDb, QStringLiteral("SELECT count(*) FROM AllTovarValuta")); }

    QStringList namesInIdOrder()
    {
        QStringList names;
        db::Statement st = priceDb.prepare(QStringLiteral("SELECT Id, Postavshik FROM AllPostavSetup ORDER BY Id"));
        while (st.step())
            names << QStringLiteral("%1=%2").arg(st.integer(0)).arg(st.text(1));
        return names;
    }
};

} // namespace velmora::testing
