#pragma once

#include "catalogue/goods_prices.h"

#include "platform/db/connection.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace velmora::catalogue {

// The combined price page of one own good: its svod rows as a grid whose
// cells are coloured by a rule of their own, and as a bar diagram beside
// the shop's own price.

struct CombinedPriceRow {
    qint64 rowid = 0;
    QString art;
    QString tovar;
    double price = 0;
    double pricemax = 0;
    QString postavshik;
    qint64 codeSootv = 0;
    QString obrab;
    qint64 dates = 0;
    QString garant;
    QString sklad;
};

// The good's svod rows by Price.
QList<CombinedPriceRow> readCombinedPriceRows(db::Connection& priceDb, qint64 goodCode);

// How a cell of the grid is drawn: colours as Windows numbers
// (blue-green-red); none keeps the grid's own.
struct CellColours {
    std::optional<uint32_t> background;
    std::optional<uint32_t> font;
    bool operator==(const CellColours&) const = default;
};

inline constexpr uint32_t kSkyBlue = 0xF0CAA6;
inline constexpr uint32_t kFuchsia = 0xFF00FF;
inline constexpr uint32_t kRed = 0x0000FF;
inline constexpr uint32_t kLightYellow = 0x70FFFF;
inline constexpr uint32_t kBlack = 0x000000;

// The colours of one cell: a row whose Obrab is exactly "True" on sky blue
// with a black font, its Price cell fuchsia when the price is above 0 and
// within 0.001 of the good's PriceBase; otherwise a Price cell below the
// good's PriceBase red; then any cell of the sale supplier's row light
// yellow with a black font.
CellColours combinedPriceCellColours(const QString& obrab, double price, const QString& postavshik,
                                     bool priceColumn, double priceBase, const QString& saleSupplier);

// The price column choice: Name_out of the export parameter rows 1 to 4.
QStringList outputPriceColumnNames(db::Connection& priceDb);

struct DiagramBar {
    QString label;
    double value = 0;
};

struct DiagramRequest {
    qint64 goodCode = 0;
    QString ownName;      // the first bar's label (Edit_GrafName)
    int priceColumn = 0;  // 0..3: the output price column chosen
    bool minimum = true;  // "  MIN": Price; "  MAX": Pricemax
    int roundDigits = 2;  // RoundingDegree
    GoodsPricing pricing; // how the goods list shows Price_nacen
};

// The diagram's bars: first the shop's own, the good's Price_nacen as the
// goods list shows it marked up by the chosen column's Nacen_out and
// rounded (0 when the good's PriceBase is 0 or below; no bar at all when
// that price cannot be had), then one per svod row in the order of Price,
// labelled with its supplier.
QList<DiagramBar> combinedPriceDiagram(db::Connection& priceDb, const DiagramRequest& request);

} // namespace velmora::catalogue
