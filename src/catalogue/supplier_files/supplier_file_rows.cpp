#include "supplier_file_rows.h"

#include "catalogue/import/sheet_cells.h"

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/reader.h"

#include <QFileInfo>

#include <algorithm>

namespace velmora::catalogue {

QString supplierFileProblem(const QString& supplier, const SupplierFileSettings& s)
{
    if (supplier.trimmed().isEmpty())
        return QStringLiteral("Не выбрано Название поставщика");
    if (!QFileInfo(s.path).isFile())
        return QStringLiteral("Указанный файл не существует!");
    if (s.columnArt <= 0 && s.columnTovar <= 0 && s.columnPrice <= 0 && s.columnQuantity <= 0)
        return QStringLiteral("Не выбраны столбцы для загрузки");
    return QString();
}

namespace {

// The invoice number's cell, read on its own as the sheet streams by: a
// cell far to the right or far down widens or lengthens no block of rows.
QString readNumberCell(sheet::WorkbookReader& reader, int index, sheet::CellRef cell)
{
    QString text;
    reader.streamSheet(index, [&](const sheet::RowData& row) {
        if (row.row < cell.row)
            return true;
        if (row.row == cell.row)
            for (const sheet::RowCell& c : row.cells)
                if (c.column == cell.column)
                    text = c.value.toText().trimmed();
        return false;
    });
    return text;
}

} // namespace

SupplierFileRead readSupplierFile(const SupplierFileSettings& s, Progress* progress)
{
    sheet::WorkbookReader reader(s.path);
    const QString name = s.sheetName();
    int index = name.isEmpty() ? 0 : reader.sheetIndex(name);
    if (index == 0)
        index = std::clamp(s.sheetItem + 1, 1, reader.sheetCount());
    sheet::CellRef numberCell{0, 0};
    if (!s.numberCell.trimmed().isEmpty()) {
        try {
            numberCell = sheet::parseCell(s.numberCell.trimmed());
        } catch (const std::exception&) {
            // A cell that names no cell gives no number.
        }
    }
    // The rows are read only as wide as the columns chosen.
    sheet::ReadOptions options;
    options.maxColumns = std::max({s.columnArt, s.columnTovar, s.columnPrice, s.columnQuantity, 1});
    const sheet::SheetData data = reader.readSheet(index, options);
    const sheet::ValueBlock& cells = data.values;

    SupplierFileRead read;
    if (numberCell.row > 0)
        read.number = readNumberCell(reader, index, numberCell);
    const int first = std::max(s.startRow(), 1);
    startProgress(progress, QString(), std::max(0, cells.rows() - s.startRowItem));
    for (int row = first; row <= cells.rows(); ++row) {
        stepProgress(progress);
        const double price = importCellNumber(cells, row, s.columnPrice);
        if (!(price > 0))
            continue;
        read.rows.push_back(SupplierFileRow{row, importCellText(cells, row, s.columnArt),
                                            importCellText(cells, row, s.columnTovar), price,
                                            importCellNumber(cells, row, s.columnQuantity)});
    }
    return read;
}

CorrespondenceFinder::CorrespondenceFinder(db::Connection& priceDb, const QString& supplier)
    : supplier_(supplier),
      byArt_(priceDb.prepare(QStringLiteral(
          "SELECT Code FROM sootv WHERE Art = ?1 AND Postavshik = ?2 ORDER BY rowid LIMIT 1"))),
      byName_(priceDb.prepare(QStringLiteral(
          "SELECT Code FROM sootv WHERE Tovar = ?1 AND Postavshik = ?2 ORDER BY rowid LIMIT 1")))
{
    byArt_.bindText(2, supplier_);
    byName_.bindText(2, supplier_);
}

qint64 CorrespondenceFinder::find(const QString& art, const QString& tovar, bool byArticle)
{
    db::Statement& s = byArticle && !art.isEmpty() ? byArt_ : byName_;
    s.bindText(1, byArticle && !art.isEmpty() ? art : tovar);
    const qint64 code = s.step() ? s.integer(0) : 0;
    s.reset();
    return code;
}

} // namespace velmora::catalogue
