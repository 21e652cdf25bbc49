#pragma once

#include "../common/program_databases.h"

#include "platform/db/day_numbers.h"

namespace velmora::history::test {

// Three loads of supplier "O'Neil": on 1, 2 and 3 March 2025 at 10:15:30.25
// (a time that a day number holds only approximately), the first with two
// offers, the others with three; and one load of another supplier.
class ThreeLoadsTest : public testing::ProgramDatabasesTest {
protected:
    static inline const QString kSupplier = QStringLiteral("O'Neil");

    void SetUp() override
    {
        ProgramDatabasesTest::SetUp();
        for (int day = 1; day <= 3; ++day)
            loads[day - 1] = db::dayNumberTime(QDateTime(QDate(2025, 3, day), QTime(10, 15, 30, 250)));
        add(kSupplier, QStringLiteral("Z-1"), QStringLiteral("Яблоко"), loads[0]);
        add(kSupplier, QStringLiteral("A-1"), QStringLiteral("Арбуз"), loads[0]);
        for (int i = 1; i <= 2; ++i) {
            add(kSupplier, QStringLiteral("Z-1"), QStringLiteral("Яблоко"), loads[i]);
            add(kSupplier, QStringLiteral("A-1"), QStringLiteral("Арбуз"), loads[i]);
            add(kSupplier, QStringLiteral("O'1"), QStringLiteral("Груша O'Neil 50%_скидка"), loads[i]);
        }
        add(QStringLiteral("Другой"), QStringLiteral("Z-1"), QStringLiteral("Яблоко"), loads[2]);
    }

    void add(const QString& supplier, const QString& art, const QString& tovar, double dates)
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates)"
            " VALUES (?1, ?2, ?3, 1, 1, ?4, ?5)"));
        insert.bind(1, supplier).bind(2, art).bind(3, tovar).bind(4, dates - 45000).bind(5, dates);
        insert.execute();
    }

    qint64 stored(const QString& supplier) const
    {
        return priceDb.scalar(QStringLiteral("SELECT count(*) FROM AllPriceHistory WHERE Postavshik = ?1"), {supplier})
            .toLongLong();
    }

    double loads[3] = {};
};

} // namespace velmora::history::test
