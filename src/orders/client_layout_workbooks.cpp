// The workbooks of the client layout mode: supplier requests with the price
// left for the supplier, and the purchase workbook of the order.
#include "orders/order_exports.h"
#include "orders/order_lines.h"
#include "orders/order_workbook_parts.h"
#include "orders/supplier_contacts.h"

#include "platform/files/error_text.h"
#include "platform/spreadsheet/worksheet.h"
#include "storage/value_helpers.h"

namespace velmora::orders {

namespace {

using namespace detail;

// The client names the layouts are made for.
bool isLayoutClient(const QString& clientName)
{
    const QString upper = clientName.toUpper();
    return upper.contains(QStringLiteral("ТАЛЬВЕРОН")) || upper.contains(QStringLiteral("МИРВЕНА"));
}

// One workbook of a template in client/: named `name` (blanks kept, the
// suffix also in the sheet name "Заказ_2 от ..."), its fixed cells written
// by `writeHead`, the lines from row 14 with the sum in G and its subtotal
// two rows below them. Returns the path saved.
QString writeLayoutWorkbook(const OrderExportInput& input, const QString& templateName, const QString& folder,
                            const QString& name, const std::function<void(sheet::Worksheet&)>& writeHead,
                            const QVector<OrderLine>& lines,
                            const std::function<void(sheet::Worksheet&, int row, int position, const OrderLine&)>& writeLine)
{
    const QString date = DottedDate(input.today);
    QString suffix;
    const QString path = OrderOutputPath(folder, name, true, &suffix);
    sheet::Workbook book = OpenOrderTemplate(input.programFolder, QStringLiteral("client/") + templateName);
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setName(QStringLiteral("Заказ") + suffix + QStringLiteral(" от ") + date);
    writeHead(sheet);
    ProgressScope progress(input.progress, int(lines.size()));
    const int emptyRow = FillLineRows(
        sheet, int(lines.size()),
        [&](int row, int i) {
            writeLine(sheet, row, i + 1, lines[i]);
            sheet.setFormulaR1C1(row, 7, QStringLiteral("=RC[-2]*RC[-1]"));
            MarkZeroSum(sheet, row, 7, lines[i].priceOut, lines[i].quantity);
        },
        progress);
    sheet.setFormulaR1C1(emptyRow + 1, 7, SubtotalFormula(int(lines.size())));
    sheet.setActiveCell({13, 1});
    SaveOrderWorkbook(book, folder, path);
    return path;
}

// A supplier's contacts; empty texts when it has none.
SupplierContacts readContacts(db::Connection* priceDb, const QString& supplier)
{
    if (!priceDb)
        return {};
    try {
        return ReadSupplierContacts(*priceDb, supplier).value_or(SupplierContacts{});
    } catch (const std::exception&) {
        // The contacts are a courtesy: a request without them is still sent.
    }
    return {};
}

QString writeSupplierRequest(const OrderExportInput& input, int number, const QString& supplier)
{
    const SupplierContacts contacts = readContacts(input.priceDb, supplier);
    const QString name = QStringLiteral("Заявка поставщику _") + input.layoutNumberText + QStringLiteral("_ ") +
                         supplier + u' ' + DottedDate(input.today) + u' ' + input.client.name;
    return writeLayoutWorkbook(
        input, QStringLiteral("zakaz.xls"), OrdersFolder(input.programFolder), name,
        [&](sheet::Worksheet& sheet) {
            sheet.setText(2, 3, input.client.name);
            sheet.setText(3, 3, input.client.phone);
            sheet.setText(4, 3, input.client.note);
            sheet.setText(6, 3, supplier);
            sheet.setText(6, 8, input.layoutNumberText);
            sheet.setText(7, 3, contacts.person);
            sheet.setText(8, 3, contacts.phones);
            sheet.setText(9, 3, contacts.mail);
            sheet.setText(11, 3, input.client.address);
        },
        ReadSupplierLines(*input.orderDb, number, supplier),
        // The price column E stays empty for the supplier to fill.
        [](sheet::Worksheet& sheet, int row, int position, const OrderLine& line) {
            sheet.setNumber(row, 1, position);
            sheet.setText(row, 2, line.art);
            sheet.setText(row, 3, line.tovar);
            sheet.setText(row, 4, line.description);
            sheet.setNumber(row, 6, line.quantity);
        });
}

} // namespace

SupplierRequests ExportZakazPostavClient(const OrderExportInput& input)
{
    const int number = ExportedOrderNumber(input);
    if (!isLayoutClient(input.client.name))
        throw OrderExportError(kWrongLayoutClientMessage);
    SupplierRequests result;
    for (const QString& supplier : OrderSuppliers(*input.orderDb, number)) {
        try {
            result.paths << writeSupplierRequest(input, number, supplier);
        } catch (const std::exception& error) {
            // One supplier's failure does not stop the others; the caller
            // names the ones left out.
            result.failed << supplier + QStringLiteral(": ") + ErrorText(error);
        }
    }
    return result;
}

QString ExportZayavkaClient(const OrderExportInput& input, int templateIndex)
{
    const int number = ExportedOrderNumber(input);
    if (templateIndex != 0 && templateIndex != 1)
        throw OrderExportError(kNoLayoutTemplateMessage);
    const QString name = QStringLiteral("ЗАКУП _") + input.layoutNumberText + QStringLiteral("_ ЖВ ") +
                         DottedDate(input.today) + QStringLiteral("  ") + input.client.name;
    return writeLayoutWorkbook(
        input, templateIndex == 0 ? QStringLiteral("zayavka.xls") : QStringLiteral("zayavka2.xls"),
        RequestsFolder(input.programFolder), name,
        [&](sheet::Worksheet& sheet) {
            sheet.setText(5, 7, QStringLiteral("Заказ ") + input.layoutNumberText);
            sheet.setValue(5, 6, sheet::CellValue::date(QDateTime(input.today, QTime(0, 0))));
            sheet.setText(5, 3, input.client.name);
            sheet.setText(6, 3, input.client.address);
            sheet.setText(7, 3, input.client.phone);
            sheet.setText(8, 3, input.client.note);
        },
        ReadOrderLines(*input.orderDb, number),
        [](sheet::Worksheet& sheet, int row, int position, const OrderLine& line) {
            sheet.setNumber(row, 1, position);
            sheet.setText(row, 2, line.tovar);
            sheet.setText(row, 3, line.description);
            sheet.setText(row, 4, line.garant);
            sheet.setNumber(row, 5, line.quantity);
            sheet.setNumber(row, 6, line.priceOut);
            sheet.setNumber(row, 8, line.pricemax);
            sheet.setNumber(row, 9, line.price);
            sheet.setNumber(row, 10, RoundValue(4, line.priceOut - line.price)); // the margin per unit
            sheet.setText(row, 12, line.textNoName);
            sheet.setText(row, 13, line.postavshik);
            sheet.setText(row, 14, line.art);
        });
}

} // namespace velmora::orders
