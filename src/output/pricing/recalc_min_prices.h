#pragma once

#include "catalogue/stock/stock_criteria.h"

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

namespace velmora {
class SettingsStore;
}

namespace velmora::output {

// The switches of the minimum-price recalculation, from the order
// database's settings and the program's cached values.
struct MinPriceSettings {
    int actualDays = 7;        // actual_price: age limit of supplier price lists in days
    bool thresholds = false;   // CheckBox_NacenDop: apply the additional-markup thresholds
    bool perGroup = false;     // CheckBox_KatMinPrice: per-group handling in the all-goods run
    bool groupThresholds = false; // CheckBox_KatNacen
    bool groupSuppliers = false;  // CheckBox_KatPost
    catalogue::StockSwitches stock; // KritSklad
    bool rounding = false;     // RoundingYes
    int roundDigits = 2;       // RoundDigits
    QString saleSupplierName;  // SaleSupplierName
};

// The cached values start-up settles: RoundDigits and SaleSupplierName.
struct PricingGlobals {
    int roundDigits = 2;
    QString saleSupplierName;
};

// Reads the settings (each with its default when missing).
MinPriceSettings readMinPriceSettings(SettingsStore& orderSettings, int roundDigits, const QString& saleSupplierName);

struct RecalcRequest {
    qint64 group = 0; // 0: all goods; else the group and every group nested in it
    // The supplier ticks start again from their defaults (postavshik.Obrab
    // := Obrab_Def). The minimum-price window's all-goods run keeps the
    // ticks it shows instead; the age rule applies either way.
    bool resetSupplierTicks = true;
    // A group run: the group's supplier choice is first copied to its
    // subgroups (the answer to the window's question).
    bool copyChoiceToSubgroups = false;
    QDate today;
};

struct RecalcResult {
    int activeSuppliers = 0;
    bool roundingFailed = false; // "Ошибка при округлении цен на товары!"
    qint64 staleOffers = 0;           // svod rows deleted for their age
    qint64 goodsLeftWithoutPrice = 0; // goods of the run priced before it and at 0 after
};

// The one line that ends a run: how many stale offers it dropped and how
// many goods it left without a price.
QString recalcReportText(const RecalcResult& result);

inline const QString kRoundingFailed = QStringLiteral("Ошибка при округлении цен на товары!");
inline const QString kRecalcGroupText = QStringLiteral("         Пересчет стоимости товаров в выбранной группе");
inline const QString kRecalcAllText = QStringLiteral("                  Пересчет стоимости для всех товаров");

// The minimum-price recalculation (RecalcMinPrices), in one transaction of
// the price database:
//  - supplier ticks reset to their defaults (unless kept); suppliers whose
//    price list is older than actualDays days are off and their svod rows
//    are deleted;
//  - each svod row is usable or not (Obrab 'True'/'False') by its
//    supplier's tick, then, for a group run or with perGroup and
//    groupSuppliers, by the choice of suppliers for its good's group
//    (MinPrice_Group), then by the stock criteria; the sale supplier's rows
//    are not;
//  - each good in the run that is not super-priced takes as PriceBase and
//    Price_1 the smallest usable price above 0 with its Dates (a good
//    without a usable offer gets 0 and keeps its Dates); with thresholds, the additional markup of its group's
//    thresholds row (a group run: its own, else the general row; all goods:
//    the general row, with perGroup and groupThresholds a group's own row
//    where it has one); a good still without a base price takes the sale
//    supplier's smallest offer, Price_1 = price / (1 + Nacen / 100), unless
//    its Nacen is -100;
//  - with rounding, Price_1 of every good is rounded to roundDigits places
//    (a failure is reported in the result; the rest stands);
//  - the result counts the offers deleted for their age and the goods of
//    the run that had a Price_1 before and have none after.
// Texts (names, flags, stock texts) compare without case, Cyrillic too.
// Progress: for a group run g × (n + 6 with thresholds) + 3 steps for its g
// groups and n active suppliers; for all goods n + 3, + 6 with thresholds,
// + 6 per group thresholds row with perGroup and groupThresholds as well.
// Throws db::DbError (or what `progress` throws) and leaves every price,
// tick and offer as it was.
RecalcResult RecalcMinPrices(db::Connection& priceDb, const MinPriceSettings& settings, const RecalcRequest& request,
                             Progress* progress = nullptr);

} // namespace velmora::output
