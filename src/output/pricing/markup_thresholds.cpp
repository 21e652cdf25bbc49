#include "markup_thresholds.h"

#include "catalogue/group_settings/markup_thresholds.h"

namespace velmora::output {
namespace {

using catalogue::kThresholdCount;

// Price_1 of a good in each band of the thresholds row t, in the order in
// which one statement per band would leave it (the band below threshold 1
// last, so it stands); a good in no band keeps its price.
QString bandedPrice()
{
    const auto p = [](int k) { return QStringLiteral("t.Price%1").arg(k); };
    const auto n = [](int k) { return QStringLiteral("t.Nacen%1").arg(k); };
    QString sql = QStringLiteral("CASE WHEN PriceBase < %1 THEN PriceBase * (1 + %2 / 100.0)").arg(p(1), n(1));
    for (int k = 1; k < kThresholdCount; ++k) {
        const QString markup = QStringLiteral("(%1 + (%2 - %1) * 1.0 / (%3 - %4) * (PriceBase - %4))")
                                   .arg(n(k), n(k + 1), p(k + 1), p(k));
        sql += QStringLiteral(" WHEN PriceBase >= %1 AND PriceBase < %2 THEN PriceBase * (1 + %3 / 100.0)")
                   .arg(p(k), p(k + 1), markup);
    }
    sql += QStringLiteral(" WHEN PriceBase >= %1 THEN PriceBase * (1 + %2 / 100.0) ELSE Price_1 END")
               .arg(p(kThresholdCount), n(kThresholdCount));
    return sql;
}

} // namespace

void applyThresholds(db::Connection& priceDb, const QString& goods, const QString& rowOfGood)
{
    priceDb.exec(QStringLiteral("UPDATE price_main SET Price_1 = %1 FROM MinPrice_Nacen AS t "
                                "WHERE t.Kategor = (%2) AND COALESCE(price_main.SuperPrice, 0) = 0 "
                                "AND price_main.PriceBase > 0 AND (%3)")
                     .arg(bandedPrice(), rowOfGood, goods));
}

} // namespace velmora::output
