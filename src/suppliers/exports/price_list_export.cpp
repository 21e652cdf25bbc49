#include "suppliers/exports/price_list_export.h"

#include "platform/files/cp1251.h"
#include "platform/files/file_helpers.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace velmora::exports {
namespace {

constexpr int kFirstRow = 5;
constexpr int kColumns = 8;

db::Statement selectGoods(db::Connection& priceDb, const QString& name)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Art, Tovar, PriceOut, Pricemax, Sklad, Garant, TextNoName, Description"
        " FROM AllTovarPostav WHERE Postavshik = ?1 ORDER BY Number"));
    select.bindText(1, name);
    return select;
}

void writeHeader(sheet::Worksheet& sheet, const QString& title, const ExportColumnTitles& titles,
                 const QString& displayCode)
{
    sheet.setText(1, 2, title);
    const QString header[kColumns] = {titles.art,   titles.tovar,      QStringLiteral("Цена (") + displayCode + u')',
                                      titles.pricemax, titles.sklad, titles.garant, titles.textNoName,
                                      titles.description};
    for (int c = 0; c < kColumns; ++c)
        sheet.setText(4, c + 1, header[c]);
}

// Reads up to `limit` goods of a list into a block; counts the rest.
sheet::ValueBlock readBlock(db::Connection& priceDb, const QString& name, int limit, int* omitted)
{
    std::vector<std::array<QString, 6>> texts;
    std::vector<std::pair<double, double>> prices;
    db::Statement select = selectGoods(priceDb, name);
    *omitted = 0;
    while (select.step()) {
        if (int(texts.size()) >= limit) {
            ++*omitted;
            continue;
        }
        texts.push_back({select.text(0), select.text(1), select.text(4), select.text(5), select.text(6), select.text(7)});
        prices.emplace_back(select.number(2), select.number(3));
    }
    sheet::ValueBlock block(int(texts.size()), kColumns);
    for (int r = 0; r < int(texts.size()); ++r) {
        const auto& t = texts[size_t(r)];
        block.setText(r + 1, 1, t[0]);
        block.setText(r + 1, 2, t[1]);
        block.setNumber(r + 1, 3, prices[size_t(r)].first);
        block.setNumber(r + 1, 4, prices[size_t(r)].second);
        block.setText(r + 1, 5, t[2]);
        block.setText(r + 1, 6, t[3]);
        block.setText(r + 1, 7, t[4]);
        block.setText(r + 1, 8, t[5]);
    }
    return block;
}

// The template's row-5 formats over the block, then its values.
void writeBlock(sheet::Worksheet& sheet, int firstRow, const sheet::ValueBlock& block)
{
    if (block.rows() == 0)
        return;
    const sheet::Range pattern = sheet.range(sheet::CellRef{kFirstRow, 1}, sheet::CellRef{kFirstRow, 4});
    pattern.copyFormatsTo(sheet.range(sheet::CellRef{firstRow, 1}, sheet::CellRef{firstRow + block.rows() - 1, kColumns}));
    sheet.setValues(sheet::CellRef{firstRow, 1}, block);
}

void saveWorkbook(const sheet::Workbook& book, const QString& outputPath)
{
    EnsureFolder(QFileInfo(outputPath).absolutePath());
    try {
        book.saveAs(outputPath);
    } catch (const sheet::SheetError& error) {
        throw ExportError(error.message());
    }
}

} // namespace

ExportColumnTitles ExportColumnTitles::fromSettings(db::Connection& orderDb)
{
    ExportColumnTitles titles;
    SettingsStore settings(orderDb);
    auto read = [&](const char* key, QString& value) { value = settings.readText(QLatin1String(key), value); };
    read("Column_art_Name", titles.art);
    read("Column_Tovar_Name", titles.tovar);
    read("Column_Pricemax_Name", titles.pricemax);
    read("Column_Sklad_Name", titles.sklad);
    read("Column_Garant_Name", titles.garant);
    read("Column_TextNoName_Name", titles.textNoName);
    read("Column_Description_Name", titles.description);
    return titles;
}

QString ExportFolderFor(const QString& priceListPath)
{
    QString path = priceListPath.trimmed();
    // A list without its file ("-" when new) has no folder of its own; the
    // process's working folder is none either.
    if (path.isEmpty() || path == u"-")
        return {};
    path.replace(u'\\', u'/');
    return QFileInfo(path).absolutePath() + QStringLiteral("/Export/");
}

