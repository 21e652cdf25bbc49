#pragma once

// The order list Zakaz of the price database: the own goods of the order
// being prepared, which the order import fills and the distribution among
// suppliers works on.

#include "platform/db/connection.h"

#include <QString>
#include <QVector>

#include <optional>

namespace velmora::orders {

// One row of Zakaz.
struct ZakazRow {
    qint64 id = 0;
    qint64 code = 0; // the own good's Code
    QString art;
    QString tovar;
    double price1 = 0;   // the own price with its markup
    double priceOut = 0; // the sale price of the order
    qint64 quantity = 0;
};

// Every row, in Id order.
QVector<ZakazRow> ReadZakazRows(db::Connection& priceDb);

// An own good (price_main) as the order list takes it.
struct OwnGood {
    qint64 code = 0;
    QString art;
    QString tovar;
    double price1 = 0;
    double nacen = 0; // markup in percent
    bool superPrice = false;
};

// The columns of price_main an OwnGood is read from, in its order, and the
// good of a statement's row selected with them.
inline constexpr char kOwnGoodColumns[] = "Code, Art, Tovar, Price_1, Nacen, SuperPrice";
OwnGood OwnGoodOfRow(const db::Statement& row);

// The good of that Code (the first when several share it); none when
// price_main has no such good.
std::optional<OwnGood> ReadOwnGood(db::Connection& priceDb, qint64 code);

// The price the goods list sells the good at, unrounded: Price_1 with the
// good's markup, or Price_1 alone for a SuperPrice good.
double MarkedUpPrice(const OwnGood& good);

// Writes own goods into Zakaz through statements prepared once, for the
// import's many rows and the single "в Заказ" alike. The caller owns the
// transaction.
class ZakazWriter {
public:
    explicit ZakazWriter(db::Connection& priceDb);

    // Appends the good as a new row: Id one above the highest Id, Code, Art
    // and Tovar of the good, Price_1 = the marked-up price rounded to
    // `roundDigits` places, PriceOut = `priceOut` when given, else Price_1,
    // the quantity, Obrab "True". Returns the row's Id.
    qint64 append(const OwnGood& good, int roundDigits, qint64 quantity, std::optional<double> priceOut = {});
    // Adds to the quantity of an existing row and, when given, sets its
    // PriceOut.
    void addQuantity(qint64 id, qint64 quantity, std::optional<double> priceOut = {});

private:
    db::Connection& priceDb_;
    db::Statement highestId_;
    db::Statement insert_;
    db::Statement addQuantity_;
    db::Statement addQuantityAndPrice_;
};

// What the own goods panel's "в Заказ" did.
enum class AddToZakazOutcome { Added, AlreadyListed, NoSuchGood };
inline const QString kGoodAlreadyListedMessage = QStringLiteral("Товар уже есть в списке");

// The own goods panel's "в Заказ": appends the good with quantity 1 unless
// Zakaz already holds its Code. Price_1 is the marked-up price rounded to
// `roundDigits`; PriceOut the marked-up price at `rate` (the dollar rate
// when the order's prices are in roubles, else 1), rounded alike.
AddToZakazOutcome AddOwnGoodToZakaz(db::Connection& priceDb, qint64 code, int roundDigits, double rate);

// Empties the order list and the units its goods were given, at once
// (inside the caller's transaction when there is one); the order lines of
// the order database are not touched.
void EmptyZakaz(db::Connection& priceDb);

// Sets the sale price of one row (a currency value, four decimals).
void SetZakazPriceOut(db::Connection& priceDb, qint64 id, double priceOut);

} // namespace velmora::orders
