#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace velmora::output {

// The combined price list's template, its sheet and its folder under the
// program folder.
inline constexpr char kCombinedPriceTemplate[] = "Svod_Price_Kat.xlsx";
inline constexpr char kCombinedPriceSheet[] = "Сводный прайс-лист";
inline constexpr char kCombinedPriceFolderName[] = "Сводные прайс-листы";
// The wait window's text (the blanks centre it there).
inline const QString kCombinedPriceProgressText = QStringLiteral("          Выгрузка сводного прайс-листа в Excel");

struct CombinedPriceInput {
    QString programFolder; // holds the template; the output folder is made under it
    QDate today;           // the date in C1 and in the file name
    int roundDigits = 2;   // RoundDigits, for the shop's price
};

struct CombinedPriceResult {
    bool saved = false;
    QString savedPath;
    // Why nothing was saved; when saved, the groups whose goods could not
    // be written, or "".
    QString message;
    QStringList unwrittenGroups;
    int suppliers = 0;
    int groups = 0;
    qint64 goods = 0;
};

// SvodExcelClick: the shop's price beside every supplier's, group by group.
// The suppliers of `postavshik` in table order each own two columns from D
// (their svod price and its difference from the shop's price), named in
// row 5; then the cheapest and the average of the listed suppliers' prices
// above 0 with their differences. The whole group tree is walked from row
// 6: each group's header row (its depth and name, white bold italic Arial
// 12 on a fill by depth) followed by its goods in Russian alphabetical
// order; the rows below each header are outlined by depth (seven levels
// at most). The shop's price is Price_1 × (1 + Nacen / 100) rounded, " - "
// when Price_1 is 0. Every row takes the template's goods row format.
// Saved through a temporary file as "Сводные прайс-листы/Svod_Price_" +
// dd.mm.yyyy + ".xlsx"; every failure comes back as the message with
// nothing saved, an empty group tree too (noGroupsMessage) before any
// folder is made. One progress step per group and per good.
CombinedPriceResult ExportCombinedPriceList(db::Connection& priceDb, db::Connection& orderDb,
                                            const CombinedPriceInput& input, Progress* progress = nullptr);

} // namespace velmora::output
