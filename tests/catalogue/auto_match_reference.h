#pragma once

// The automatic matching as plain statements, one cross join of every item
// taking part with every criteria row through the program's like(): the
// reference the fast run must agree with, row for row.

#include "platform/db/connection.h"

namespace velmora::testing {

inline void runReferenceMatching(db::Connection& priceDb)
{
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM Sootv_temp; DELETE FROM Sootv_All"));
    priceDb.exec(QStringLiteral(
        "INSERT INTO Sootv_temp (Number, Tovar, Code, KritNum) "
        "SELECT Number, Tovar, krit.Code_krit, '5' FROM price_all, krit WHERE Check_obrab = 'true' "
        "AND Tovar LIKE ('%' || krit.Krit_1 || '%') AND Tovar LIKE ('%' || krit.Krit_2 || '%') "
        "AND Tovar LIKE ('%' || krit.Krit_3 || '%') AND Tovar LIKE ('%' || krit.Krit_4 || '%') "
        "AND Tovar LIKE ('%' || krit.Krit_5 || '%')"));
    priceDb.exec(QStringLiteral(
        "DELETE FROM Sootv_temp WHERE EXISTS (SELECT 1 FROM kritiskl WHERE kritiskl.Code_KritIskl = Sootv_temp.Code "
        "AND Sootv_temp.Tovar LIKE ('%' || kritiskl.KritIskl || '%'))"));
    priceDb.exec(QStringLiteral(
        "INSERT INTO Sootv_All (Code, Art, Tovar, Postavshik, Check_sootv, Price, Pricemax, Tovar_main, Number_ost, "
        "Dates, Garant, Sklad) SELECT DISTINCT Sootv_temp.Code, price_all.Art, price_all.Tovar, price_all.Postavshik, "
        "'true', price_all.Price, price_all.Pricemax, price_main.Tovar, price_all.Number, price_all.Dates, "
        "price_all.Garant, price_all.Sklad FROM price_all, Sootv_temp, price_main "
        "WHERE price_all.Number = Sootv_temp.Number AND Sootv_temp.Code = price_main.Code"));
    transaction.commit();
}

// The two tables as sorted rows, for comparing two runs.
inline QStringList matchingTableRows(const db::Connection& priceDb, const QString& table)
{
    const QString columns = table == QLatin1String("Sootv_temp")
        ? QStringLiteral("Number, Tovar, Code, KritNum")
        : QStringLiteral("Code, Art, Tovar, Postavshik, Check_sootv, Price, Pricemax, Tovar_main, Number_ost, Dates, "
                         "Garant, Sklad");
    QStringList rows;
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT %1 FROM %2").arg(columns, table));
    while (select.step()) {
        QStringList values;
        for (int c = 0; c < select.columnCount(); ++c)
            values << select.text(c);
        rows << values.join(u'|');
    }
    rows.sort();
    return rows;
}

} // namespace velmora::testing
