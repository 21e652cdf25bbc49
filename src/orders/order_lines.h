#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QVector>

#include <optional>
#include <stdexcept>

namespace velmora::orders {

// A failure of an order operation, with the text the user sees.
class OrderError : public std::runtime_error {
public:
    explicit OrderError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// One row of AllZakazFull.
struct OrderLine {
    qint64 id = 0;
    int zakazNumber = 0;
    QString clientName;
    qint64 tovarNumber = 0;
    QString art;
    QString tovar;
    double price = 0;
    double pricemax = 0;
    double quantity = 1;
    double priceOut = 0;
    QString postavshik;
    QString garant;
    QString sklad;
    QString description;
    QString textNoName;
};

// The lines of one order, in the order they were added.
QVector<OrderLine> ReadOrderLines(db::Connection& orderDb, int orderNumber);
// The lines of one order that one supplier serves (the supplier compared
// without case), in the order they were added.
QVector<OrderLine> ReadSupplierLines(db::Connection& orderDb, int orderNumber, const QString& supplier);
// The distinct suppliers of one order's lines, leaving out lines with no
// supplier.
QStringList OrderSuppliers(db::Connection& orderDb, int orderNumber);

// The database's sum of PriceOut * Quantity over the order (unrounded);
// none for an order without lines.
std::optional<double> OrderTotal(db::Connection& orderDb, int orderNumber);
// A line's sum as the grid shows it: PriceOut * Quantity rounded to two
// places, with a decimal comma ("1,00").
QString LineSumText(const OrderLine& line);
// A line's price beside it: rounded to four places, at least two of them
// shown ("12490,50", "0,3512").
QString LinePriceText(const OrderLine& line);

// The client of an order: ClientName of its first line ("" without lines).
QString OrderClientName(db::Connection& orderDb, int orderNumber);
// Gives every line of the order the client name.
void StoreOrderClientName(db::Connection& orderDb, int orderNumber, const QString& clientName);

// A supplier offer as the goods card shows it: texts, prices with a decimal
// comma or point.
struct CardOffer {
    QString number;      // Edit_Number
    QString art;         // Edit_ViewsArt
    QString tovar;       // Edit_ViewsTovar
    QString price;       // Edit_PostavPrice
    QString pricemax;    // Edit_PostavPriceMax
    QString priceOut;    // Edit_Price
    QString supplier;    // Edit_PostavName
    QString garant;      // Edit_Garant
    QString sklad;       // Edit_PostavSklad
    QString description; // Edit_ViewsDescription
    QString textNoName;  // Edit_Sklad2
};

// The outcome of adding an offer: the line added, or the order's line that
// already holds it.
struct AddedOffer {
    bool duplicate = false;
    qint64 lineId = 0;
};

inline constexpr int kDescriptionLength = 255;
inline const QString kDuplicateOfferMessage = QStringLiteral("Товар уже есть в списке");

// Adds the offer to the order as one line with the quantity text, unless
// the order already has a line of that goods name and supplier (compared
// without case). The description is cut to its first 255 characters. A
// number, price or quantity text that does not convert throws OrderError
// with the conversion's message, and nothing is stored.
AddedOffer AddOfferToOrder(db::Connection& orderDb, int orderNumber, const QString& clientName,
                           const CardOffer& offer, const QString& quantityText);
// Adds an empty line (quantity 1) to the order; returns its ID.
qint64 AddBlankLine(db::Connection& orderDb, int orderNumber, const QString& clientName);
void DeleteLine(db::Connection& orderDb, qint64 lineId);
void DeleteOrder(db::Connection& orderDb, int orderNumber);
// The highest line ID of the table (0 when empty).
qint64 HighestLineId(db::Connection& orderDb);

// The fields the line grid edits.
enum class LineField { Tovar, PriceOut, Quantity, Postavshik };
// Writes one edited field of a line: a text field as it stands (cut to the
// column's width), a number field from its text; a number text that does not
// convert throws OrderError and nothing is written.
void UpdateLineField(db::Connection& orderDb, qint64 lineId, LineField field, const QString& text);

// Parses a decimal text with "," or "." (the conversions of the order
// tab); throws OrderError with the conversion's message.
double ParseOrderDecimal(const QString& text);

} // namespace velmora::orders
