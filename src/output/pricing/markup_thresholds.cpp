#include "markup_thresholds.h"

#include <QStringList>

#include <utility>

namespace velmora::output {
namespace {

QString columnList()
{
    QStringList columns;
    for (int k = 1; k <= kThresholdCount; ++k)
        columns << QStringLiteral("Price%1").arg(k);
    for (int k = 1; k <= kThresholdCount; ++k)
        columns << QStringLiteral("Nacen%1").arg(k);
    return columns.join(QStringLiteral(", "));
}

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

MarkupThresholds sortThresholds(MarkupThresholds t)
{
    for (int pass = 0; pass < kThresholdCount - 1; ++pass)
        for (int k = 0; k + 1 < kThresholdCount; ++k)
            if (t.price[size_t(k + 1)] < t.price[size_t(k)]) {
                std::swap(t.price[size_t(k)], t.price[size_t(k + 1)]);
                std::swap(t.markup[size_t(k)], t.markup[size_t(k + 1)]);
            }
    return t;
}

std::optional<MarkupThresholds> readThresholds(db::Connection& priceDb, qint64 group)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT %1 FROM MinPrice_Nacen WHERE Kategor = ?1 LIMIT 1").arg(columnList()));
    select.bindInt(1, group);
    if (!select.step())
        return std::nullopt;
    MarkupThresholds t;
    for (int k = 0; k < kThresholdCount; ++k) {
        t.price[size_t(k)] = int(select.integer(k));
        t.markup[size_t(k)] = int(select.integer(kThresholdCount + k));
    }
    return t;
}

MarkupThresholds prepareThresholds(db::Connection& priceDb, qint64 group)
{
    if (std::optional<MarkupThresholds> own = readThresholds(priceDb, group))
        return *own;
    db::Statement copy = priceDb.prepare(
        QStringLiteral("INSERT INTO MinPrice_Nacen (Kategor, %1) SELECT ?1, %1 FROM MinPrice_Nacen "
                       "WHERE Kategor = 0 LIMIT 1")
            .arg(columnList()));
    copy.bindInt(1, group);
    copy.execute();
    return readThresholds(priceDb, group).value_or(MarkupThresholds{});
}

void storeThresholds(db::Connection& priceDb, const std::vector<qint64>& groups, const MarkupThresholds& thresholds)
{
    const MarkupThresholds t = sortThresholds(thresholds);
    QStringList assignments;
    QStringList placeholders;
    for (int k = 1; k <= kThresholdCount; ++k) {
        assignments << QStringLiteral("Price%1 = ?%2").arg(k).arg(k + 1);
        placeholders << QStringLiteral("?%1").arg(k + 1);
    }
    for (int k = 1; k <= kThresholdCount; ++k) {
        assignments << QStringLiteral("Nacen%1 = ?%2").arg(k).arg(kThresholdCount + k + 1);
        placeholders << QStringLiteral("?%1").arg(kThresholdCount + k + 1);
    }
    db::Transaction transaction(priceDb);
    db::Statement update = priceDb.prepare(
        QStringLiteral("UPDATE MinPrice_Nacen SET %1 WHERE Kategor = ?1").arg(assignments.join(QStringLiteral(", "))));
    db::Statement insert = priceDb.prepare(QStringLiteral("INSERT INTO MinPrice_Nacen (Kategor, %1) VALUES (?1, %2)")
                                               .arg(columnList(), placeholders.join(QStringLiteral(", "))));
    for (qint64 group : groups) {
        for (db::Statement* statement : {&update, &insert}) {
            statement->bindInt(1, group);
            for (int k = 0; k < kThresholdCount; ++k) {
                statement->bindInt(k + 2, t.price[size_t(k)]);
                statement->bindInt(kThresholdCount + k + 2, t.markup[size_t(k)]);
            }
        }
        update.execute();
        update.reset();
        if (priceDb.changes() == 0) {
            insert.execute();
            insert.reset();
        }
    }
    transaction.commit();
}

void applyThresholds(db::Connection& priceDb, const QString& goods, const QString& rowOfGood)
{
    priceDb.exec(QStringLiteral("UPDATE price_main SET Price_1 = %1 FROM MinPrice_Nacen AS t "
                                "WHERE t.Kategor = (%2) AND COALESCE(price_main.SuperPrice, 0) = 0 "
                                "AND price_main.PriceBase > 0 AND (%3)")
                     .arg(bandedPrice(), rowOfGood, goods));
}

} // namespace velmora::output
