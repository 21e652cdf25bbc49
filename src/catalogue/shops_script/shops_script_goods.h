#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <array>
#include <vector>

namespace velmora::catalogue {

// The goods of one group as the Shop-Script catalogue window shows them,
// with the four output prices of the export parameters (parametr rows 1 to
// 4: Name_out, Nacen_out).

inline constexpr int kOutputPriceColumns = 4;

struct OutputPriceColumn {
    QString name;   // Name_out
    int markup = 0; // Nacen_out, whole percent
};
using OutputPriceColumns = std::array<OutputPriceColumn, kOutputPriceColumns>;

// Throws db::DbError.
OutputPriceColumns readOutputPriceColumns(db::Connection& priceDb);

// Price_Out_k: the good's price with its markup and then the column's,
// rounded half up to `roundDigits` places.
double outputPrice(double price1, int nacen, int columnMarkup, int roundDigits);

struct ShopsScriptGood {
    qint64 code = 0;
    QString art;
    QString tovar;
    double price1 = 0;
    int nacen = 0;
    QString url;
    QString pictures;
    std::array<double, kOutputPriceColumns> priceOut{};
};

// The group's goods priced above `priceNull`, by name; a good without
// export details stays in the list with empty links. Throws db::DbError.
std::vector<ShopsScriptGood> readShopsScriptGoods(db::Connection& priceDb, qint64 group, double priceNull,
                                                  const OutputPriceColumns& columns, int roundDigits);

} // namespace velmora::catalogue
