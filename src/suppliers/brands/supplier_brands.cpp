#include "suppliers/brands/supplier_brands.h"

#include "platform/db/text_functions.h"

namespace velmora::brands {
namespace {

int compareWithoutCase(const QString& a, const QString& b)
{
    return db::foldCase(a).compare(db::foldCase(b));
}

} // namespace

int CollectMakerTexts(db::Connection& priceDb)
{
    db::Statement collect = priceDb.prepare(QStringLiteral(
        "INSERT INTO BrandNamePostav (Postavshik, BrandNamePostav, BrandNameEtalon)"
        " SELECT g.Postavshik, g.TextNoName, NULL FROM AllTovarPostav g"
        " WHERE g.TextNoName IS NOT NULL AND g.TextNoName <> ''"
        " AND NOT EXISTS (SELECT 1 FROM BrandNamePostav b WHERE b.BrandNamePostav = g.TextNoName)"
        " GROUP BY g.Postavshik, g.TextNoName"));
    collect.execute();
    return priceDb.changes();
}

QVector<MakerText> ReadMakerTexts(db::Connection& priceDb, const QString& supplier, bool onlyWithoutEtalon)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT BrandNamePostav, BrandNameEtalon FROM BrandNamePostav WHERE Postavshik = ?1") +
        (onlyWithoutEtalon ? QStringLiteral(" AND BrandNameEtalon IS NULL") : QString()) +
        QStringLiteral(" ORDER BY BrandNamePostav"));
    select.bindText(1, supplier);
    QVector<MakerText> rows;
    while (select.step())
        rows.append(MakerText{select.text(0), select.text(1), !select.isNull(1)});
    return rows;
}

QStringList ReadStandardBrandNames(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT BrandNameEtalon FROM BrandNamePostav WHERE BrandNameEtalon IS NOT NULL"
        " GROUP BY BrandNameEtalon ORDER BY BrandNameEtalon"));
    QStringList names;
    while (select.step())
        names << select.text(0);
    return names;
}

int ProposedStandardName(const MakerText& row, const QStringList& standardNames)
{
    if (standardNames.isEmpty())
        return -1;
    if (row.hasEtalon) {
        const qsizetype own = standardNames.indexOf(row.etalon);
        if (own >= 0)
            return int(own);
    }
    int before = -1;
    for (qsizetype i = 0; i < standardNames.size(); ++i) {
        const int order = compareWithoutCase(standardNames[i], row.maker);
        if (order == 0)
            return int(i);
        if (order < 0)
            before = int(i);
    }
    return before >= 0 && before < standardNames.size() - 1 ? before : 0;
}

bool SaveStandardName(db::Connection& priceDb, const QString& supplier, const QString& maker, const QString& etalon)
{
    db::Statement update = priceDb.prepare(QStringLiteral(
        "UPDATE BrandNamePostav SET BrandNameEtalon = ?1 WHERE Postavshik = ?2 AND BrandNamePostav = ?3"));
    update.bindText(1, etalon);
    update.bindText(2, supplier);
    update.bindText(3, maker);
    update.execute();
    return priceDb.changes() > 0;
}

} // namespace velmora::brands
