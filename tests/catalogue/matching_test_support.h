#pragma once

#include "../common/program_databases.h"
#include "catalogue/matching/criteria_match.h"

namespace velmora::testing {

// A price database with the matching tables, and short ways to fill them.
class MatchingTest : public ProgramDatabasesTest {
protected:
    // A remainder item; returns its Number.
    qint64 addItem(const QVariant& tovar, const QString& postavshik = QStringLiteral("ООО Альфа"),
                   const QString& checkSootv = QStringLiteral("false"), const QString& checkObrab = QStringLiteral("true"))
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, "
            "Sklad) VALUES ('A-' || (SELECT count(*) + 1 FROM price_all), ?1, 10, 12, ?2, ?3, ?4, 45000, '12', "
            "'есть')"));
        insert.bind(1, tovar).bindText(2, postavshik).bindText(3, checkSootv).bindText(4, checkObrab);
        insert.execute();
        return priceDb.lastInsertRowId();
    }
    void addCriteria(qint64 good, const catalogue::CriteriaWords& words)
    {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO krit (Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
        insert.bindInt(1, good);
        for (int i = 0; i < 5; ++i)
            insert.bindText(i + 2, words.at(size_t(i)));
        insert.execute();
    }
    void addExclusionWord(qint64 good, const QString& word)
    {
        db::Statement insert =
            priceDb.prepare(QStringLiteral("INSERT INTO kritiskl (Code_KritIskl, KritIskl) VALUES (?1, ?2)"));
        insert.bindInt(1, good).bindText(2, word);
        insert.execute();
    }
    QStringList rows(const char* sql) const { return queryRows(priceDb, QString::fromUtf8(sql)); }
};

} // namespace velmora::testing
