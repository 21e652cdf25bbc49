#pragma once

#include <QChartView>
#include <QVector>

namespace velmora::search {

class SupplierGoodsModel;

struct PriceBar {
    QString label;  // "1 Supplier": numbered, so offers of one supplier stay apart
    double value;   // the offer's Price
};

// The bars of the first rows of the result, at most `limit`.
QVector<PriceBar> supplierPriceBars(const SupplierGoodsModel& model, int limit = 20);

// Chart_Postav: the prices of the first offers found.
class SupplierPriceChart : public QChartView {
    Q_OBJECT
public:
    explicit SupplierPriceChart(QWidget* parent = nullptr);

    void DrawSupplierPriceChart(const SupplierGoodsModel& model);
    const QVector<PriceBar>& bars() const { return bars_; }

private:
    QVector<PriceBar> bars_;
};

} // namespace velmora::search
