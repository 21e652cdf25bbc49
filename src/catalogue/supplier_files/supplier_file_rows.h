#pragma once

#include "supplier_file_settings.h"

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QString>

#include <vector>

namespace velmora::catalogue {

// One row of a supplier's workbook that offers something (its price is
// above 0): article and name as the cells show them (empty when no column
// is chosen), price and quantity (0 when no column is chosen or the cell
// holds no number; a number written as text counts).
struct SupplierFileRow {
    int row = 0;
    QString art;
    QString tovar;
    double price = 0;
    double quantity = 0;
};

struct SupplierFileRead {
    std::vector<SupplierFileRow> rows;
    QString number; // the invoice number's cell, when one is named
};

// Why a workbook cannot be read, in the window's words; empty when it can.
// "Не выбрано Название поставщика", "Указанный файл не существует!",
// "Не выбраны столбцы для загрузки".
QString supplierFileProblem(const QString& supplier, const SupplierFileSettings& settings);

// Reads the sheet (found by its stored name first, else by its place in
// the list) from the start row to its last used row, in one read of the
// chosen columns. The progress runs one step per row. Throws
// sheet::SheetError when the workbook or sheet cannot be read.
SupplierFileRead readSupplierFile(const SupplierFileSettings& settings, Progress* progress = nullptr);

// The own goods a supplier's items stand for, through the supplier's
// correspondences (sootv): by article when asked and the article is not
// empty, else by name; the code of the first correspondence found, 0 when
// none. Statements are prepared once, for many rows.
class CorrespondenceFinder {
public:
    CorrespondenceFinder(db::Connection& priceDb, const QString& supplier);
    qint64 find(const QString& art, const QString& tovar, bool byArticle);

private:
    QString supplier_;
    db::Statement byArt_;
    db::Statement byName_;
};

} // namespace velmora::catalogue
