#pragma once

#include "orders/order_lines.h"

#include <QAbstractTableModel>
#include <QVector>

#include <functional>

namespace velmora::orders {

// The rows of the line grid DBCtrlGrid_Zakaz: one order line each, with the
// article, the editable name, sale price, quantity and supplier, the line
// sum, and the " X " that deletes the line.
class OrderLinesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Art, Tovar, PriceOut, Quantity, Summa, Postavshik, Delete, ColumnCount };

    // Writes one edited field of a line; false when it was refused (the
    // writer has told the user why).
    using FieldWriter = std::function<bool(qint64 lineId, LineField field, const QString& text)>;

    explicit OrderLinesModel(QObject* parent = nullptr);

    void setFieldWriter(FieldWriter writer) { write_ = std::move(writer); }
    void setLines(QVector<OrderLine> lines);
    const QVector<OrderLine>& lines() const { return lines_; }
    // The row of a line ID; -1 when the order has no such line.
    int rowOf(qint64 lineId) const;
    qint64 lineIdAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    QVector<OrderLine> lines_;
    FieldWriter write_;
};

} // namespace velmora::orders
