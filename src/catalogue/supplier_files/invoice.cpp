#include "invoice.h"

#include "platform/files/file_helpers.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/value_helpers.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::catalogue {

const QString kInvoiceLoadedText = QStringLiteral("Загрузка завершена ");

namespace {

constexpr int kFirstLineRow = 6;
constexpr int kLastColumn = 7;

} // namespace

Invoice recogniseInvoice(db::Connection& priceDb, const QString& supplier, const SupplierFileRead& read,
                         bool byArticle)
{
    Invoice invoice;
    invoice.number = read.number;
    CorrespondenceFinder finder(priceDb, supplier);
    db::Statement good =
        priceDb.prepare(QStringLiteral("SELECT ifnull(Art, ''), ifnull(Tovar, '') FROM price_main WHERE Code = ?1"));
    std::vector<InvoiceLine> others;
    for (const SupplierFileRow& row : read.rows) {
        InvoiceLine line{kUnrecognisedArt, row.art, row.tovar, row.price, row.quantity, false};
        if (const qint64 code = finder.find(row.art, row.tovar, byArticle); code != 0) {
            good.bindInt(1, code);
            if (good.step()) {
                line.ownArt = good.text(0);
                line.name = good.text(1);
                line.recognised = true;
            }
            good.reset();
        }
        (line.recognised ? invoice.lines : others).push_back(line);
    }
    invoice.recognised = int(invoice.lines.size());
    invoice.lines.insert(invoice.lines.end(), others.begin(), others.end());
    return invoice;
}

QString exportInvoice(const Invoice& invoice, const QString& supplier, const QString& programFolder,
                      const QDate& today, Progress* progress)
{
    const QString date = DateToDottedText(QDateTime(today, QTime(0, 0)));
    sheet::Workbook book;
    try {
        book = sheet::Workbook::openTemplate(sheet::templatePath(programFolder, QStringLiteral("invoice.xls")));
    } catch (const sheet::SheetError& e) {
        throw InvoiceExportError(e.message());
    }
    sheet::Worksheet& ws = book.sheet(1);
    ws.setName(QStringLiteral("Накладные от ") + date);
    ws.setText(3, 3, supplier);
    ws.setText(3, 7, invoice.number);
    const std::optional<sheet::Color> fill = ws.style(kFirstLineRow, 1).fill;

    const int count = int(invoice.lines.size());
    struct Finish {
        Progress* progress;
        ~Finish() { finishProgress(progress); }
    } finish{progress};
    startProgress(progress, QString(), count);
    for (int n = 1; n <= count; ++n) {
        const InvoiceLine& line = invoice.lines[size_t(n - 1)];
        const int row = kFirstLineRow - 1 + n;
        ws.setNumber(row, 1, n);
        ws.setText(row, 2, line.ownArt);
        ws.setText(row, 3, line.supplierArt);
        ws.setText(row, 4, line.name);
        ws.setNumber(row, 5, line.price);
        ws.setNumber(row, 6, line.quantity);
        ws.setFormulaR1C1(row, 7, QStringLiteral("=RC[-2]*RC[-1]"));
        stepProgress(progress);
    }
    const int last = kFirstLineRow - 1 + count;
    if (count > 0) {
        sheet::Range block = ws.range(sheet::CellRef{kFirstLineRow, 1}, sheet::CellRef{last, kLastColumn});
        if (fill)
            block.setFillColor(*fill);
        block.setFontSize(8);
        for (sheet::BorderEdge edge : {sheet::BorderEdge::Left, sheet::BorderEdge::Top, sheet::BorderEdge::Bottom,
                                       sheet::BorderEdge::Right, sheet::BorderEdge::InsideVertical,
                                       sheet::BorderEdge::InsideHorizontal})
            block.setBorder(edge, sheet::LineStyle::Continuous, sheet::BorderWeight::Thin);
        for (int column : {5, 7})
            ws.range(sheet::CellRef{kFirstLineRow, column}, sheet::CellRef{last, column})
                .setNumberFormat(QStringLiteral("0.00"));
        for (int column : {1, 5, 6, 7})
            ws.range(sheet::CellRef{kFirstLineRow, column}, sheet::CellRef{last, column})
                .setHorizontalAlignment(sheet::HAlign::Center);
        for (int n = 1; n <= count; ++n) {
            const InvoiceLine& line = invoice.lines[size_t(n - 1)];
            if (line.price * line.quantity == 0)
                ws.cells(kFirstLineRow - 1 + n, 6).setBold(true);
        }
    }
    const int totalRow = last + 2;
    ws.setText(totalRow, 6, QStringLiteral("Итого:"));
    ws.setFormulaR1C1(totalRow, 7, QStringLiteral("=SUM(R[-%1]C:R[-2]C)").arg(count + 1));
    sheet::Range total = ws.range(sheet::CellRef{totalRow, 1}, sheet::CellRef{totalRow, kLastColumn});
    total.setBold(true);
    total.setFontSize(10);
    total.setFontColor(sheet::Color());
    ws.cells(totalRow, 7).setHorizontalAlignment(sheet::HAlign::Center);
    ws.cells(totalRow, 7).setNumberFormat(QStringLiteral("0.00"));
    ws.setActiveCell(sheet::CellRef{1, 1});

    const QString folder = QDir(programFolder).filePath(QStringLiteral("Накладные"));
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw InvoiceExportError(QStringLiteral("Невозможно создать директорию ") + folder);
    const QString path = FreeNumberedFileName(
        folder + u'/', ReplaceFileNameCharacters(supplier.trimmed() + u' ' + date), QStringLiteral(".xlsx"));
    try {
        book.saveAs(path);
    } catch (const sheet::SheetError& e) {
        throw InvoiceExportError(e.message());
    }
    return path;
}

} // namespace velmora::catalogue
