#include "orders/order_workbook_parts.h"

#include "orders/order_numbers.h"
#include "platform/files/file_helpers.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/templates.h"
#include "storage/value_helpers.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::orders {

QString OrderOutputPath(const QString& folder, const QString& name, bool keepBlanks, QString* suffix)
{
    const QString stem = ReplaceFileNameCharacters(name.trimmed(), !keepBlanks);
    return FreeNumberedFileName(folder, stem, QStringLiteral(".xlsx"), suffix);
}

QString OrdersFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Заказы")) + u'/';
}

QString RequestsFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Заявки")) + u'/';
}

namespace detail {

int ExportedOrderNumber(const OrderExportInput& input)
{
    int number = 0;
    if (!ParseOrderNumber(input.orderNumberText, &number))
        throw OrderExportError(kBadOrderNumberMessage);
    return number;
}

QString DottedDate(const QDate& date)
{
    return DateToDottedText(QDateTime(date, QTime(0, 0)));
}

sheet::Workbook OpenOrderTemplate(const QString& programFolder, const QString& name)
{
    try {
        return sheet::Workbook::openTemplate(sheet::templatePath(programFolder, name));
    } catch (const sheet::SheetError& error) {
        throw OrderExportError(error.message());
    }
}

void SaveOrderWorkbook(const sheet::Workbook& book, const QString& folder, const QString& path)
{
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw OrderExportError(QStringLiteral("Невозможно создать директорию ") + folder);
    try {
        book.saveAs(path);
    } catch (const sheet::SheetError& error) {
        throw OrderExportError(error.message());
    }
}

ProgressScope::ProgressScope(const ExportProgress& progress, int steps) : progress_(progress)
{
    if (progress_.begin)
        progress_.begin(steps);
}

ProgressScope::~ProgressScope()
{
    if (progress_.finish)
        progress_.finish();
}

void ProgressScope::step()
{
    if (progress_.step)
        progress_.step();
}

int FillLineRows(sheet::Worksheet& sheet, int count, const std::function<void(int row, int index)>& writeLine,
                 ProgressScope& progress, int firstRow)
{
    int row = firstRow;
    for (int index = 0; index < count; ++index) {
        sheet.insertRowCopy(row, row + 1);
        writeLine(row, index);
        progress.step();
        ++row;
    }
    sheet.deleteRows(row);
    return row;
}

QString SubtotalFormula(int lineCount)
{
    return QStringLiteral("=SUBTOTAL(9,R[-%1]C:R[-2]C)").arg(lineCount + 1);
}

void MarkZeroSum(sheet::Worksheet& sheet, int row, int column, double priceOut, double quantity)
{
    if (priceOut * quantity == 0)
        sheet.cells(row, column).setBold(true);
}

} // namespace detail
} // namespace velmora::orders
