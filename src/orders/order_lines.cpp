#include "orders/order_lines.h"

#include "storage/settings_store.h"
#include "storage/value_helpers.h"

namespace velmora::orders {

namespace {

const QString kLineColumns = QStringLiteral(
    "ID, ZakazNumber, ClientName, TovarNumber, Art, Tovar, Price, Pricemax, Quantity, PriceOut, Postavshik, Garant,"
    " Sklad, Description, TextNoName");

OrderLine lineOf(const db::Statement& row)
{
    OrderLine line;
    line.id = row.integer(0);
    line.zakazNumber = int(row.integer(1));
    line.clientName = row.text(2);
    line.tovarNumber = row.integer(3);
    line.art = row.text(4);
    line.tovar = row.text(5);
    line.price = row.number(6);
    line.pricemax = row.number(7);
    line.quantity = row.number(8);
    line.priceOut = row.number(9);
    line.postavshik = row.text(10);
    line.garant = row.text(11);
    line.sklad = row.text(12);
    line.description = row.text(13);
    line.textNoName = row.text(14);
    return line;
}

QVector<OrderLine> readLines(db::Statement& select)
{
    QVector<OrderLine> lines;
    while (select.step())
        lines << lineOf(select);
    return lines;
}

// A currency value keeps four decimals.
double currencyValue(double value) { return RoundValue(4, value); }

qint64 parseOrderInteger(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw OrderError(QStringLiteral("Значение \"%1\" не является целым числом").arg(text));
    return value;
}

} // namespace

double ParseOrderDecimal(const QString& text)
{
    try {
        return parseDecimal(text);
    } catch (const SettingsError& error) {
        throw OrderError(error.message());
    }
}

QVector<OrderLine> ReadOrderLines(db::Connection& orderDb, int orderNumber)
{
    db::Statement select = orderDb.prepare(
        QStringLiteral("SELECT %1 FROM AllZakazFull WHERE ZakazNumber = ?1 ORDER BY ID").arg(kLineColumns));
    select.bindInt(1, orderNumber);
    return readLines(select);
}

QVector<OrderLine> ReadSupplierLines(db::Connection& orderDb, int orderNumber, const QString& supplier)
{
    db::Statement select = orderDb.prepare(
        QStringLiteral("SELECT %1 FROM AllZakazFull WHERE ZakazNumber = ?1 AND Postavshik = ?2 ORDER BY ID")
            .arg(kLineColumns));
    select.bindInt(1, orderNumber).bindText(2, supplier);
    return readLines(select);
}

QStringList OrderSuppliers(db::Connection& orderDb, int orderNumber)
{
    db::Statement select = orderDb.prepare(QStringLiteral(
        "SELECT Postavshik FROM AllZakazFull WHERE ZakazNumber = ?1 AND TRIM(Postavshik) <> ''"
        " GROUP BY Postavshik ORDER BY Postavshik"));
    select.bindInt(1, orderNumber);
    QStringList suppliers;
    while (select.step())
        suppliers << select.text(0);
    return suppliers;
}

std::optional<double> OrderTotal(db::Connection& orderDb, int orderNumber)
{
    const QVariant total = orderDb.scalar(
        QStringLiteral("SELECT SUM(PriceOut * Quantity) FROM AllZakazFull WHERE ZakazNumber = ?1"), {orderNumber});
    if (!total.isValid() || total.isNull())
        return std::nullopt;
    return total.toDouble();
}

QString LineSumText(const OrderLine& line)
{
    return QString::number(RoundValue(2, line.priceOut * line.quantity), 'f', 2).replace(u'.', u',').left(10);
}

QString LinePriceText(const OrderLine& line)
{
    QString text = RoundedDecimalText(line.priceOut, 4, u',');
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0)
        return text + QStringLiteral(",00");
    return text + QString(std::max<qsizetype>(0, 2 - (text.size() - comma - 1)), u'0');
}

QString OrderClientName(db::Connection& orderDb, int orderNumber)
{
    db::Statement select = orderDb.prepare(QStringLiteral(
        "SELECT ClientName FROM AllZakazFull WHERE ZakazNumber = ?1 GROUP BY ClientName ORDER BY MIN(ID)"));
    select.bindInt(1, orderNumber);
    return select.step() ? select.text(0) : QString();
}

void StoreOrderClientName(db::Connection& orderDb, int orderNumber, const QString& clientName)
{
    db::Statement update =
        orderDb.prepare(QStringLiteral("UPDATE AllZakazFull SET ClientName = ?1 WHERE ZakazNumber = ?2"));
    update.bindText(1, clientName).bindInt(2, orderNumber);
    update.execute();
}

