// The order to one supplier from the distribution, and the list of goods
// that could not be ordered.
#include "orders/supplier_order_exports.h"

#include "orders/order_workbook_parts.h"
#include "orders/supplier_contacts.h"
#include "platform/files/ini_file.h"
#include "platform/spreadsheet/worksheet.h"
#include "storage/settings_store.h"

#include <QDir>

namespace velmora::orders {

namespace {

using namespace detail;

// [ExportZakazExcel] ArtTovarZakazAdd of Velmora_Light.ini beside the
// program: "1" puts the own article beside each row.
bool ownArticleWanted(const QString& programFolder)
{
    const QString file = QDir(programFolder).filePath(QStringLiteral("Velmora_Light.ini"));
    return ReadIniString(file, QStringLiteral("ExportZakazExcel"), QStringLiteral("0"),
                         QStringLiteral("ArtTovarZakazAdd"))
               .trimmed() == QLatin1String("1");
}

QString ownArticle(db::Connection& priceDb, qint64 code)
{
    return priceDb.scalar(QStringLiteral("SELECT Art FROM price_main WHERE Code = ?1 LIMIT 1"), {code}).toString();
}

// A text that is a plain decimal number is written as that number.
void setNumberOrText(sheet::Worksheet& sheet, int row, int column, const QString& text)
{
    try {
        if (!text.trimmed().isEmpty()) {
            sheet.setNumber(row, column, parseDecimal(text));
            return;
        }
    } catch (const SettingsError&) {
    }
    sheet.setText(row, column, text);
}

} // namespace

QString ImportErrorsFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Ошибки импорта заказов")) + u'/';
}

QString SupplierOrdersFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Orders")) + u'/';
}

QString ExportOrderPostav(const SupplierOrderInput& input, const QVector<DistributedGood>& goods,
                          const QString& supplier)
{
    const bool withOwnArticle = ownArticleWanted(input.programFolder);
    const QVector<SupplierOrderRow> rows = SupplierOrderRows(goods, supplier, input.choice);
    const SupplierContacts contacts =
        input.priceDb ? ReadSupplierContacts(*input.priceDb, supplier).value_or(SupplierContacts{}) : SupplierContacts{};
    const QString folder = SupplierOrdersFolder(input.programFolder);
    const QString path = OrderOutputPath(folder, DottedDate(input.today) + u' ' + supplier, false);

    sheet::Workbook book = OpenOrderTemplate(input.programFolder, QStringLiteral("order.xls"));
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setName((QStringLiteral("Заказ ") + input.orderNumberText).trimmed());
    sheet.setText(8, 5, input.orderNumberText);
    sheet.setText(7, 3, supplier);
    sheet.setText(8, 3, contacts.address);
    sheet.setText(9, 3, contacts.person);
    sheet.setText(10, 3, contacts.phones);
    sheet.setText(11, 2, contacts.mail);

    ProgressScope progress(input.progress, int(rows.size()));
    const int emptyRow = FillLineRows(
        sheet, int(rows.size()),
        [&](int row, int i) {
            const SupplierOrderRow& line = rows[i];
            sheet.setNumber(row, 1, i + 1);
            sheet.setText(row, 2, line.offer->art);
            sheet.setText(row, 3, line.offer->tovar);
            sheet.setNumber(row, 4, input.supplierPrices ? line.offer->price : line.good->line.priceOut);
            sheet.setNumber(row, 5, double(line.quantity));
            sheet.setFormulaR1C1(row, 6, QStringLiteral("=RC[-2]*RC[-1]"));
            if (withOwnArticle && input.priceDb)
                sheet.setText(row, 7, ownArticle(*input.priceDb, line.good->line.code));
        },
        progress);
    sheet.setFormulaR1C1(emptyRow + 1, 6, QStringLiteral("=SUM(R[-%1]C:R[-2]C)").arg(rows.size() + 1));
    sheet.setActiveCell({1, 1});
    SaveOrderWorkbook(book, folder, path);
    return path;
}

QString ExportNoTovar(const NotFoundRows& rows, const QString& fileName, const QString& templateName,
                      const QString& programFolder, const ExportProgress& progress)
{
    if (rows.isEmpty())
        return QString();
    sheet::Workbook book = OpenOrderTemplate(programFolder, templateName);
    sheet::Worksheet& sheet = book.sheet(1);
    ProgressScope steps(progress, int(rows.size()));
    FillLineRows(
        sheet, int(rows.size()),
        [&](int row, int i) {
            const NotFoundRow& line = rows[i];
            sheet.setNumber(row, 1, i + 1);
            sheet.setText(row, 2, line.art);
            sheet.setText(row, 3, line.tovar);
            setNumberOrText(sheet, row, 4, line.price);
            setNumberOrText(sheet, row, 5, line.quantity);
        },
        steps, 5);
    sheet.setActiveCell({4, 1});
    const QString folder = ImportErrorsFolder(programFolder);
    const QString path = folder + sheet::xlsxNameFor(fileName);
    SaveOrderWorkbook(book, folder, path);
    return path;
}

} // namespace velmora::orders