QString SafeFileName(const QString& name)
{
    QString safe = ReplaceFileNameCharacters(name);
    if (safe.isEmpty() || safe == u"." || safe == u"..")
        safe = QStringLiteral("_");
    return safe;
}

void EnsureFolder(const QString& folder)
{
    if (folder.trimmed().isEmpty())
        throw ExportError(QStringLiteral("Пустое значение для пути выгрузки файла"));
    if (QFileInfo(folder).isDir())
        return;
    if (!QDir().mkpath(folder))
        throw ExportError(QStringLiteral("Невозможно создать директорию ") + folder);
}

QString CsvQuoteField(const QString& text)
{
    bool quote = false;
    QString result;
    result.reserve(text.size() + 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u',' || u == u';' || u == u'"' || u == u'\r' || u == u'\n' || u == u'\t')
            quote = true;
        if (u == u'"')
            result.append(QStringLiteral("\"\""));
        else if (u < 32)
            result.append(u' ');
        else
            result.append(c);
    }
    return quote ? u'"' + result + u'"' : result;
}

QString CsvPriceText(double value) { return RoundedDecimalText(value, 4, u','); }

ExportResult ExportPriceListCsv(db::Connection& priceDb, const QString& name, const QString& folder)
{
    EnsureFolder(folder);
    ExportResult result;
    result.path = QDir(folder).filePath(SafeFileName(name) + QStringLiteral(".csv"));
    const QString busy = QStringLiteral("Файл: ") + result.path +
                         QStringLiteral("\rоткрыт в другой программе. Выгрузка невозможна!");

    QSaveFile file(result.path);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(busy);
    db::Statement select = selectGoods(priceDb, name);
    QString chunk;
    while (select.step()) {
        chunk += CsvQuoteField(select.text(0));
        chunk += u';';
        chunk += CsvQuoteField(select.text(1));
        chunk += u';';
        chunk += CsvQuoteField(CsvPriceText(select.number(2)));
        chunk += QStringLiteral("\r\n");
        ++result.rowsWritten;
        if (chunk.size() > 1 << 16) {
            file.write(encodeCp1251(chunk));
            chunk.clear();
        }
    }
    file.write(encodeCp1251(chunk));
    if (!file.commit())
        throw ExportError(busy);
    return result;
}

ExportResult ExportPriceListWorkbook(db::Connection& priceDb, const QString& name, const QString& templatePath,
                                     const QString& outputPath, const ExportColumnTitles& titles,
                                     const QString& displayCode)
{
    ExportResult result;
    result.path = outputPath;
    try {
        sheet::Workbook book = sheet::Workbook::openTemplate(templatePath);
        sheet::Worksheet& sheet = book.sheet(1);
        writeHeader(sheet, name, titles, displayCode);
        const sheet::ValueBlock block = readBlock(priceDb, name, kMaxWorkbookRows, &result.rowsOmitted);
        writeBlock(sheet, kFirstRow, block);
        result.rowsWritten = block.rows();
        saveWorkbook(book, outputPath);
    } catch (const sheet::SheetError& error) {
        throw ExportError(error.message());
    }
    return result;
}

ExportResult ExportAllPriceListsWorkbook(db::Connection& priceDb, const QStringList& names, const QString& templatePath,
                                         const QString& outputPath, const ExportColumnTitles& titles,
                                         const QString& displayCode, const std::function<void(int)>& step)
{
    ExportResult result;
    result.path = outputPath;
    try {
        sheet::Workbook book = sheet::Workbook::openTemplate(templatePath);
        sheet::Worksheet& sheet = book.sheet(1);
        writeHeader(sheet, QStringLiteral("ВСЕ ТОВАРЫ из Базы"), titles, displayCode);
        int row = kFirstRow;
        for (int i = 0; i < names.size(); ++i) {
            int omitted = 0;
            const int room = sheet::kMaxRows - row + 1;
            const sheet::ValueBlock block = readBlock(priceDb, names[i], room, &omitted);
            writeBlock(sheet, row, block);
            row += block.rows();
            result.rowsWritten += block.rows();
            result.rowsOmitted += omitted;
            if (step)
                step(i + 1);
        }
        saveWorkbook(book, outputPath);
    } catch (const sheet::SheetError& error) {
        throw ExportError(error.message());
    }
    return result;
}

QString OmittedRowsText(int omitted)
{
    return QStringLiteral("Не выгружено товаров: ") + QString::number(omitted) +
           QStringLiteral(" (в одном прайс-листе Excel не больше ") + QString::number(kMaxWorkbookRows) +
           QStringLiteral(" строк)");
}

} // namespace velmora::exports
