#include "supplier_price_chart.h"

#include "supplier_goods_model.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

namespace velmora::search {

QVector<PriceBar> supplierPriceBars(const SupplierGoodsModel& model, int limit)
{
    QVector<PriceBar> bars;
    const int rows = std::min(limit, model.rowCount());
    for (int row = 0; row < rows; ++row) {
        bars.push_back({QStringLiteral("%1 %2").arg(row + 1).arg(model.field(row, QStringLiteral("Postavshik")).toString()),
                        model.field(row, QStringLiteral("Price")).toDouble()});
    }
    return bars;
}

SupplierPriceChart::SupplierPriceChart(QWidget* parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("Chart_Postav"));
    chart()->setTitle(QStringLiteral("Сравнение стоимости товаров у поставщиков"));
    chart()->legend()->hide();
}

void SupplierPriceChart::DrawSupplierPriceChart(const SupplierGoodsModel& model)
{
    bars_ = supplierPriceBars(model);
    QChart* c = chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes())
        c->removeAxis(axis);
    auto* set = new QBarSet(QString());
    QStringList labels;
    for (const PriceBar& bar : bars_) {
        *set << bar.value;
        labels << bar.label;
    }
    auto* series = new QBarSeries;
    series->append(set);
    c->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    c->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    auto* values = new QValueAxis;
    c->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
}

} // namespace velmora::search
