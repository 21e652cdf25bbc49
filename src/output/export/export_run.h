#pragma once

#include "catalogue_workbook.h"
#include "managers_database.h"
#include "price_dbf.h"
#include "price_out.h"

#include "output/pricing/recalc_min_prices.h"

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>

namespace velmora::output {

// The switches of the export window, each a setting of its own name.
struct ExportSwitches {
    bool recalcPrices = true;      // CheckBox_Price "Пересчитать цены на товары"
    bool dbf = false;              // CheckBox_DBF "Создать базу DBF (для 1C)"
    bool managersDatabase = false; // CheckBox_Access "Создать базу для менеджеров"
    bool priceList = false;        // CheckBox_Excel "Создать прайс-лист в Excel"
    bool catalogue = false;        // CheckBox_KatExcel "Создать каталог в Excel"
};

// The spreadsheet price list, written from Price_Out and the export
// parameters by its own writer with the run's bar; true when the workbook
// was saved.
using PriceListWriter = std::function<bool(Progress* progress)>;

// The texts of the run's phases (Label_Info).
inline const QString kPhaseRecalc = QStringLiteral("     Пересчет минимальных цен");
inline const QString kPhasePrepare = QStringLiteral("Подготовка данных для выгрузки");
inline const QString kPhaseDbf = QStringLiteral("     Создание базы DBF (для 1С)");
inline const QString kPhaseManagers = QStringLiteral("  Создание базы для менеджеров");
inline const QString kPhasePriceList = QStringLiteral("   Выгрузка прайс-листа в Excel");
inline const QString kPhaseCatalogue = QStringLiteral("   Выгрузка каталога в Excel");

struct ExportRunInput {
    QString programFolder; // the output folders are made under it
    QDate today;
    int roundDigits = 2;         // RoundDigits
    MinPriceSettings minPrices;  // for the recalculation
    ExportSwitches switches;
    PriceListWriter priceList;   // needed with switches.priceList
    // Texts the user reads while the run goes on: the recalculation's
    // report, rounding failures, the articles the dBase file had to cut.
    MessageSink notify;
    // The phase texts.
    std::function<void(const QString& text)> phase;
};

struct ExportRunResult {
    PriceOutResult priceOut;
    std::optional<RecalcResult> recalc;
    std::optional<PriceDbfResult> dbf;
    QString dbfPath;
    std::optional<ManagersDatabaseResult> managers;
    QString managersPath;
    bool priceListSaved = false;
    std::optional<CatalogueResult> catalogue;
    QString cataloguePath; // saved; the window hands it to the user
};

// The message about articles cut to the dBase file's ART.
QString cutArticlesMessage(int count);

// The export run: the minimum prices recalculated for all goods (when
// switched on; its report line is told before any file is written),
// Price_Out rebuilt from the export parameters (a missing parametr row is
// markup 0 and a blank name), then, as switched on:
// price.dbf in "База DBF/" (parametr row 2 dated once it is whole), the
// managers' database in "База Access/" (row 3), the spreadsheet price list
// (row 1, dated only when the writer reports it saved) and the catalogue
// workbook in "Каталог Excel/". Folders are made under the program folder.
// A failure ends the run by throwing: OutputError ("Невозможно создать
// директорию " + folder, "Файл не был сохранен!"), ED (a file another
// program holds), db::DbError; what was written before stands, the failed
// step leaves its old file and date as they were.
ExportRunResult RunExport(db::Connection& priceDb, const ExportRunInput& input, Progress* bar = nullptr);

} // namespace velmora::output
