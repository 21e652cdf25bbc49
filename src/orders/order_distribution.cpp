#include "orders/order_distribution.h"

#include "platform/db/text_functions.h"
#include "storage/price_text.h"
#include "storage/value_helpers.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>

namespace velmora::orders {

namespace {

bool sameSupplier(const QString& a, const QString& b) { return db::foldCase(a) == db::foldCase(b); }

// Obrab of a supplier that holds units (neither "", "0" nor "-").
bool holdsUnits(const QString& obrab) { return UnitsOf(obrab) > 0; }

QString numberText(double value) { return QString::number(value, 'g', 15); }

// Writes one good's codes, the earlier ones of the good gone.
class DistributionWriter {
public:
    explicit DistributionWriter(db::Connection& priceDb)
        : clear_(priceDb.prepare(QStringLiteral("DELETE FROM ZakazPostav WHERE Code = ?1"))),
          set_(priceDb.prepare(QStringLiteral(
              "INSERT INTO ZakazPostav (Code, Postavshik, Obrab) VALUES (?1, ?2, ?3)"
              " ON CONFLICT (Code, Postavshik) DO UPDATE SET Obrab = excluded.Obrab"))),
          clearMarks_(priceDb.prepare(QStringLiteral("UPDATE ZakazPostav SET Obrab = '' WHERE Code = ?1 AND Obrab = '-'")))
    {
    }

    void reset(qint64 code)
    {
        clear_.reset();
        clear_.bindInt(1, code).execute();
    }
    void set(qint64 code, const QString& supplier, const QString& obrab)
    {
        set_.reset();
        set_.bindInt(1, code).bindText(2, supplier).bindText(3, obrab).execute();
    }
    void clearDeselectMarks(qint64 code)
    {
        clearMarks_.reset();
        clearMarks_.bindInt(1, code).execute();
    }

private:
    db::Statement clear_;
    db::Statement set_;
    db::Statement clearMarks_;
};

} // namespace

GoodSplit DistributeGood(qint64 need, const QVector<qint64>& stocks)
{
    GoodSplit split;
    split.codes.reserve(stocks.size());
    bool given = false;
    for (qint64 stock : stocks) {
        qint64 units = 0;
        if (need > 0 && stock > 0) {
            units = std::min(stock, need);
            need -= units;
            given = true;
        }
        split.codes << QString::number(units);
    }
    if (!given && !split.codes.isEmpty())
        split.codes[0] = QStringLiteral("-");
    split.shortage = std::max<qint64>(need, 0);
    return split;
}

qint64 StockUnits(const QString& sklad)
{
    const ParsedPrice parsed = ParsePriceText(sklad.trimmed());
    if (!parsed.hasNumber || parsed.value <= 0 || !std::isfinite(parsed.value))
        return 0;
    return qint64(std::min(std::floor(parsed.value), 1e15));
}

bool StockHasNumber(const QString& sklad) { return ParsePriceText(sklad.trimmed()).hasNumber; }

qint64 UnitsOf(const QString& obrab)
{
    bool ok = false;
    const qint64 units = obrab.trimmed().toLongLong(&ok);
    return ok && units > 0 ? units : 0;
}

qint64 DistributedGood::assigned() const
{
    qint64 sum = 0;
    for (const SupplierOffer& o : offers)
        sum += UnitsOf(o.obrab);
    return sum;
}

const SupplierOffer* DistributedGood::offer(const QString& supplier) const
{
    for (const SupplierOffer& o : offers)
        if (sameSupplier(o.supplier, supplier))
            return &o;
    return nullptr;
}

bool DistributedGood::distributed() const
{
    return std::any_of(offers.begin(), offers.end(), [](const SupplierOffer& o) { return o.stored; });
}

QVector<DistributedGood> ReadDistribution(db::Connection& priceDb)
{
    // One pass over the order with its offers; the svod index on
    // (Code_sootv, Postavshik) serves the join.
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT z.Id, z.Code, z.Art, z.Tovar, z.Price_1, z.PriceOut, z.Quantity,"
        " s.Postavshik, s.Art, s.Tovar, s.Price, s.Sklad, p.Obrab, p.rowid IS NOT NULL"
        " FROM Zakaz z"
        " LEFT JOIN svod s ON s.Code_sootv = z.Code AND s.Postavshik IS NOT NULL"
        " LEFT JOIN ZakazPostav p ON p.Code = z.Code AND p.Postavshik = s.Postavshik"
        " ORDER BY z.Id, coalesce(s.Price, 0), s.Postavshik, s.rowid"));
    QVector<DistributedGood> goods;
    QSet<QString> suppliersOfGood;
    while (select.step()) {
        const qint64 id = select.integer(0);
        if (goods.isEmpty() || goods.last().line.id != id) {
            DistributedGood good;
            good.line = ZakazRow{id, select.integer(1), select.text(2), select.text(3),
                                 select.number(4), select.number(5), select.integer(6)};
            goods << good;
            suppliersOfGood.clear();
        }
        if (select.isNull(7))
            continue;
        // A supplier offering the good twice is taken at its cheaper row.
        const QString supplier = select.text(7);
        const QString key = db::foldCase(supplier);
        if (suppliersOfGood.contains(key))
            continue;
        suppliersOfGood.insert(key);
        goods.last().offers << SupplierOffer{supplier,          select.text(8),  select.text(9),
                                             select.number(10), select.text(11), select.text(12),
                                             select.integer(13) != 0};
    }
    return goods;
}

