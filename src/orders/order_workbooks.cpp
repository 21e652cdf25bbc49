// The order tab's workbooks: requests per supplier, the whole order, the
// order for the client and the purchaser's table.
#include "orders/order_exports.h"
#include "orders/order_lines.h"
#include "orders/order_workbook_parts.h"

#include "platform/spreadsheet/worksheet.h"

namespace velmora::orders {

namespace {

using namespace detail;

QString sheetName(int number, const QString& date)
{
    return QStringLiteral("Заказ ") + QString::number(number) + QStringLiteral(" от ") + date;
}

// The cells one template takes: its header from column B in row 13, the
// order number in row 8, one line on a row, and the column of the line sum
// (0: no sums, no total row).
struct StandardLayout {
    QString templateName;
    QStringList header;
    int numberColumn;
    std::function<void(sheet::Worksheet&, int row, const OrderLine&)> writeLine;
    int sumColumn;
};

// Position, article, maker and goods name open every line.
void writeLineStart(sheet::Worksheet& sheet, int row, int position, const OrderLine& line)
{
    sheet.setNumber(row, 1, position);
    sheet.setText(row, 2, line.art);
    sheet.setText(row, 3, line.textNoName);
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

// Fills the template with the client block (C8:C11), the header, the lines
// and the total, and saves it under `path` in `folder`.
void writeStandardWorkbook(const OrderExportInput& input, int number, const QVector<OrderLine>& lines,
                           const StandardLayout& layout, const QString& folder, const QString& path)
{
    sheet::Workbook book = OpenOrderTemplate(input.programFolder, layout.templateName);
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setName(sheetName(number, DottedDate(input.today)));
    for (int i = 0; i < layout.header.size(); ++i)
        sheet.setText(13, i + 2, layout.header[i]);
    sheet.setNumber(8, layout.numberColumn, number);
    sheet.setText(8, 3, input.client.name);
    sheet.setText(9, 3, input.client.address);
    sheet.setText(10, 3, input.client.phone);
    sheet.setText(11, 3, input.client.note);

    ProgressScope progress(input.progress, int(lines.size()));
    const int emptyRow = FillLineRows(
        sheet, int(lines.size()),
        [&](int row, int i) {
            writeLineStart(sheet, row, i + 1, lines[i]);
            layout.writeLine(sheet, row, lines[i]);
            if (layout.sumColumn > 0) {
                sheet.setFormulaR1C1(row, layout.sumColumn, QStringLiteral("=RC[-2]*RC[-1]"));
                MarkZeroSum(sheet, row, layout.sumColumn, lines[i].priceOut, lines[i].quantity);
            }
        },
        progress);
    if (layout.sumColumn > 0)
        writeTotalRow(sheet, emptyRow, int(lines.size()), layout.sumColumn);
    sheet.setActiveCell({4, 1});
    SaveOrderWorkbook(book, folder, path);
}

QString priceTitle(const OrderExportInput& input) { return QStringLiteral("Цена (") + input.displayCode + u')'; }

// zakaz.xlsx: every field of a line (A..K), the sum in H.
StandardLayout fullOrderLayout(const OrderExportInput& input)
{
    const OrderColumnTitles& t = input.titles;
    return {QStringLiteral("zakaz.xls"),
            {t.art, t.textNoName, t.tovar, QStringLiteral("Поставщик"), priceTitle(input), QStringLiteral("Кол-во"),
             QStringLiteral("Сумма"), t.sklad, t.garant, t.description},
            7,
            [](sheet::Worksheet& sheet, int row, const OrderLine& line) {
                sheet.setText(row, 4, line.tovar);
                sheet.setText(row, 5, line.postavshik);
                sheet.setNumber(row, 6, line.priceOut);
                sheet.setNumber(row, 7, line.quantity);
                sheet.setText(row, 9, line.sklad);
                sheet.setText(row, 10, line.garant);
                sheet.setText(row, 11, line.description);
            },
            8};
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
    const StandardLayout layout = fullOrderLayout(input);
    QStringList paths;
    for (const QString& supplier : OrderSuppliers(*input.orderDb, number)) {
        const QString path = OrderOutputPath(folder, date + u' ' + supplier, false);
        writeStandardWorkbook(input, number, ReadSupplierLines(*input.orderDb, number, supplier), layout, folder, path);
        paths << path;
    }
    return paths;
}

QString ExportZakazAll(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const QString folder = OrdersFolder(input.programFolder);
    const QString path = OrderOutputPath(folder, sheetName(number, DottedDate(input.today)), false);
    writeStandardWorkbook(input, number, ReadOrderLines(*input.orderDb, number), fullOrderLayout(input), folder, path);
    return path;
}

QString ExportZayavka(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const OrderColumnTitles& t = input.titles;
    const StandardLayout layout{QStringLiteral("zayavka.xls"),
                                {t.art, t.textNoName, t.tovar, priceTitle(input), QStringLiteral("Кол-во"),
                                 QStringLiteral("Сумма")},
                                6,
                                [](sheet::Worksheet& sheet, int row, const OrderLine& line) {
                                    sheet.setText(row, 4, line.tovar);
                                    sheet.setNumber(row, 5, line.priceOut);
                                    sheet.setNumber(row, 6, line.quantity);
                                },
                                7};
    const QString folder = RequestsFolder(input.programFolder);
    const QString path = OrderOutputPath(folder, DottedDate(input.today) + u' ' + input.client.name, false);
    writeStandardWorkbook(input, number, ReadOrderLines(*input.orderDb, number), layout, folder, path);
    return path;
}

QString ExportZakazPurchaser(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    const OrderColumnTitles& t = input.titles;
    // The price is the supplier's own, in the supplier's currency: the
    // title names no currency.
    const StandardLayout layout{QStringLiteral("Quorvel.xls"),
                                {t.art, t.textNoName, QStringLiteral("Цена закупки"), t.tovar,
                                 QStringLiteral("Поставщик"), QStringLiteral("Склад")},
                                7,
                                [&input](sheet::Worksheet& sheet, int row, const OrderLine& line) {
                                    sheet.setNumber(row, 4, purchasePrice(input.priceDb, line));
                                    sheet.setText(row, 5, line.tovar);
                                    sheet.setText(row, 6, line.postavshik);
                                    sheet.setText(row, 7, line.sklad);
                                },
                                0};
    const QString folder = RequestsFolder(input.programFolder);
    const QString path = OrderOutputPath(
        folder, input.client.name + u' ' + DottedDate(input.today) + QStringLiteral(" (c поставщиками)"), false);
    writeStandardWorkbook(input, number, ReadOrderLines(*input.orderDb, number), layout, folder, path);
    return path;
}

} // namespace velmora::orders
