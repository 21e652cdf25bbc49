#include "reprice.h"

#include <QHash>

#include <vector>

namespace velmora {
namespace {

struct PendingUpdate {
    qint64 number;
    StoredPrices prices;
};

} // namespace

RepriceResult RepriceForeignGoods(db::Connection& priceDb, const CurrencyTable& table,
                                  const PriceRounding& rounding)
{
    RepriceResult result;
    db::Transaction transaction(priceDb);

    // Computed first and written afterwards, so the scan never reads rows
    // that this run has already changed.
    std::vector<PendingUpdate> updates;
    {
        db::Statement select = priceDb.prepare(QStringLiteral(
            "SELECT p.Number, v.Valuta, v.Price, v.Pricemax, v.PriceConversion, v.Nacen,"
            " p.Price, p.Pricemax, p.PriceOut"
            " FROM AllTovarValuta AS v JOIN AllTovarPostav AS p ON p.Number = v.ID_Tovar"
            " WHERE p.Price > 0"));
        // Codes repeat on almost every row: resolve each distinct text once.
        QHash<QString, int> indexOfCode;
        while (select.step()) {
            ++result.offersExamined;
            const QString code = select.text(1);
            auto known = indexOfCode.constFind(code);
            if (known == indexOfCode.cend())
                known = indexOfCode.insert(code, CurrencyIndexOfCode(code));
            if (*known < 0)
                continue;
            QuotedOffer offer;
            offer.price = select.number(2);
            offer.priceMax = select.number(3);
            offer.conversion = select.number(4);
            offer.markup = select.number(5);
            const StoredPrices prices = ComputeStoredPrices(offer, table.factor(*known), rounding);
            const StoredPrices current{select.number(6), select.number(7), select.number(8)};
            if (prices != current)
                updates.push_back({select.integer(0), prices});
        }
    }

    db::Statement update = priceDb.prepare(QStringLiteral(
        "UPDATE AllTovarPostav SET Price = ?1, Pricemax = ?2, PriceOut = ?3 WHERE Number = ?4"));
    for (const PendingUpdate& row : updates) {
        update.bindDouble(1, row.prices.price);
        update.bindDouble(2, row.prices.priceMax);
        update.bindDouble(3, row.prices.priceOut);
        update.bindInt(4, row.number);
        update.execute();
        update.reset();
    }
    transaction.commit();
    result.offersChanged = qint64(updates.size());
    return result;
}

} // namespace velmora