void AutoDistribute(db::Connection& priceDb, DistributionScope scope)
{
    const QVector<DistributedGood> goods = ReadDistribution(priceDb);
    db::Transaction transaction(priceDb);
    DistributionWriter writer(priceDb);
    QSet<qint64> done;
    for (const DistributedGood& good : goods) {
        if (good.offers.isEmpty() || done.contains(good.line.code))
            continue;
        if (scope == DistributionScope::UndistributedGoods && good.distributed())
            continue;
        done.insert(good.line.code);
        QVector<qint64> stocks;
        for (const SupplierOffer& offer : good.offers)
            stocks << StockUnits(offer.sklad);
        const GoodSplit split = DistributeGood(good.line.quantity, stocks);
        writer.reset(good.line.code);
        for (qsizetype i = 0; i < good.offers.size(); ++i)
            writer.set(good.line.code, good.offers[i].supplier, split.codes[i]);
    }
    transaction.commit();
}

NotFoundRows NoOfferRows(const QVector<DistributedGood>& goods)
{
    NotFoundRows rows;
    for (const DistributedGood& good : goods)
        if (good.offers.isEmpty())
            rows << NotFoundRow{good.line.art, good.line.tovar, numberText(good.line.priceOut),
                                QString::number(good.line.quantity)};
    return rows;
}

NotFoundRows ShortStockRows(const QVector<DistributedGood>& goods)
{
    NotFoundRows rows;
    for (const DistributedGood& good : goods) {
        const qint64 missing = good.line.quantity - good.assigned();
        if (!good.offers.isEmpty() && missing > 0)
            rows << NotFoundRow{good.line.art, good.line.tovar, numberText(good.line.priceOut),
                                QString::number(missing)};
    }
    return rows;
}

qint64 MaxUnitsToAdd(const DistributedGood& good, const SupplierOffer& offer)
{
    const qint64 open = good.line.quantity - good.assigned();
    const qint64 most = StockHasNumber(offer.sklad) ? std::min(StockUnits(offer.sklad) - UnitsOf(offer.obrab), open) : open;
    return std::max<qint64>(most, 0);
}

