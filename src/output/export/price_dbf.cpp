#include "price_dbf.h"

#include "output/dbase/tdbf.h"

namespace velmora::output {

PriceDbfResult WritePriceDbf(db::Connection& priceDb, const QString& path, const QDate& today, Progress* progress)
{
    constexpr int kNameWidth = 200;
    constexpr int kGroupWidth = 50;
    constexpr int kLevels = 10;

    TDBF dbf([today] { return today; });
    dbf.SetTableName(path);
    // Another program holding the file must not see it replaced under it.
    dbf.SetExclusive(true);
    dbf.AddFieldDefs(QStringLiteral("ART"), DbfFieldKind::Character, 0, kPriceDbfArticleWidth);
    dbf.AddFieldDefs(QStringLiteral("NAME"), DbfFieldKind::Character, 0, kNameWidth);
    for (int level = 1; level <= kLevels; ++level)
        dbf.AddFieldDefs(QStringLiteral("GROUP%1").arg(level), DbfFieldKind::Character, 0, kGroupWidth);
    dbf.CreateTable();
    dbf.SetCodePage(0);

    PriceDbfResult result;
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Art, Tovar, NameKat0, NameKat1, NameKat2, NameKat3, NameKat4, NameKat5, NameKat6, NameKat7, "
        "NameKat8, NameKat9 FROM Price_Out ORDER BY ID"));
    while (select.step()) {
        dbf.Append();
        QString art = select.text(0);
        while (art.endsWith(u' '))
            art.chop(1);
        if (art.size() > kPriceDbfArticleWidth)
            ++result.cutArticles;
        dbf.SetFieldData(1, art.left(kPriceDbfArticleWidth));
        dbf.SetFieldData(2, select.text(1).left(kNameWidth));
        for (int level = 0; level < kLevels; ++level)
            dbf.SetFieldData(3 + level, select.text(2 + level).left(kGroupWidth));
        ++result.records;
        stepProgress(progress);
    }
    dbf.Close();
    return result;
}

} // namespace velmora::output
