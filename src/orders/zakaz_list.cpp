#include "orders/zakaz_list.h"

#include "catalogue/goods_prices.h"
#include "storage/value_helpers.h"

namespace velmora::orders {

namespace {

// A currency value keeps four decimals.
double currencyValue(double value) { return RoundValue(4, value); }

} // namespace

QVector<ZakazRow> ReadZakazRows(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT Id, Code, Art, Tovar, Price_1, PriceOut, Quantity FROM Zakaz ORDER BY Id"));
    QVector<ZakazRow> rows;
    while (select.step())
        rows << ZakazRow{select.integer(0), select.integer(1), select.text(2), select.text(3),
                         select.number(4),  select.number(5),  select.integer(6)};
    return rows;
}

OwnGood OwnGoodOfRow(const db::Statement& row)
{
    return OwnGood{row.integer(0), row.text(1), row.text(2), row.number(3), row.number(4), row.integer(5) != 0};
}

std::optional<OwnGood> ReadOwnGood(db::Connection& priceDb, qint64 code)
{
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT %1 FROM price_main WHERE Code = ?1 ORDER BY rowid LIMIT 1")
                                               .arg(QLatin1String(kOwnGoodColumns)));
    select.bindInt(1, code);
    if (!select.step())
        return std::nullopt;
    return OwnGoodOfRow(select);
}

double MarkedUpPrice(const OwnGood& good) { return catalogue::sellingPrice(good.price1, good.nacen, good.superPrice); }

ZakazWriter::ZakazWriter(db::Connection& priceDb)
    : priceDb_(priceDb),
      highestId_(priceDb.prepare(QStringLiteral("SELECT coalesce(max(Id), 0) FROM Zakaz"))),
      insert_(priceDb.prepare(QStringLiteral(
          "INSERT INTO Zakaz (Id, Code, Art, Tovar, Price_1, PriceOut, Quantity, Obrab) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'True')"))),
      addQuantity_(priceDb.prepare(QStringLiteral("UPDATE Zakaz SET Quantity = Quantity + ?2 WHERE Id = ?1"))),
      addQuantityAndPrice_(
          priceDb.prepare(QStringLiteral("UPDATE Zakaz SET Quantity = Quantity + ?2, PriceOut = ?3 WHERE Id = ?1")))
{
}

qint64 ZakazWriter::append(const OwnGood& good, int roundDigits, qint64 quantity, std::optional<double> priceOut)
{
    highestId_.reset();
    highestId_.step();
    const qint64 id = highestId_.integer(0) + 1;
    const double price1 = RoundValue(roundDigits, MarkedUpPrice(good));
    insert_.reset();
    insert_.bindInt(1, id).bindInt(2, good.code).bindText(3, good.art).bindText(4, good.tovar);
    insert_.bindDouble(5, currencyValue(price1)).bindDouble(6, currencyValue(priceOut.value_or(price1)));
    insert_.bindInt(7, quantity);
    insert_.execute();
    return id;
}

void ZakazWriter::addQuantity(qint64 id, qint64 quantity, std::optional<double> priceOut)
{
    db::Statement& update = priceOut ? addQuantityAndPrice_ : addQuantity_;
    update.reset();
    update.bindInt(1, id).bindInt(2, quantity);
    if (priceOut)
        update.bindDouble(3, currencyValue(*priceOut));
    update.execute();
}

AddToZakazOutcome AddOwnGoodToZakaz(db::Connection& priceDb, qint64 code, int roundDigits, double rate)
{
    if (priceDb.scalar(QStringLiteral("SELECT count(*) FROM Zakaz WHERE Code = ?1"), {code}).toLongLong() > 0)
        return AddToZakazOutcome::AlreadyListed;
    const std::optional<OwnGood> good = ReadOwnGood(priceDb, code);
    if (!good)
        return AddToZakazOutcome::NoSuchGood;
    db::Transaction transaction(priceDb);
    ZakazWriter(priceDb).append(*good, roundDigits, 1, RoundValue(roundDigits, MarkedUpPrice(*good) * rate));
    transaction.commit();
    return AddToZakazOutcome::Added;
}

void EmptyZakaz(db::Connection& priceDb)
{
    db::Savepoint savepoint(priceDb, QStringLiteral("empty_zakaz"));
    priceDb.exec(QStringLiteral("DELETE FROM Zakaz; DELETE FROM ZakazPostav;"));
    savepoint.release();
}

void SetZakazPriceOut(db::Connection& priceDb, qint64 id, double priceOut)
{
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE Zakaz SET PriceOut = ?2 WHERE Id = ?1"));
    update.bindInt(1, id).bindDouble(2, currencyValue(priceOut));
    update.execute();
}

} // namespace velmora::orders
