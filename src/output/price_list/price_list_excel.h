#pragma once

#include "output/output_error.h"

#include "platform/db/connection.h"
#include "platform/files/progress.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace velmora::output {

// The folder of the spreadsheet price list under the program folder, and
// its file name when parametr row 1 names none.
inline constexpr char kPriceListFolderName[] = "Прайс-лист Excel";
inline constexpr char kPriceListDefaultStem[] = "Прайс-лист";
// The wait window's text (the blanks centre it there).
inline const QString kPriceListProgressText = QStringLiteral("                    Выгрузка прайс-листа в Excel");
// The start row "нет" is no row to write on.
QString noStartRowMessage();
// The message naming the ticked goods columns that have no sheet column
// ("Нет"), by their captions in the layout window.
QString unplacedColumnsMessage(const QStringList& captions);
// The message naming the groups whose goods could not be written.
QString unwrittenGroupsMessage(const QStringList& groups);

// How a list workbook that walks the group tree is saved: `saved` and
// `savedPath` when it was, with the message naming `unwrittenGroups` (if
// any); otherwise "Файл не был сохранен!". For PriceExcelResult and the
// results like it.
template <typename Result>
void saveListWorkbook(const sheet::Workbook& book, const QString& path, Result& result)
{
    try {
        book.saveAs(path);
    } catch (const sheet::SheetError&) {
        result.message = kFileNotSaved;
        return;
    }
    result.saved = true;
    result.savedPath = path;
    if (!result.unwrittenGroups.isEmpty())
        result.message = unwrittenGroupsMessage(result.unwrittenGroups);
}

struct PriceExcelInput {
    QString programFolder;              // the template's folder; the output folder is made under it
    std::function<QDateTime()> clock;   // the date line's moment; none: now
    double roubleRate = 27;             // roubles per unit of the display currency
    QString displayCurrency = QStringLiteral("RUB"); // the rates' display currency, for the columns' default
    int roundDigits = 2;                // RoundDigits
};

struct PriceExcelResult {
    bool saved = false;
    QString savedPath;
    // Why nothing was saved; when saved, the groups whose goods could not
    // be written (unwrittenGroupsMessage), or "".
    QString message;
    QStringList unwrittenGroups;
    int groups = 0;
    qint64 goods = 0;
};

// The shop's spreadsheet price list (ExportPriceExcel). Reads the layout
// settings, the SuperPrice mark (order database) and the export
// parameters (price database); fills the sheet of the template
// Price-List.xlsx in the program folder: the date line in the date cell,
// then from the start row, walking the whole group tree, each group's
// header row (its level, code and name, formatted over the row's width by
// its level's look, levels past 5 by level 5's) followed by its goods with
// Price_1 above 0 in Russian alphabetical order, one block per group;
// every group's rows are outlined below its header; the row widens to the
// furthest chosen column. A ticked column at "Нет" refuses the list before
// anything is written (unplacedColumnsMessage).
// Saved through a temporary file as "Прайс-лист Excel/" + row 1's FileName
// (".xls"/".xlsx" dropped) + ".xlsx", "Прайс-лист.xlsx" when it is blank.
// Every failure (no start row, a ticked column without a place, a missing
// template or sheet, a folder that cannot be made, a failed save, a
// database error) comes back as the message with nothing saved and no file
// left behind; the settings are only read. One progress step per group and per good.
PriceExcelResult ExportPriceExcel(db::Connection& priceDb, db::Connection& orderDb, const PriceExcelInput& input,
                                  Progress* progress = nullptr);

} // namespace velmora::output
