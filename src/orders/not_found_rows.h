#pragma once

#include <QString>
#include <QVector>

namespace velmora::orders {

// A good that could not be ordered: the order import's rows that match no
// own good or could not be loaded, the distribution's goods without offers
// or short of stock. Price and quantity are texts as read or computed.
struct NotFoundRow {
    QString art;
    QString tovar;
    QString price;
    QString quantity;
};
using NotFoundRows = QVector<NotFoundRow>;

} // namespace velmora::orders
