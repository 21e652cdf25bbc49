#include "recalc_min_prices.h"

#include "markup_thresholds.h"
#include "min_price_suppliers.h"

#include "catalogue/group_tree_walk.h"

#include "platform/db/day_numbers.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

namespace velmora::output {
namespace {

constexpr int kThresholdSteps = 6; // one per band, as the bands were priced one by one

const char* const kNotSuperPriced = "COALESCE(price_main.SuperPrice, 0) = 0";

// A temporary table of the run, dropped when the run is over.
class RunTable {
public:
    RunTable(db::Connection& priceDb, const QString& name, const QString& columns) : priceDb_(priceDb), name_(name)
    {
        priceDb_.exec(QStringLiteral("CREATE TEMP TABLE %1 (%2)").arg(name_, columns));
    }
    ~RunTable()
    {
        try {
            priceDb_.exec(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(name_));
        } catch (...) {
        }
    }
    RunTable(const RunTable&) = delete;
    RunTable& operator=(const RunTable&) = delete;

private:
    db::Connection& priceDb_;
    QString name_;
};

// The groups of a group run, for the statements to name.
class RunGroups : RunTable {
public:
    RunGroups(db::Connection& priceDb, const std::vector<qint64>& groups)
        : RunTable(priceDb, QStringLiteral("recalc_groups"), QStringLiteral("Kategor TEXT PRIMARY KEY"))
    {
        db::Statement insert = priceDb.prepare(QStringLiteral("INSERT OR IGNORE INTO recalc_groups VALUES (?1)"));
        for (qint64 code : groups) {
            insert.bindText(1, QString::number(code));
            insert.execute();
            insert.reset();
        }
    }
};

void run(db::Connection& priceDb, const QString& sql, const QVariantList& values = {})
{
    db::Statement statement = priceDb.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values.at(i));
    statement.execute();
}

// The smallest of the offers above 0 of each good (of the goods of a group
// run only, when given): the price and its row's Dates (SQLite takes a bare
// column from the row that holds the minimum).
QString cheapestOffers(const QString& offers, const QString& groupGoods)
{
    const QString only = groupGoods.isEmpty()
        ? QString()
        : QStringLiteral(" AND Code_sootv IN (SELECT Code FROM price_main WHERE %1)").arg(groupGoods);
    return QStringLiteral("(SELECT Code_sootv, min(Price) AS Price, Dates FROM svod WHERE %1 AND Price > 0%2 "
                          "GROUP BY Code_sootv)")
        .arg(offers, only);
}

} // namespace

QString recalcReportText(const RecalcResult& result)
{
    return QStringLiteral("Пересчет цен: удалено устаревших предложений поставщиков - %1, "
                          "товаров осталось без цены - %2")
        .arg(result.staleOffers)
        .arg(result.goodsLeftWithoutPrice);
}

MinPriceSettings readMinPriceSettings(SettingsStore& orderSettings, int roundDigits, const QString& saleSupplierName)
{
    MinPriceSettings s;
    s.actualDays = int(orderSettings.readInteger(QStringLiteral("actual_price"), QStringLiteral("7")));
    s.thresholds = orderSettings.readBoolean(QStringLiteral("CheckBox_NacenDop"));
    s.perGroup = orderSettings.readBoolean(QStringLiteral("CheckBox_KatMinPrice"));
    s.groupThresholds = orderSettings.readBoolean(QStringLiteral("CheckBox_KatNacen"));
    s.groupSuppliers = orderSettings.readBoolean(QStringLiteral("CheckBox_KatPost"));
    s.stock = catalogue::readStockSwitches(orderSettings);
    s.rounding = orderSettings.readBoolean(QStringLiteral("RoundingYes"));
    s.roundDigits = roundDigits;
    s.saleSupplierName = saleSupplierName;
    return s;
}

