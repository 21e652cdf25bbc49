#pragma once

// The distribution of the order list Zakaz among the suppliers that offer
// its goods in the combined price svod: units per good and supplier, kept
// in ZakazPostav (Obrab: "" not considered, "0" considered and none given,
// "-" nothing could be given or the supplier was deselected, else the
// units as digits).

#include "orders/not_found_rows.h"
#include "orders/zakaz_list.h"
#include "platform/db/connection.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace velmora::orders {

// ---- One good, as a pure function -----------------------------------------

// How one good's need falls to its offers, cheapest first: codes[i] is the
// Obrab of offer i. Each offer takes what it has in stock while need is
// left; offers after the need is met, and those without stock, get "0";
// when nothing could be given at all the cheapest gets "-". `shortage` is
// the need left over.
struct GoodSplit {
    QStringList codes;
    qint64 shortage = 0;
};
GoodSplit DistributeGood(qint64 need, const QVector<qint64>& stocks);

// Units in stock of a stock text: the whole part of the number it holds,
// 0 when it holds none (or a negative one).
qint64 StockUnits(const QString& sklad);
// Whether the stock text holds a number at all ("есть" does not).
bool StockHasNumber(const QString& sklad);
// The units an Obrab code stands for: its whole number, 0 for "", "0",
// "-" or any other text.
qint64 UnitsOf(const QString& obrab);

// ---- The order's distribution ----------------------------------------------

// A supplier offering a good: its cheapest svod row of that good.
struct SupplierOffer {
    QString supplier;
    QString art;   // the supplier's article and name (svod)
    QString tovar;
    double price = 0;
    QString sklad;
    QString obrab;       // the units given, "" when there is no row
    bool stored = false; // ZakazPostav holds a row for it
};

// A good of the order with its offers, cheapest first (equal prices by
// supplier name).
struct DistributedGood {
    ZakazRow line;
    QVector<SupplierOffer> offers;

    // Σ units of the offers.
    qint64 assigned() const;
    // The offer of a supplier (compared without case); null when none.
    const SupplierOffer* offer(const QString& supplier) const;
    // The good has a distribution: a row of one of its offers is stored.
    bool distributed() const;
};

// Every good of Zakaz in Id order with its offers and their stored units.
QVector<DistributedGood> ReadDistribution(db::Connection& priceDb);

// Distributes the goods anew: every good (the "автораспределение"
// button), or only the goods without a distribution yet (showing the
// window keeps what was given by hand). A good's earlier units are reset
// first. One transaction.
enum class DistributionScope { UndistributedGoods, AllGoods };
void AutoDistribute(db::Connection& priceDb, DistributionScope scope);

// The goods no supplier offers: article, name, sale price and quantity.
NotFoundRows NoOfferRows(const QVector<DistributedGood>& goods);
// The goods offered short of their quantity: article, name, sale price
// and the units still missing.
NotFoundRows ShortStockRows(const QVector<DistributedGood>& goods);

// The largest number of units the offer's list gives: min(stock − current,
// ordered − assigned), or ordered − assigned when its stock is no number;
// at least 0.
qint64 MaxUnitsToAdd(const DistributedGood& good, const SupplierOffer& offer);

// Gives k more units of the good to the supplier ("Добавить товары", a
// double click): refused when the good would get more units than ordered.
// With k below 1 the supplier is deselected ("-"); once the good has units
// its "-" marks are cleared. One transaction.
enum class AddUnitsOutcome { Done, TooMany };
inline const QString kTooManyUnitsMessage =
    QStringLiteral("Нельзя добавить больше товаров,\rчем требуется в заказе!");
AddUnitsOutcome AddUnits(db::Connection& priceDb, const DistributedGood& good, const QString& supplier, qint64 k);

// The purchase and sale sums of the distribution, of one supplier or of all
// (supplier empty): units × the supplier's price at `rate` (the order tab's
// dollar rate when its prices are in roubles, else 1) and units × the sale
// price, each rounded to `roundDigits`, and the income between them.
struct DistributionSums {
    double purchase = 0;
    double sale = 0;
    double income = 0;
};
DistributionSums SumDistribution(const QVector<DistributedGood>& goods, const QString& supplier, double rate,
                                 int roundDigits);

// What the export page and the supplier orders take: every good a supplier
// offers with its ordered quantity, or only the goods given to it with
// their units.
enum class ExportChoice { AllGoods, Selected };

// One row of the export page.
struct SupplierExportRow {
    QString supplier;
    double purchase = 0;
    double sale = 0;
    double income = 0;
    int goods = 0;
};
// The suppliers of the choice in name order (without case): with AllGoods
// every supplier offering a good of the order, with Selected those given
// units.
QStringList ExportSuppliers(const QVector<DistributedGood>& goods, ExportChoice choice);
QVector<SupplierExportRow> SupplierExportRows(const QVector<DistributedGood>& goods, ExportChoice choice, double rate,
                                              int roundDigits);

// One row of a supplier's order.
struct SupplierOrderRow {
    const DistributedGood* good = nullptr;
    const SupplierOffer* offer = nullptr;
    qint64 quantity = 0;
};
// The supplier's rows of the choice, ordered by the supplier's goods name.
QVector<SupplierOrderRow> SupplierOrderRows(const QVector<DistributedGood>& goods, const QString& supplier,
                                            ExportChoice choice);

} // namespace velmora::orders
