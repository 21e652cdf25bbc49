#include "price_history_popup.h"

#include "goods_card_data.h"

#include "platform/db/day_numbers.h"

#include <QHeaderView>

namespace velmora::search {

QVector<HistoryPrice> offerPriceHistory(const db::Connection& priceDb, const QString& supplier, const QString& art,
                                        const QString& tovar)
{
    QVector<HistoryPrice> out;
    db::Statement s = priceDb.prepare(QStringLiteral(
        "SELECT DISTINCT Dates, PriceOut FROM AllPriceHistory WHERE (Postavshik=:Postav) AND (Art=:Art) "
        "AND (Tovar=:Tovar) ORDER BY Dates DESC"));
    s.bind(QStringLiteral(":Postav"), supplier).bind(QStringLiteral(":Art"), art).bind(QStringLiteral(":Tovar"), tovar);
    while (s.step())
        out.push_back({db::dateTimeFromDayNumber(s.number(0)), s.number(1)});
    return out;
}

PriceHistoryPopup::PriceHistoryPopup(QWidget* parent) : QTableWidget(parent)
{
    setObjectName(QStringLiteral("DBGrid_HistoryOneTovar"));
    setColumnCount(2);
    setHorizontalHeaderLabels({QStringLiteral("Цена"), QStringLiteral("Дата")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    hide();
}

void PriceHistoryPopup::showHistory(const QVector<HistoryPrice>& prices, const QPoint& topLeft)
{
    if (prices.isEmpty()) {
        hide();
        return;
    }
    setRowCount(int(prices.size()));
    for (int r = 0; r < prices.size(); ++r) {
        setItem(r, 0, new QTableWidgetItem(cardPriceText(prices.at(r).priceOut)));
        setItem(r, 1, new QTableWidgetItem(prices.at(r).date.toString(QStringLiteral("dd.MM.yyyy hh:mm"))));
    }
    resizeColumnsToContents();
    const int height = horizontalHeader()->height() + std::min(10, int(prices.size())) * rowHeight(0) + 4;
    setGeometry(topLeft.x(), topLeft.y(), columnWidth(0) + columnWidth(1) + 4, height);
    show();
    raise();
}

} // namespace velmora::search
