#include "orders/comparison_sheet.h"

#include "orders/order_workbook_parts.h"
#include "platform/db/text_functions.h"
#include "platform/files/file_helpers.h"
#include "platform/files/ini_file.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/value_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace velmora::orders {

namespace {

using namespace detail;

const QString kTemplateNames = QStringLiteral("TemplateName");
const QString kTemplateActive = QStringLiteral("TemplateActive");

QString fileSection(const QString& name) { return QStringLiteral("FileExcel ") + name; }
QString supplierSection(const QString& name) { return QStringLiteral("Postav ") + name; }

QString read(const QString& iniPath, const QString& section, const QString& key, const QString& defaultValue)
{
    return ReadIniString(iniPath, section, defaultValue, key);
}

QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

// The supplier block of the template and the sheet's first line row.
constexpr int kBlockColumn = 5; // E
constexpr int kBlockWidth = 3;  // E:G
constexpr int kNameRow = 4;
constexpr int kFirstRow = 7;

// The template file: a name ending in ".xls" stands for the ".xlsx" the
// program ships when only that one exists.
QString templateFile(const QString& path)
{
    if (!QFileInfo(path).isFile() && QFileInfo(sheet::xlsxNameFor(path)).isFile())
        return sheet::xlsxNameFor(path);
    return path;
}

// Copies the E:G block before itself, so that E:G holds a copy and the
// block moves right by three columns.
void insertBlockCopy(sheet::Worksheet& sheet)
{
    for (int i = 0; i < kBlockWidth; ++i)
        sheet.insertColumnCopy(kBlockColumn + 2 * i, kBlockColumn + i);
}

// The order's lines with their goods' svod rows, in one pass.
QVector<ComparisonLine> readLines(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT z.Id, z.Art, z.Tovar, z.PriceOut, s.Postavshik, s.Price, s.Sklad FROM Zakaz z"
        " LEFT JOIN svod s ON s.Code_sootv = z.Code ORDER BY z.Id, s.rowid"));
    QVector<ComparisonLine> lines;
    qint64 currentId = -1;
    while (select.step()) {
        if (lines.isEmpty() || select.integer(0) != currentId) {
            currentId = select.integer(0);
            lines << ComparisonLine{select.text(1), select.text(2), select.number(3), {}};
        }
        if (!select.isNull(4))
            lines.last().offers << ComparisonOffer{select.text(4), select.number(5), select.text(6)};
    }
    return lines;
}

} // namespace

QString ComparisonIniPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("SvodPriceZakaz.ini"));
}

QString DefaultComparisonFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Сводные прайс-листы")) + u'/';
}

ComparisonTemplate ReadComparisonTemplate(const QString& iniPath, const QString& name, const QString& programFolder)
{
    const QString section = fileSection(name);
    ComparisonTemplate t;
    t.folder = read(iniPath, section, QStringLiteral("Path_Excel"), DefaultComparisonFolder(programFolder));
    t.inRoubles = read(iniPath, section, QStringLiteral("SvodKurs"), QStringLiteral("0")) == QLatin1String("1");
    t.fileDate = read(iniPath, section, QStringLiteral("FileDate"), QStringLiteral("1")) == QLatin1String("1");
    t.prefix = read(iniPath, section, QStringLiteral("FilePrefics"), QString());
    t.suffix = read(iniPath, section, QStringLiteral("FileSuffics"), QString());
    t.fixedName = read(iniPath, section, QStringLiteral("FileNameSvod"), QString());
    t.templatePath = read(iniPath, section, QStringLiteral("Edit_ExcelTemplate"),
                          QDir(programFolder).filePath(QStringLiteral("Svod_Price.xls")));
    return t;
}

bool ComparisonTemplateExists(const QString& iniPath, const QString& name)
{
    return !read(iniPath, kTemplateNames, name, QString()).isEmpty();
}

bool ComparisonSupplierChosen(const QString& iniPath, const QString& name, const QString& supplier)
{
    return read(iniPath, supplierSection(name), supplier, QStringLiteral("1")) == QLatin1String("1");
}

