#include "combined_price.h"

#include "catalogue/goods_list.h"
#include "storage/price_text.h"
#include "storage/value_helpers.h"

#include <cmath>

namespace velmora::catalogue {

QList<CombinedPriceRow> readCombinedPriceRows(db::Connection& priceDb, qint64 goodCode)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT rowid, Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad FROM svod "
        "WHERE Code_sootv = ?1 ORDER BY Price, rowid"));
    select.bindInt(1, goodCode);
    QList<CombinedPriceRow> rows;
    while (select.step())
        rows.append({select.integer(0), select.text(1), select.text(2), select.number(3), select.number(4),
                     select.text(5), select.integer(6), select.text(7), select.integer(8), select.text(9),
                     select.text(10)});
    return rows;
}

CellColours combinedPriceCellColours(const QString& obrab, double price, const QString& postavshik,
                                     bool priceColumn, double priceBase, const QString& saleSupplier)
{
    CellColours colours;
    if (obrab == QLatin1String("True")) {
        colours.background = kSkyBlue;
        colours.font = kBlack;
        if (priceColumn && price > 0 && std::abs(price - priceBase) < 0.001)
            colours.background = kFuchsia;
    } else if (priceColumn && priceBase > price) {
        colours.background = kRed;
    }
    if (postavshik == saleSupplier) {
        colours.background = kLightYellow;
        colours.font = kBlack;
    }
    return colours;
}

QStringList outputPriceColumnNames(db::Connection& priceDb)
{
    QStringList names;
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT Name_out FROM parametr WHERE Id = ?1"));
    for (int id = 1; id <= 4; ++id) {
        select.bindInt(1, id);
        names << (select.step() ? select.text(0) : QString());
        select.reset();
    }
    return names;
}

QList<DiagramBar> combinedPriceDiagram(db::Connection& priceDb, const DiagramRequest& request)
{
    QList<DiagramBar> bars;
    Good good;
    if (readGood(priceDb, request.goodCode, good)) {
        if (good.priceBase <= 0) {
            bars.append({request.ownName, 0});
        } else {
            const ParsedPrice selling = ParsePriceText(goodPriceTexts(good, request.pricing).Price_nacen);
            db::Statement markup = priceDb.prepare(QStringLiteral("SELECT Nacen_out FROM parametr WHERE Id = ?1"));
            markup.bindInt(1, request.priceColumn + 1);
            // Without a price to show, or without the column, there is no own bar.
            if (selling.hasNumber && markup.step() && !markup.isNull(0))
                bars.append({request.ownName,
                             RoundValue(request.roundDigits, selling.value * (1 + markup.number(0) / 100.0))});
        }
    }
    for (const CombinedPriceRow& row : readCombinedPriceRows(priceDb, request.goodCode))
        bars.append({row.postavshik, request.minimum ? row.price : row.pricemax});
    return bars;
}

} // namespace velmora::catalogue