AddUnitsOutcome AddUnits(db::Connection& priceDb, const DistributedGood& good, const QString& supplier, qint64 k)
{
    const SupplierOffer* offer = good.offer(supplier);
    if (!offer)
        return AddUnitsOutcome::Done;
    const qint64 current = UnitsOf(offer->obrab);
    const qint64 assigned = good.assigned();
    if (assigned + std::max<qint64>(k, 0) > good.line.quantity)
        return AddUnitsOutcome::TooMany;
    const qint64 afterwards = k < 1 ? assigned - current : assigned + k;
    db::Transaction transaction(priceDb);
    DistributionWriter writer(priceDb);
    writer.set(good.line.code, offer->supplier, k < 1 ? QStringLiteral("-") : QString::number(current + k));
    if (afterwards > 0)
        writer.clearDeselectMarks(good.line.code);
    transaction.commit();
    return AddUnitsOutcome::Done;
}

DistributionSums SumDistribution(const QVector<DistributedGood>& goods, const QString& supplier, double rate,
                                 int roundDigits)
{
    double purchase = 0;
    double sale = 0;
    for (const DistributedGood& good : goods)
        for (const SupplierOffer& offer : good.offers) {
            if (!supplier.isEmpty() && !sameSupplier(offer.supplier, supplier))
                continue;
            const qint64 units = UnitsOf(offer.obrab);
            purchase += offer.price * rate * double(units);
            sale += good.line.priceOut * double(units);
        }
    DistributionSums sums;
    sums.purchase = RoundValue(roundDigits, purchase);
    sums.sale = RoundValue(roundDigits, sale);
    sums.income = RoundValue(roundDigits, sums.sale - sums.purchase);
    return sums;
}

QStringList ExportSuppliers(const QVector<DistributedGood>& goods, ExportChoice choice)
{
    std::map<QString, QString> byKey; // folded name -> the name as first met
    for (const DistributedGood& good : goods)
        for (const SupplierOffer& offer : good.offers)
            if (choice == ExportChoice::AllGoods || holdsUnits(offer.obrab))
                byKey.emplace(db::foldCase(offer.supplier), offer.supplier);
    QStringList suppliers;
    for (const auto& [key, name] : byKey)
        suppliers << name;
    return suppliers;
}

QVector<SupplierOrderRow> SupplierOrderRows(const QVector<DistributedGood>& goods, const QString& supplier,
                                            ExportChoice choice)
{
    QVector<SupplierOrderRow> rows;
    for (const DistributedGood& good : goods) {
        const SupplierOffer* offer = good.offer(supplier);
        if (!offer)
            continue;
        if (choice == ExportChoice::AllGoods)
            rows << SupplierOrderRow{&good, offer, good.line.quantity};
        else if (holdsUnits(offer->obrab))
            rows << SupplierOrderRow{&good, offer, UnitsOf(offer->obrab)};
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SupplierOrderRow& a, const SupplierOrderRow& b) {
        return db::foldCase(a.offer->tovar) < db::foldCase(b.offer->tovar);
    });
    return rows;
}

QVector<SupplierExportRow> SupplierExportRows(const QVector<DistributedGood>& goods, ExportChoice choice, double rate,
                                              int roundDigits)
{
    QVector<SupplierExportRow> result;
    for (const QString& supplier : ExportSuppliers(goods, choice)) {
        double purchase = 0;
        double sale = 0;
        const QVector<SupplierOrderRow> rows = SupplierOrderRows(goods, supplier, choice);
        for (const SupplierOrderRow& row : rows) {
            purchase += row.offer->price * rate * double(row.quantity);
            sale += row.good->line.priceOut * double(row.quantity);
        }
        SupplierExportRow line;
        line.supplier = supplier;
        line.purchase = RoundValue(roundDigits, purchase);
        line.sale = RoundValue(roundDigits, sale);
        line.income = RoundValue(roundDigits, line.sale - line.purchase);
        line.goods = int(rows.size());
        result << line;
    }
    return result;
}

} // namespace velmora::orders