RecalcResult RecalcMinPrices(db::Connection& priceDb, const MinPriceSettings& settings, const RecalcRequest& request,
                             Progress* progress)
{
    const bool groupRun = request.group > 0;
    const std::vector<qint64> groups =
        groupRun ? catalogue::groupWithSubgroups(catalogue::loadGroupTree(priceDb), request.group)
                 : std::vector<qint64>{};
    const int g = int(groups.size());
    const qint64 oldestDay = db::dayNumber(request.today) - settings.actualDays;
    const QString sale = settings.saleSupplierName.trimmed();
    RecalcResult result;

    db::Transaction transaction(priceDb);
    if (request.resetSupplierTicks)
        priceDb.exec(QStringLiteral("UPDATE postavshik SET Obrab = Obrab_Def"));
    run(priceDb, QStringLiteral("UPDATE postavshik SET Obrab = 'False' WHERE Dates < ?1"), {oldestDay});
    run(priceDb, QStringLiteral("DELETE FROM svod WHERE Dates < ?1"), {oldestDay});
    result.staleOffers = priceDb.changes();
    const int n = priceDb.scalar(QStringLiteral("SELECT count(*) FROM postavshik WHERE Obrab = 'True'")).toInt();
    result.activeSuppliers = n;
    if (groupRun && request.copyChoiceToSubgroups)
        copySupplierChoiceToSubgroups(priceDb, request.group);

    const bool groupChoice = groupRun || (settings.perGroup && settings.groupSuppliers);
    const bool ownThresholds = groupRun || (settings.perGroup && settings.groupThresholds);
    int steps = 3;
    if (groupRun) {
        steps += g * (n + (settings.thresholds ? kThresholdSteps : 0));
    } else {
        steps += n;
        if (settings.thresholds) {
            steps += kThresholdSteps;
            if (ownThresholds)
                steps += kThresholdSteps
                    * priceDb.scalar(QStringLiteral("SELECT count(*) FROM MinPrice_Nacen WHERE Kategor > 0")).toInt();
        }
    }
    startProgress(progress, groupRun ? kRecalcGroupText : kRecalcAllText, steps);

    // Which offers are usable. A row that already holds the value is left
    // alone, so a run that changes little writes little; that test compares
    // the bytes (a flag in another case is merely rewritten), which spares
    // the collation a call per offer.
    priceDb.exec(QStringLiteral("UPDATE svod SET Obrab = p.Obrab FROM postavshik AS p "
                                "WHERE p.Postavshik = svod.Postavshik AND svod.Obrab IS NOT p.Obrab COLLATE BINARY"));
    stepProgress(progress);
    if (groupChoice)
        priceDb.exec(QStringLiteral(
            "UPDATE svod SET Obrab = m.Obrab FROM price_main AS good, MinPrice_Group AS m "
            "WHERE good.Code = svod.Code_sootv AND m.Kategor = good.Kategor AND m.Postavshik = svod.Postavshik "
            "AND svod.Obrab IS NOT m.Obrab COLLATE BINARY"));
    stepProgress(progress);
    catalogue::ApplyStockCriteria(priceDb, settings.stock);
    stepProgress(progress);
    if (!sale.isEmpty())
        run(priceDb,
            QStringLiteral("UPDATE svod SET Obrab = 'False' WHERE Postavshik = ?1 AND Obrab IS NOT 'False' COLLATE BINARY"),
            {sale});

    // The goods of the run.
    std::optional<RunGroups> runGroups;
    if (groupRun)
        runGroups.emplace(priceDb, groups);
    const QString goods = groupRun ? QStringLiteral("price_main.Kategor IN (SELECT Kategor FROM temp.recalc_groups)")
                                   : QStringLiteral("1");
    const QString priced = QStringLiteral("%1 AND (%2)").arg(QLatin1String(kNotSuperPriced), goods);
    const QString groupGoods = groupRun ? goods : QString();

    // The goods priced before the run, to say how many it leaves without.
    const RunTable pricedBefore(priceDb, QStringLiteral("recalc_priced"), QStringLiteral("Code PRIMARY KEY"));
    priceDb.exec(QStringLiteral("INSERT OR IGNORE INTO recalc_priced SELECT Code FROM price_main "
                                "WHERE %1 AND COALESCE(Price_1, 0) <> 0")
                     .arg(priced));
    run(priceDb, QStringLiteral("UPDATE price_main SET PriceBase = 0, Price_1 = 0 WHERE %1").arg(priced));
    priceDb.exec(QStringLiteral("UPDATE price_main SET PriceBase = m.Price, Price_1 = m.Price, Dates = m.Dates "
                                "FROM %1 AS m WHERE price_main.Code = m.Code_sootv AND %2")
                     .arg(cheapestOffers(QStringLiteral("Obrab = 'True'"), groupGoods), priced));
    stepProgress(progress, groupRun ? g * n : n);

    if (settings.thresholds) {
        const QString rowOfGood =
            ownThresholds ? QStringLiteral("COALESCE((SELECT own.Kategor FROM MinPrice_Nacen AS own "
                                           "WHERE own.Kategor = price_main.Kategor LIMIT 1), 0)")
                          : QStringLiteral("0");
        applyThresholds(priceDb, goods, rowOfGood);
        stepProgress(progress, steps - 3 - (groupRun ? g * n : n));
    }

    if (!sale.isEmpty())
        run(priceDb,
            QStringLiteral("UPDATE price_main SET PriceBase = s.Price, "
                           "Price_1 = s.Price / (1 + COALESCE(price_main.Nacen, 0) / 100.0), Dates = s.Dates "
                           "FROM %1 AS s WHERE price_main.Code = s.Code_sootv AND %2 "
                           "AND COALESCE(price_main.PriceBase, 0) = 0 AND COALESCE(price_main.Nacen, 0) <> -100")
                .arg(cheapestOffers(QStringLiteral("Postavshik = ?1"), groupGoods), priced),
            {sale});

    if (settings.rounding
        && !RoundPriceColumn(priceDb, QStringLiteral("price_main"), QStringLiteral("Price_1"), settings.roundDigits))
        result.roundingFailed = true;
    result.goodsLeftWithoutPrice =
        priceDb
            .scalar(QStringLiteral("SELECT count(*) FROM price_main WHERE Code IN (SELECT Code FROM temp.recalc_priced) "
                                   "AND COALESCE(Price_1, 0) = 0"))
            .toLongLong();
    runGroups.reset();
    transaction.commit();
    return result;
}

} // namespace velmora::output