bool SaveComparisonTemplate(const QString& iniPath, const QString& name, const ComparisonTemplate& t,
                            const QVector<std::pair<QString, bool>>& suppliers, const MessageSink& messages)
{
    const QString section = fileSection(name);
    bool ok = WriteIniString(iniPath, kTemplateActive, name, QStringLiteral("TemplateActiveName"), messages);
    ok = ok && WriteIniString(iniPath, kTemplateNames, QStringLiteral("1"), name, messages);
    QString folder = t.folder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    ok = ok && WriteIniString(iniPath, section, folder, QStringLiteral("Path_Excel"), messages);
    ok = ok && WriteIniString(iniPath, section, flag(t.inRoubles), QStringLiteral("SvodKurs"), messages);
    ok = ok && WriteIniString(iniPath, section, flag(t.fileDate), QStringLiteral("FileDate"), messages);
    if (t.fileDate) {
        ok = ok && WriteIniString(iniPath, section, t.prefix, QStringLiteral("FilePrefics"), messages);
        ok = ok && WriteIniString(iniPath, section, t.suffix, QStringLiteral("FileSuffics"), messages);
    } else {
        ok = ok && WriteIniString(iniPath, section, t.fixedName, QStringLiteral("FileNameSvod"), messages);
    }
    ok = ok && WriteIniString(iniPath, section, t.templatePath, QStringLiteral("Edit_ExcelTemplate"), messages);
    for (const auto& [supplier, shown] : suppliers)
        ok = ok && WriteIniString(iniPath, supplierSection(name), flag(shown), supplier, messages);
    return ok;
}

QString ComparisonFileName(const ComparisonTemplate& t, const QDate& today)
{
    const QString date = DottedDate(today);
    QString name = t.fileDate ? t.prefix + date + t.suffix : t.fixedName;
    name = ReplaceFileNameCharacters(name.trimmed());
    if (name.isEmpty())
        name = date;
    return name + QStringLiteral(".xlsx");
}

QStringList ComparisonSuppliers(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT s.Postavshik FROM svod s JOIN Zakaz z ON z.Code = s.Code_sootv WHERE s.Postavshik IS NOT NULL"
        " GROUP BY s.Postavshik ORDER BY s.Postavshik"));
    QStringList suppliers;
    while (select.step())
        suppliers << select.text(0);
    return suppliers;
}

sheet::ValueBlock BuildComparisonValues(const QVector<ComparisonLine>& lines, const QStringList& suppliers,
                                        const ComparisonPricing& pricing)
{
    const int k = int(suppliers.size());
    QHash<QString, int> blockOf; // folded name -> supplier number from 1
    for (int i = 0; i < k; ++i)
        blockOf.insert(db::foldCase(suppliers[i]), i + 1);

    sheet::ValueBlock values(int(lines.size()), 10 + 3 * k);
    QString previousArt;
    for (int row = 1; row <= int(lines.size()); ++row) {
        const ComparisonLine& line = lines[row - 1];
        if (row == 1 || line.art != previousArt)
            values.setText(row, 1, line.art);
        previousArt = line.art;
        values.setText(row, 2, line.tovar);
        const double p = RoundValue(pricing.roundDigits, line.priceOut);
        values.setNumber(row, 4, p);

        double cheapest = 0;
        QString cheapestSupplier;
        double sum = 0;
        int count = 0;
        for (const ComparisonOffer& offer : line.offers) {
            const int i = blockOf.value(db::foldCase(offer.supplier), 0);
            if (i == 0)
                continue;
            const double price = pricing.rubRate > 0 ? RoundValue(pricing.roundDigits, offer.price * pricing.rubRate)
                                                     : RoundValue(pricing.roundDigits, offer.price);
            values.setNumber(row, 3 * i + 2, price);
            if (offer.sklad.isEmpty())
                values.clear(row, 3 * i + 3);
            else
                values.setText(row, 3 * i + 3, offer.sklad);
            if (p > 0)
                values.setNumber(row, 3 * i + 4, price / p - 1);
            else
                values.clear(row, 3 * i + 4);
            if (cheapest == 0) {
                cheapest = price;
                cheapestSupplier = suppliers[i - 1];
            } else if (price < cheapest && price > 0) {
                cheapest = price;
                cheapestSupplier = suppliers[i - 1];
            }
            if (price > 0) {
                sum += price;
                ++count;
            }
        }
        if (sum > 0) {
            values.setText(row, 3 * k + 5, cheapestSupplier);
            values.setNumber(row, 3 * k + 6, cheapest);
            if (p > 0)
                values.setNumber(row, 3 * k + 7, cheapest / p - 1);
        }
        if (count > 0) {
            const double average = sum / count;
            values.setNumber(row, 3 * k + 8, count);
            values.setNumber(row, 3 * k + 9, average);
            if (p > 0)
                values.setNumber(row, 3 * k + 10, average / p - 1);
        }
    }
    return values;
}

