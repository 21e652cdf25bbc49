#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The worksheets of a supplier's price file, or why they cannot be had.
struct WorkbookSheets {
    bool ok = false;
    QStringList names;
    QString message; // for the user when !ok
};

// Reads the worksheet names of an .xlsx, .xls or .csv file (a CSV file is
// one sheet named after its base name). A missing file gives
// "прайс-лист <path> отсутствует"; a file that is no workbook, or a damaged
// one, gives a message naming the file and the reader's reason.
WorkbookSheets ReadWorkbookSheets(const QString& path);

// The texts of the file choice and the sheet view.
QString MissingPriceFileText(const QString& path);
QString EmptyPriceListNameText();
QString MissingSheetText(const QString& sheet, const QString& path);
QString SheetRenameQuestion();
QString DeleteSheetQuestion(const QString& sheet);
QString PriceFileFilter();

} // namespace velmora
