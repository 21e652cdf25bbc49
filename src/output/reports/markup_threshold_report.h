#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"
#include "platform/spreadsheet/workbook.h"

#include <QString>

namespace velmora::output {

// The report of every goods group's markup thresholds ("Отчет"): one sheet
// "Пороги наценок", the groups in the order of the group-tree walk, each
// name in the column of its level, then the group's five thresholds (the
// general ones for a group without its own) as "100$ - 15%", and after an
// empty row one line per switch of the minimum-price calculation.

// The switches the report's last lines describe (the settings dialog's).
struct ThresholdReportSwitches {
    bool nacenDop = false;    // CheckBox_NacenDop
    bool katMinPrice = false; // CheckBox_KatMinPrice
    bool katPost = false;     // CheckBox_KatPost
    bool katNacen = false;    // CheckBox_KatNacen
};

inline const QString kThresholdReportSheet = QStringLiteral("Пороги наценок");
inline const QString kThresholdReportFile = QStringLiteral("Отчет.xlsx");
inline const QString kThresholdReportWaitText =
    QStringLiteral("        Выгрузка отчета по настрокам каждой категории");

// Builds the workbook; the bar takes two steps per group and two more.
// Throws db::DbError.
sheet::Workbook MarkupThresholdReport(db::Connection& priceDb, const ThresholdReportSwitches& switches,
                                      Progress* progress = nullptr);

// Builds the report and saves it as the program folder's "Отчет.xlsx" (an
// earlier one is replaced); the wait window closes whatever happens.
// Returns the path. Throws OutputError "Невозможно создать директорию " +
// the folder when the folder cannot be made, kFileNotSaved when the file
// cannot be written, db::DbError when the tables cannot be read.
QString WriteMarkupThresholdReport(db::Connection& priceDb, const ThresholdReportSwitches& switches,
                                   const QString& programFolder, Progress* progress = nullptr);

} // namespace velmora::output
