#include "platform/spreadsheet/view/sheet_grid_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace velmora::sheet {

SheetGridModel::SheetGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetGridModel::setSheet(SheetData data, SheetLook look)
{
    beginResetModel();
    data_ = std::move(data);
    look_ = std::move(look);
    endResetModel();
}

void SheetGridModel::setSpareCells(int rows, int columns)
{
    beginResetModel();
    spareRows_ = qMax(0, rows);
    spareColumns_ = qMax(0, columns);
    endResetModel();
}

int SheetGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : qMin(data_.values.rows() + spareRows_, kMaxRows);
}

int SheetGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : qMin(data_.values.columns() + spareColumns_, kMaxColumns);
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
    case Qt::ForegroundRole: {
        if (data_.hyperlinkAt(row, column))
            return QBrush(Qt::blue);
        const Color color = look_.style(row, column).font.color;
        if (color == Color())
            return {};
        return QBrush(QColor::fromRgb(QRgb(color.rgb())));
    }
    case Qt::BackgroundRole: {
        const std::optional<Color> fill = look_.style(row, column).fill;
        if (!fill)
            return {};
        return QBrush(QColor::fromRgb(QRgb(fill->rgb())));
    }
    case Qt::FontRole: {
        const Font& own = look_.style(row, column).font;
        const bool link = data_.hyperlinkAt(row, column) != nullptr;
        if (!link && !own.bold && !own.italic && !own.underline)
            return {};
        QFont font;
        font.setBold(own.bold);
        font.setItalic(own.italic);
        font.setUnderline(own.underline || link);
        return font;
    }
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
