#pragma once

#include "orders/order_distribution.h"

#include <QAbstractTableModel>

#include <utility>
#include <vector>

namespace velmora::orders {

// The goods grid of the distribution window (DBGrid_ZakazTovarSel): one row
// per good and supplier that holds units or a "-" mark, in the order's
// order; a good whose units do not reach its quantity is drawn red.
class DistributionGoodsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Art, Tovar, Units, Purchase, Sale, Supplier, ColumnCount };

    explicit DistributionGoodsModel(QObject* parent = nullptr);

    // The goods are the caller's and must outlive the model's use of them;
    // `rate` converts the purchase prices as the sale prices were.
    void reset(const QVector<DistributedGood>* goods, double rate, int roundDigits);

    const DistributedGood* goodAt(int row) const;
    const SupplierOffer* offerAt(int row) const;
    // The row of a good (by Zakaz Id) and supplier; the good's first row
    // when the supplier has none; -1 when the good has no row.
    int rowOf(qint64 zakazId, const QString& supplier) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QVector<DistributedGood>* goods_ = nullptr;
    std::vector<std::pair<int, int>> rows_; // good, offer
    double rate_ = 1;
    int roundDigits_ = 2;
};

// The supplier grid of the current good (DBGrid_PostavZakaz): its offers,
// cheapest first; an offer holding units is drawn on light blue.
class SupplierOffersModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Price, Supplier, Sklad, ColumnCount };

    explicit SupplierOffersModel(QObject* parent = nullptr);

    void reset(const DistributedGood* good, int roundDigits);
    const SupplierOffer* offerAt(int row) const;
    int rowOf(const QString& supplier) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const DistributedGood* good_ = nullptr;
    int roundDigits_ = 2;
};

// A price as the grids show it: rounded, with a decimal comma.
QString DistributionPriceText(double value, int roundDigits);

} // namespace velmora::orders