QString MissingComparisonTemplateMessage(const QString& name, const QString& iniPath)
{
    return QStringLiteral("Шаблон с именем  ") + name + u'\r' + QStringLiteral("не найден в файле ") + iniPath +
           QStringLiteral("\r\r") + QStringLiteral("Экспорт сводного прайс-листа невозможен!") + u'\r' +
           QStringLiteral("Выберите другой шаблон или создайте новый.");
}

QString WriteComparisonSheet(const ComparisonInput& input)
{
    if (!ComparisonTemplateExists(input.iniPath, input.templateName))
        throw OrderExportError(MissingComparisonTemplateMessage(input.templateName, input.iniPath));
    QStringList chosen;
    for (const QString& supplier : ComparisonSuppliers(*input.priceDb))
        if (ComparisonSupplierChosen(input.iniPath, input.templateName, supplier))
            chosen << supplier;
    const ComparisonTemplate settings = ReadComparisonTemplate(input.iniPath, input.templateName, input.programFolder);
    const QVector<ComparisonLine> lines = readLines(*input.priceDb);

    sheet::Workbook book;
    try {
        book = sheet::Workbook::openTemplate(templateFile(settings.templatePath));
    } catch (const sheet::SheetError& error) {
        throw OrderExportError(error.message());
    }
    ProgressScope progress(input.progress, int(lines.size()));
    try {
        sheet::Worksheet& sheet = book.sheet(QStringLiteral("Сводный прайс-лист"));
        sheet.setText(1, 3, DottedDate(input.today));
        for (qsizetype i = chosen.size() - 1; i >= 0; --i) {
            sheet.setText(kNameRow, kBlockColumn, chosen[i]);
            insertBlockCopy(sheet);
        }
        sheet.deleteColumns(kBlockColumn, kBlockWidth);
        if (!lines.isEmpty()) {
            sheet.insertRowCopy(kFirstRow, kFirstRow, int(lines.size()));
            ComparisonPricing pricing;
            pricing.roundDigits = input.roundDigits;
            pricing.rubRate = settings.inRoubles ? input.kursRub : 0;
            sheet.setValues({kFirstRow, 1}, BuildComparisonValues(lines, chosen, pricing));
        }
        for (qsizetype i = 0; i < lines.size(); ++i)
            progress.step();
        sheet.setActiveCell({1, 2});
    } catch (const sheet::SheetError& error) {
        throw OrderExportError(error.message());
    }

    QString folder = settings.folder.trimmed();
    if (folder.isEmpty())
        folder = DefaultComparisonFolder(input.programFolder);
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw OrderExportError(QStringLiteral("Невозможно создать директорию ") + folder);
    const QString path = QDir(folder).filePath(ComparisonFileName(settings, input.today));
    try {
        book.saveAs(path);
    } catch (const sheet::SheetError&) {
        throw OrderExportError(sheet::kFileNotSaved);
    }
    return path;
}

} // namespace velmora::orders
