#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QString>

namespace velmora::output {

// The folder and file of the Shop-Script catalogue under the program folder.
inline constexpr char kShopScriptFolderName[] = "Каталог для Shop-Script";
inline constexpr char kShopScriptFileName[] = "CatalogUpdate.csv";
// The wait window's text (the blanks centre it there).
inline const QString kShopScriptProgressText =
    QStringLiteral("      Выгрузка каталога товаров для магазина Shop-Script");

struct ShopScriptExportResult {
    QString path;
    int groups = 0;
    qint64 goods = 0;
};

// ShopScriptClick: the catalogue file of the Shop-Script web shop. Walks the
// whole group tree; each group's line is followed by its goods that have a
// Price_Tovar_Info row (price 0 included) in Russian alphabetical order,
// priced by the bare Price_1 rounded to `roundingDegree` places. Written
// through a temporary file into "Каталог для Shop-Script/CatalogUpdate.csv"
// under `programFolder`, which replaces the previous file only when whole.
// One progress step per group and per good. Throws OutputError (an empty
// group tree, noGroupsMessage, before the folder is made; the folder
// "Невозможно создать директорию ..."; the file) or db::DbError, and then
// leaves the previous file as it was.
ShopScriptExportResult WriteShopScriptCatalog(db::Connection& priceDb, const QString& programFolder,
                                              int roundingDegree, Progress* progress = nullptr);

} // namespace velmora::output
