#pragma once

#include "maintenance_report.h"

#include <QString>

namespace velmora {

// Where a save publishes the price database: the first line of the data
// folder's Path.dat when there is one (the shared file the other users copy
// at start-up), else the program folder's PRICE.vdb. Throws
// std::runtime_error when Path.dat cannot be read.
QString databaseSavePath(const QString& dataFolder, const QString& programFolder);

struct DatabaseSaveFiles {
    QString workingPath; // the data folder's PRICE.vdb
    QString savePath;    // where the copy is published
};

// The save of the price database, on files no connection of this program
// holds: the working file is compacted into BaseTemp.vdb beside it, the
// copy's twelve indexes are settled (price_indexes.h), and the copy then
// replaces the working file in one rename; the working file is published
// to the save path as a synced copy renamed over the file there and checked
// there (nothing is copied when the save path is the working file). The steps' texts go
// to `report` in order, ending with the success message. A failure leaves
// the working file as it was (or the complete compacted copy in its
// place) and the published file old or new, reports its message and
// returns false. What killed runs left beside the working file and the
// save path goes first (database_leftovers.h).
bool SaveDatabaseFiles(const DatabaseSaveFiles& files, const MaintenanceReport& report);

// Compacts the working file in place (the compaction command): into a new
// file beside it that replaces it in one rename. On failure the working
// file stays as it was and "Ошибка при сжатии базы данных!" is reported.
bool CompactWorkingDatabase(const QString& workingPath, const MaintenanceReport& report);

} // namespace velmora
