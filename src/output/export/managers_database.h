#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

namespace velmora::output {

// The database for the sales managers: a new SQLite file with the tables
// Tovar_tree, Price_main, Parametr, Svod and Zakaz as their own tools read
// them. Its file is named by parametr row 3's FileName (an ".mdb" dropped)
// with ".sqlite", or this name when that is blank.
inline constexpr char kManagersDatabaseDefaultStem[] = "База для менеджеров";
inline constexpr char kManagersDatabaseExtension[] = ".sqlite";

struct ManagersDatabaseResult {
    qint64 groups = 0;
    qint64 goods = 0;
    qint64 offers = 0;
};

// Writes the managers' database to `path`: the five tables made by their
// DDL through the dialect layer (plain types, no collation or index of the
// program's own, so any SQLite client reads the file), then, in one
// transaction, every svod row (without Sklad), every Tovar_tree row
// (without Nacen and Garant), the Price_Out goods as Price_main and every
// parametr row, row 3 dated `today`; Zakaz stays empty. The file is made
// under a temporary name and takes the old one's place only when whole;
// then row 3 of the price database's parametr is dated `today` as well.
// A failure (db::DbError, OutputError, or an exception from `progress`)
// leaves the old file and parametr as they were.
ManagersDatabaseResult WriteManagersDatabase(db::Connection& priceDb, const QString& path, const QDate& today,
                                             Progress* progress = nullptr);

} // namespace velmora::output
