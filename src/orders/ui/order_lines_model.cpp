#include "orders/ui/order_lines_model.h"

#include "storage/value_helpers.h"

namespace velmora::orders {

namespace {

std::optional<LineField> editedField(int column)
{
    switch (column) {
    case OrderLinesModel::Tovar: return LineField::Tovar;
    case OrderLinesModel::PriceOut: return LineField::PriceOut;
    case OrderLinesModel::Quantity: return LineField::Quantity;
    case OrderLinesModel::Postavshik: return LineField::Postavshik;
    default: return std::nullopt;
    }
}

} // namespace

OrderLinesModel::OrderLinesModel(QObject* parent) : QAbstractTableModel(parent) {}

void OrderLinesModel::setLines(QVector<OrderLine> lines)
{
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

int OrderLinesModel::rowOf(qint64 lineId) const
{
    for (int row = 0; row < lines_.size(); ++row)
        if (lines_[row].id == lineId)
            return row;
    return -1;
}

qint64 OrderLinesModel::lineIdAt(int row) const
{
    return row >= 0 && row < lines_.size() ? lines_[row].id : 0;
}

int OrderLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(lines_.size());
}

int OrderLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OrderLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= lines_.size())
        return {};
    const OrderLine& line = lines_[index.row()];
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == PriceOut || index.column() == Quantity || index.column() == Summa)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (index.column() == Delete)
            return int(Qt::AlignCenter);
        return {};
    }
    if (role == Qt::ToolTipRole && index.column() == Delete)
        return QStringLiteral("Удалить данную позицию");
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Art: return line.art;
    case Tovar: return line.tovar;
    case PriceOut: return LinePriceText(line);
    case Quantity: return RoundedDecimalText(line.quantity, 4, u',');
    case Summa: return LineSumText(line);
    case Postavshik: return line.postavshik;
    case Delete: return QStringLiteral(" X ");
    }
    return {};
}

QVariant OrderLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Art: return QStringLiteral("Артикул");
    case Tovar: return QStringLiteral("Товар");
    case PriceOut: return QStringLiteral("Цена");
    case Quantity: return QStringLiteral("Кол-во");
    case Summa: return QStringLiteral("Сумма");
    case Postavshik: return QStringLiteral("Поставщик");
    case Delete: return QString();
    }
    return {};
}

Qt::ItemFlags OrderLinesModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (editedField(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool OrderLinesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const std::optional<LineField> field = editedField(index.column());
    if (role != Qt::EditRole || !field || index.row() >= lines_.size())
        return false;
    const QString text = value.toString();
    if (text == data(index, Qt::EditRole).toString())
        return true;
    if (!write_ || !write_(lines_[index.row()].id, *field, text))
        return false;
    OrderLine& line = lines_[index.row()];
    switch (*field) {
    case LineField::Tovar: line.tovar = text; break;
    case LineField::Postavshik: line.postavshik = text; break;
    case LineField::PriceOut: line.priceOut = ParseOrderDecimal(text); break;
    case LineField::Quantity: line.quantity = ParseOrderDecimal(text); break;
    }
    emit dataChanged(index, this->index(index.row(), Summa));
    return true;
}

} // namespace velmora::orders
