#include "platform/spreadsheet/xlsx_sheet_parser.h"

#include "platform/spreadsheet/cell_value.h"

#include <QDateTime>
#include <cmath>

namespace velmora::sheet::xlsx {

// ---- sheet part

double isoToDayNumber(const std::string& text)
{
    QDateTime dt = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(QString::fromStdString(text), Qt::ISODate), QTime(0, 0));
    return dt.isValid() ? toDayNumber(dt) : 0;
}

// The file stores a column's width with the cell padding included; the
// spreadsheet's ColumnWidth (and the writer's input) is in characters of
// the default font's digit width, 7 pixels plus 5 pixels padding.
double userWidth(double fileWidth)
{
    if (fileWidth <= 0)
        return fileWidth;
    const int pixels = int(fileWidth * 7 + 0.5);
    const double characters = pixels >= 12 ? (pixels - 5) / 7.0 : pixels / 12.0;
    return std::round(characters * 100) / 100;
}

} // namespace velmora::sheet::xlsx
