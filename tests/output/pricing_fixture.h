#pragma once

// A small catalogue to price and export: groups, goods, suppliers and their
// offers, written straight into a new price database.
#include "../common/program_databases.h"

#include "platform/db/day_numbers.h"

#include <QDate>

namespace velmora::testing {

inline const QDate kToday(2024, 3, 5);
inline qint64 today() { return db::dayNumber(kToday); }

class PricingTest : public ProgramDatabasesTest {
protected:
    void exec(const QString& sql, const QVariantList& values = {})
    {
        db::Statement statement = priceDb.prepare(sql);
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values.at(i));
        statement.execute();
    }
    void addGroup(qint64 code, qint64 parent, int pos, const QString& name)
    {
        exec(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) "
                            "VALUES (?1, ?2, ?3, 0, 5, ?4, 0, '')"),
             {code, parent, pos, name});
    }
    void addGood(qint64 code, qint64 group, const QString& name, double price1 = 0, int nacen = 0,
                 bool superPrice = false, const QString& art = QString())
    {
        exec(QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, "
                            "Garant, Sale, SuperPrice) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?5, 1, '1 год', 0, ?7)"),
             {code, art.isNull() ? QStringLiteral("A%1").arg(code) : art, QString::number(group), name, price1, nacen,
              superPrice ? 1 : 0});
    }
    void addSupplier(const QString& name, bool used = true, qint64 dates = today(), bool usedByDefault = true)
    {
        exec(QStringLiteral("INSERT INTO postavshik (Postavshik, Obrab, Dates, Obrab_Def) VALUES (?1, ?2, ?3, ?4)"),
             {name, flag(used), dates, flag(usedByDefault)});
    }
    void addOffer(qint64 good, const QString& supplier, double price, qint64 dates = today(),
                  const QVariant& sklad = QVariant())
    {
        exec(QStringLiteral("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, "
                            "Garant, Sklad) VALUES ('S', 'Предложение', ?1, ?1, ?2, ?3, 'True', ?4, '', ?5)"),
             {price, supplier, good, dates, sklad});
    }
    // "PriceBase|Price_1|Dates" of a good.
    QString prices(qint64 good)
    {
        db::Statement select =
            priceDb.prepare(QStringLiteral("SELECT PriceBase, Price_1, Dates FROM price_main WHERE Code = ?1"));
        select.bindInt(1, good);
        if (!select.step())
            return QStringLiteral("<none>");
        return QStringLiteral("%1|%2|%3").arg(select.number(0)).arg(select.number(1)).arg(select.integer(2));
    }
    static QString flag(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }
};

} // namespace velmora::testing