AddedOffer AddOfferToOrder(db::Connection& orderDb, int orderNumber, const QString& clientName,
                           const CardOffer& offer, const QString& quantityText)
{
    db::Statement duplicate = orderDb.prepare(QStringLiteral(
        "SELECT ID FROM AllZakazFull WHERE ZakazNumber = ?1 AND Tovar = ?2 AND Postavshik = ?3 ORDER BY ID LIMIT 1"));
    duplicate.bindInt(1, orderNumber).bindText(2, offer.tovar).bindText(3, offer.supplier);
    if (duplicate.step())
        return AddedOffer{true, duplicate.integer(0)};

    // Every conversion before the insert: a text that does not convert
    // leaves the order as it was.
    const qint64 tovarNumber = parseOrderInteger(offer.number);
    const double price = ParseOrderDecimal(offer.price);
    const double pricemax = ParseOrderDecimal(offer.pricemax);
    const double quantity = ParseOrderDecimal(quantityText);
    const double priceOut = currencyValue(ParseOrderDecimal(offer.priceOut));

    db::Statement insert = orderDb.prepare(QStringLiteral(
        "INSERT INTO AllZakazFull (ZakazNumber, ClientName, TovarNumber, Art, Tovar, Price, Pricemax, Quantity,"
        " PriceOut, Postavshik, Garant, Sklad, Description, TextNoName, Obrab)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, 1)"));
    insert.bindInt(1, orderNumber).bindText(2, clientName).bindInt(3, tovarNumber);
    insert.bindText(4, offer.art).bindText(5, offer.tovar);
    insert.bindDouble(6, price).bindDouble(7, pricemax).bindDouble(8, quantity).bindDouble(9, priceOut);
    insert.bindText(10, offer.supplier).bindText(11, offer.garant).bindText(12, offer.sklad);
    insert.bindText(13, offer.description.left(kDescriptionLength)).bindText(14, offer.textNoName);
    insert.execute();
    return AddedOffer{false, orderDb.lastInsertRowId()};
}

qint64 AddBlankLine(db::Connection& orderDb, int orderNumber, const QString& clientName)
{
    db::Statement insert = orderDb.prepare(QStringLiteral(
        "INSERT INTO AllZakazFull (ZakazNumber, ClientName, TovarNumber, Art, Tovar, Price, Pricemax, Quantity,"
        " PriceOut, Postavshik, Garant, Sklad, Description, TextNoName, Obrab)"
        " VALUES (?1, ?2, 0, '', '', 0, 0, 1, 0, '', '', '', '', '', 1)"));
    insert.bindInt(1, orderNumber).bindText(2, clientName);
    insert.execute();
    return orderDb.lastInsertRowId();
}

void DeleteLine(db::Connection& orderDb, qint64 lineId)
{
    db::Statement remove = orderDb.prepare(QStringLiteral("DELETE FROM AllZakazFull WHERE ID = ?1"));
    remove.bindInt(1, lineId);
    remove.execute();
}

void DeleteOrder(db::Connection& orderDb, int orderNumber)
{
    db::Statement remove = orderDb.prepare(QStringLiteral("DELETE FROM AllZakazFull WHERE ZakazNumber = ?1"));
    remove.bindInt(1, orderNumber);
    remove.execute();
}

qint64 HighestLineId(db::Connection& orderDb)
{
    return orderDb.scalar(QStringLiteral("SELECT MAX(ID) FROM AllZakazFull")).toLongLong();
}

void UpdateLineField(db::Connection& orderDb, qint64 lineId, LineField field, const QString& text)
{
    QString column;
    QVariant value;
    switch (field) {
    case LineField::Tovar:
        column = QStringLiteral("Tovar");
        value = text.left(200);
        break;
    case LineField::Postavshik:
        column = QStringLiteral("Postavshik");
        value = text.left(100);
        break;
    case LineField::PriceOut:
        column = QStringLiteral("PriceOut");
        value = currencyValue(ParseOrderDecimal(text));
        break;
    case LineField::Quantity:
        column = QStringLiteral("Quantity");
        value = ParseOrderDecimal(text);
        break;
    }
    db::Statement update = orderDb.prepare(QStringLiteral("UPDATE AllZakazFull SET %1 = ?1 WHERE ID = ?2").arg(column));
    update.bind(1, value).bindInt(2, lineId);
    update.execute();
}

} // namespace velmora::orders
