#include "platform/spreadsheet/view/sheet_grid_model.h"

#include <QBrush>
#include <QFont>

namespace velmora::sheet {

SheetGridModel::SheetGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetGridModel::setSheet(SheetData data)
{
    beginResetModel();
    data_ = std::move(data);
    endResetModel();
}

int SheetGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : data_.values.rows();
}

int SheetGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : data_.values.columns();
}

QVariant SheetGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int column = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString text = data_.values.text(row, column);
        if (role == Qt::ToolTipRole) {
            const QString link = data_.hyperlink(row, column);
            const QString formula = data_.formula(row, column);
            return !link.isEmpty() ? link : formula.isEmpty() ? QVariant() : QVariant(formula);
        }
        return text;
    }
    case Qt::TextAlignmentRole: {
        const CellType type = data_.values.type(row, column);
        if (type == CellType::Number || type == CellType::Date)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    case Qt::ForegroundRole:
        if (data_.hyperlinkAt(row, column))
            return QBrush(Qt::blue);
        return {};
    case Qt::FontRole:
        if (data_.hyperlinkAt(row, column)) {
            QFont font;
            font.setUnderline(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant SheetGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section + 1 <= kMaxColumns ? columnLetters(section + 1) : QString();
    return section + 1;
}

} // namespace velmora::sheet
