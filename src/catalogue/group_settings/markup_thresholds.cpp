#include "markup_thresholds.h"

#include <algorithm>

namespace velmora::catalogue {

const QString kOwnThresholdsText = QStringLiteral("Индивидуальные пороги дополнительной наценки");
const QString kGeneralThresholdsText = QStringLiteral("Для данной группы используются общие пороги");
const QString kUseThresholdsQuestion =
    QStringLiteral(" Учитывать пороги дополнительной наценки\r            при расчете минимальной цены?");

namespace {

const QString kColumns = QStringLiteral(
    "ifnull(Price1, 0), ifnull(Nacen1, 0), ifnull(Price2, 0), ifnull(Nacen2, 0), ifnull(Price3, 0),"
    " ifnull(Nacen3, 0), ifnull(Price4, 0), ifnull(Nacen4, 0), ifnull(Price5, 0), ifnull(Nacen5, 0)");

} // namespace

MarkupThresholds sortedThresholds(MarkupThresholds thresholds)
{
    std::stable_sort(thresholds.begin(), thresholds.end(),
                     [](const ThresholdPair& a, const ThresholdPair& b) { return a.price < b.price; });
    return thresholds;
}

namespace {

// The pairs of a row whose first kColumns value stands at `first`.
MarkupThresholds thresholdsOf(const db::Statement& s, int first)
{
    MarkupThresholds thresholds{};
    for (int i = 0; i < kThresholdCount; ++i)
        thresholds[size_t(i)] = ThresholdPair{s.integer(first + 2 * i), s.integer(first + 2 * i + 1)};
    return thresholds;
}

} // namespace

bool readThresholdRow(db::Connection& priceDb, qint64 group, MarkupThresholds& thresholds)
{
    db::Statement s = priceDb.prepare(QStringLiteral("SELECT %1 FROM MinPrice_Nacen WHERE Kategor = ?1").arg(kColumns));
    s.bindInt(1, group);
    if (!s.step())
        return false;
    thresholds = thresholdsOf(s, 0);
    return true;
}

QHash<qint64, MarkupThresholds> readAllThresholdRows(db::Connection& priceDb)
{
    QHash<qint64, MarkupThresholds> rows;
    // The first row of a group wins, as the lookup of one group finds it.
    db::Statement s =
        priceDb.prepare(QStringLiteral("SELECT ifnull(Kategor, 0), %1 FROM MinPrice_Nacen ORDER BY rowid").arg(kColumns));
    while (s.step())
        if (!rows.contains(s.integer(0)))
            rows.insert(s.integer(0), thresholdsOf(s, 1));
    return rows;
}

GroupThresholds readGroupThresholds(db::Connection& priceDb, qint64 group)
{
    GroupThresholds result;
    result.own = group != kGeneralThresholdsGroup && readThresholdRow(priceDb, group, result.thresholds);
    if (!result.own && !readThresholdRow(priceDb, kGeneralThresholdsGroup, result.thresholds))
        result.thresholds = MarkupThresholds{};
    return result;
}

MarkupThresholds prepareThresholds(db::Connection& priceDb, qint64 group)
{
    MarkupThresholds thresholds{};
    if (readThresholdRow(priceDb, group, thresholds))
        return thresholds;
    db::Statement copy = priceDb.prepare(QStringLiteral(
        "INSERT INTO MinPrice_Nacen (Kategor, Price1, Nacen1, Price2, Nacen2, Price3, Nacen3, Price4, Nacen4,"
        " Price5, Nacen5) SELECT ?1, Price1, Nacen1, Price2, Nacen2, Price3, Nacen3, Price4, Nacen4, Price5, Nacen5"
        " FROM MinPrice_Nacen WHERE Kategor = ?2 ORDER BY rowid LIMIT 1"));
    copy.bindInt(1, group).bindInt(2, kGeneralThresholdsGroup);
    copy.execute();
    if (!readThresholdRow(priceDb, group, thresholds))
        thresholds = MarkupThresholds{};
    return thresholds;
}

void storeThresholds(db::Connection& priceDb, const std::vector<qint64>& groups, const MarkupThresholds& thresholds)
{
    const MarkupThresholds sorted = sortedThresholds(thresholds);
    db::Savepoint sp(priceDb, QStringLiteral("store_thresholds"));
    db::Statement update = priceDb.prepare(QStringLiteral(
        "UPDATE MinPrice_Nacen SET Price1 = ?2, Nacen1 = ?3, Price2 = ?4, Nacen2 = ?5, Price3 = ?6, Nacen3 = ?7,"
        " Price4 = ?8, Nacen4 = ?9, Price5 = ?10, Nacen5 = ?11 WHERE Kategor = ?1"));
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO MinPrice_Nacen (Kategor, Price1, Nacen1, Price2, Nacen2, Price3, Nacen3, Price4, Nacen4,"
        " Price5, Nacen5) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"));
    auto bindAll = [&](db::Statement& s, qint64 group) {
        s.bindInt(1, group);
        for (int i = 0; i < kThresholdCount; ++i)
            s.bindInt(2 + 2 * i, sorted[size_t(i)].price).bindInt(3 + 2 * i, sorted[size_t(i)].markup);
    };
    for (qint64 group : groups) {
        bindAll(update, group);
        update.execute();
        update.reset();
        if (priceDb.changes() == 0) {
            bindAll(insert, group);
            insert.execute();
            insert.reset();
        }
    }
    sp.release();
}

std::vector<std::pair<double, double>> thresholdChartPoints(const MarkupThresholds& t)
{
    std::vector<std::pair<double, double>> points;
    points.emplace_back(0.0, double(t[0].markup));
    for (const ThresholdPair& pair : t)
        points.emplace_back(double(pair.price), double(pair.markup));
    points.emplace_back(double(t[kThresholdCount - 1].price) + 50, double(t[kThresholdCount - 1].markup));
    return points;
}

} // namespace velmora::catalogue
