#include "sheet_cells.h"

#include "storage/price_text.h"

namespace velmora::catalogue {

QString importCellText(const sheet::ValueBlock& cells, int row, int column)
{
    if (column <= 0)
        return QString();
    return cells.value(row, column).toText().trimmed();
}

double importCellNumber(const sheet::ValueBlock& cells, int row, int column, bool* present)
{
    const sheet::CellValue value = column > 0 ? cells.value(row, column) : sheet::CellValue();
    if (present)
        *present = !value.isEmpty() && !(value.isText() && value.textValue().trimmed().isEmpty());
    if (value.isNumber())
        return value.toNumber();
    if (value.isText())
        return ParsePriceText(value.textValue().trimmed()).value;
    return 0;
}

} // namespace velmora::catalogue
