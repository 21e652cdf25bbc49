#pragma once

// Pieces every order workbook is made of; used by the exporters only.

#include "orders/order_exports.h"
#include "platform/spreadsheet/workbook.h"

#include <QString>

#include <functional>

namespace velmora::orders::detail {

// The first line row of every order template; the row below it stays empty
// and the one after holds the total.
inline constexpr int kFirstLineRow = 14;

// The order number of the list's text; throws the "Неверный номер заказа"
// error when it is no integer.
int ExportedOrderNumber(const OrderExportInput& input);
// "dd.MM.yyyy".
QString DottedDate(const QDate& date);

// Opens a template of the program folder ("zakaz.xls" stands for
// "zakaz.xlsx"); throws OrderExportError with the layer's message naming
// the file when it is missing or unreadable.
sheet::Workbook OpenOrderTemplate(const QString& programFolder, const QString& name);
// Creates the folder when missing, then saves the workbook under `path`;
// throws "Невозможно создать директорию " + folder, or the save's message.
void SaveOrderWorkbook(const sheet::Workbook& book, const QString& folder, const QString& path);

// The wait window for one workbook: begun with the line count, finished
// when the scope ends, whatever happens.
class ProgressScope {
public:
    ProgressScope(const ExportProgress& progress, int steps);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void step();

private:
    const ExportProgress& progress_;
};

// Writes `count` lines from `firstRow` (the template's line row): before
// each line the row is copied below itself, so the next line has the
// template's formats; `writeLine` fills line `index` (from 0) on `row`. The
// spare copy is deleted at the end. Returns the row after the lines (in the
// order templates the empty row; the total row is the one below it).
int FillLineRows(sheet::Worksheet& sheet, int count, const std::function<void(int row, int index)>& writeLine,
                 ProgressScope& progress, int firstRow = kFirstLineRow);

// The total of the line rows above, written on the row one below the empty
// row after the lines: "=SUBTOTAL(9,R[-(count+1)]C:R[-2]C)".
QString SubtotalFormula(int lineCount);

// Makes the cell bold when the line's sum is 0.
void MarkZeroSum(sheet::Worksheet& sheet, int row, int column, double priceOut, double quantity);

} // namespace velmora::orders::detail
