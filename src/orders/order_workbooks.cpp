// The order tab's workbooks: requests per supplier, the whole order, the
// order for the client and the purchaser's table.
#include "orders/order_exports.h"
#include "orders/order_lines.h"
#include "orders/order_workbook_parts.h"

#include "platform/spreadsheet/worksheet.h"

namespace velmora::orders {

namespace {

using namespace detail;

QString priceTitle(const OrderExportInput& input) { return QStringLiteral("Цена (") + input.displayCode + u')'; }

QString sheetName(int number, const QString& date)
{
    return QStringLiteral("Заказ ") + QString::number(number) + QStringLiteral(" от ") + date;
}

// Row 8: the order number in `numberColumn`, the client in C8:C11.
void writeClientBlock(sheet::Worksheet& sheet, const OrderExportInput& input, int number, int numberColumn)
{
    sheet.setNumber(8, numberColumn, number);
    sheet.setText(8, 3, input.client.name);
    sheet.setText(9, 3, input.client.address);
    sheet.setText(10, 3, input.client.phone);
    sheet.setText(11, 3, input.client.note);
}

void writeHeader(sheet::Worksheet& sheet, const QStringList& titles)
{
    for (int i = 0; i < titles.size(); ++i)
        sheet.setText(13, i + 2, titles[i]);
}

// "Итого:" and the subtotal one row below the empty row after the lines;
// the row bold, size 10, black, the sum centred.
void writeTotalRow(sheet::Worksheet& sheet, int emptyRow, int lineCount, int sumColumn)
{
    const int row = emptyRow + 1;
    sheet.setText(row, sumColumn - 1, QStringLiteral("Итого:"));
    sheet.setFormulaR1C1(row, sumColumn, SubtotalFormula(lineCount));
    sheet::Range total = sheet.rows(row, row);
    total.setBold(true);
    total.setFontSize(10);
    total.setFontColor(sheet::Color::fromBgr(0));
    sheet.cells(row, sumColumn).setHorizontalAlignment(sheet::HAlign::Center);
}

// The full line of the supplier requests and the whole order (A..K).
void writeFullLine(sheet::Worksheet& sheet, int row, int position, const OrderLine& line)
{
    sheet.setNumber(row, 1, position);
    sheet.setText(row, 2, line.art);
    sheet.setText(row, 3, line.textNoName);
    sheet.setText(row, 4, line.tovar);
    sheet.setText(row, 5, line.postavshik);
    sheet.setNumber(row, 6, line.priceOut);
    sheet.setNumber(row, 7, line.quantity);
    sheet.setFormulaR1C1(row, 8, QStringLiteral("=RC[-2]*RC[-1]"));
    sheet.setText(row, 9, line.sklad);
    sheet.setText(row, 10, line.garant);
    sheet.setText(row, 11, line.description);
    MarkZeroSum(sheet, row, 8, line.priceOut, line.quantity);
}

// One workbook of zakaz.xlsx with the lines; saved under `path`.
void writeFullOrderWorkbook(const OrderExportInput& input, int number, const QVector<OrderLine>& lines,
                            const QString& path)
{
    sheet::Workbook book = OpenOrderTemplate(input.programFolder, QStringLiteral("zakaz.xls"));
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setName(sheetName(number, DottedDate(input.today)));
    const OrderColumnTitles& t = input.titles;
    writeHeader(sheet, {t.art, t.textNoName, t.tovar, QStringLiteral("Поставщик"), priceTitle(input),
                        QStringLiteral("Кол-во"), QStringLiteral("Сумма"), t.sklad, t.garant, t.description});
    writeClientBlock(sheet, input, number, 7);
    ProgressScope progress(input.progress, int(lines.size()));
    const int emptyRow = FillLineRows(
        sheet, int(lines.size()), [&](int row, int i) { writeFullLine(sheet, row, i + 1, lines[i]); }, progress);
    writeTotalRow(sheet, emptyRow, int(lines.size()), 8);
    sheet.setActiveCell({4, 1});
    SaveOrderWorkbook(book, OrdersFolder(input.programFolder), path);
}

// The purchase price of a line: the supplier's own price of the offer's
// currency row, or the line's purchase price when the offer has none.
double purchasePrice(db::Connection* priceDb, const OrderLine& line)
{
    if (priceDb && line.tovarNumber > 0) {
        db::Statement select =
            priceDb->prepare(QStringLiteral("SELECT Price FROM AllTovarValuta WHERE ID_Tovar = ?1 LIMIT 1"));
        select.bindInt(1, line.tovarNumber);
        if (select.step())
            return select.number(0);
    }
    return line.price;
}

} // namespace

QStringList ExportZakazPostav(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const QString date = DottedDate(input.today);
    const QString folder = OrdersFolder(input.programFolder);
    QStringList paths;
    for (const QString& supplier : OrderSuppliers(*input.orderDb, number)) {
        const QVector<OrderLine> lines = ReadSupplierLines(*input.orderDb, number, supplier);
        const QString path = OrderOutputPath(folder, date + u' ' + supplier, false);
        writeFullOrderWorkbook(input, number, lines, path);
        paths << path;
    }
    return paths;
}

QString ExportZakazAll(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const QVector<OrderLine> lines = ReadOrderLines(*input.orderDb, number);
    const QString path =
        OrderOutputPath(OrdersFolder(input.programFolder), sheetName(number, DottedDate(input.today)), false);
    writeFullOrderWorkbook(input, number, lines, path);
    return path;
}

QString ExportZayavka(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const QVector<OrderLine> lines = ReadOrderLines(*input.orderDb, number);
    const QString date = DottedDate(input.today);
    sheet::Workbook book = OpenOrderTemplate(input.programFolder, QStringLiteral("zayavka.xls"));
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setName(sheetName(number, date));
    const OrderColumnTitles& t = input.titles;
    writeHeader(sheet, {t.art, t.textNoName, t.tovar, priceTitle(input), QStringLiteral("Кол-во"),
                        QStringLiteral("Сумма")});
    writeClientBlock(sheet, input, number, 6);
    ProgressScope progress(input.progress, int(lines.size()));
    const int emptyRow = FillLineRows(
        sheet, int(lines.size()),
        [&](int row, int i) {
            const OrderLine& line = lines[i];
            sheet.setNumber(row, 1, i + 1);
            sheet.setText(row, 2, line.art);
            sheet.setText(row, 3, line.textNoName);
            sheet.setText(row, 4, line.tovar);
            sheet.setNumber(row, 5, line.priceOut);
            sheet.setNumber(row, 6, line.quantity);
            sheet.setFormulaR1C1(row, 7, QStringLiteral("=RC[-2]*RC[-1]"));
            MarkZeroSum(sheet, row, 7, line.priceOut, line.quantity);
        },
        progress);
    writeTotalRow(sheet, emptyRow, int(lines.size()), 7);
    sheet.setActiveCell({4, 1});
    const QString folder = RequestsFolder(input.programFolder);
    const QString path = OrderOutputPath(folder, date + u' ' + input.client.name, false);
    SaveOrderWorkbook(book, folder, path);
    return path;
}

QString ExportZakazPurchaser(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const QVector<OrderLine> lines = ReadOrderLines(*input.orderDb, number);
    const QString date = DottedDate(input.today);
    sheet::Workbook book = OpenOrderTemplate(input.programFolder, QStringLiteral("Quorvel.xls"));
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setName(sheetName(number, date));
    const OrderColumnTitles& t = input.titles;
    // The price is the supplier's own, in the supplier's currency: the
    // title names no currency.
    writeHeader(sheet, {t.art, t.textNoName, QStringLiteral("Цена закупки"), t.tovar, QStringLiteral("Поставщик"),
                        QStringLiteral("Склад")});
    writeClientBlock(sheet, input, number, 7);
    ProgressScope progress(input.progress, int(lines.size()));
    FillLineRows(
        sheet, int(lines.size()),
        [&](int row, int i) {
            const OrderLine& line = lines[i];
            sheet.setNumber(row, 1, i + 1);
            sheet.setText(row, 2, line.art);
            sheet.setText(row, 3, line.textNoName);
            sheet.setNumber(row, 4, purchasePrice(input.priceDb, line));
            sheet.setText(row, 5, line.tovar);
            sheet.setText(row, 6, line.postavshik);
            sheet.setText(row, 7, line.sklad);
        },
        progress);
    sheet.setActiveCell({4, 1});
    const QString folder = RequestsFolder(input.programFolder);
    const QString path =
        OrderOutputPath(folder, input.client.name + u' ' + date + QStringLiteral(" (c поставщиками)"), false);
    SaveOrderWorkbook(book, folder, path);
    return path;
}

} // namespace velmora::orders
