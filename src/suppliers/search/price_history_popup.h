#pragma once

#include "platform/db/connection.h"

#include <QDateTime>
#include <QTableWidget>
#include <QVector>

namespace velmora::search {

struct HistoryPrice {
    QDateTime date;
    double priceOut = 0;
};

// The earlier prices of one offer (select DISTINCT Dates, PriceOut from
// AllPriceHistory where the supplier, article and name match), newest first.
QVector<HistoryPrice> offerPriceHistory(const db::Connection& priceDb, const QString& supplier, const QString& art,
                                        const QString& tovar);

// DBGrid_HistoryOneTovar: the small grid of earlier prices shown beside the
// price column.
class PriceHistoryPopup : public QTableWidget {
    Q_OBJECT
public:
    explicit PriceHistoryPopup(QWidget* parent = nullptr);

    // Fills the grid and shows it at `topLeft` (parent coordinates), or
    // hides it when there is no earlier price.
    void showHistory(const QVector<HistoryPrice>& prices, const QPoint& topLeft);
};

} // namespace velmora::search
