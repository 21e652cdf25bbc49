#pragma once

#include "maintenance_report.h"

#include <QString>

namespace velmora {

enum class PriceFileKind {
    PriceDatabase,     // a sound database holding the price tables
    Missing,           // no such file
    OlderFormat,       // a database of the old Windows engine
    NotADatabase,      // any other file
    Damaged,           // a database that fails the engine's quick check
    NotAPriceDatabase, // a sound database without AllPostavSetup, AllTovarPostav
};

// What a file chosen as a price database is, from its header, the engine's
// quick check and its tables. Reads it only.
PriceFileKind checkPriceDatabaseFile(const QString& path);

// Puts a chosen price database in the place of the working file (restore),
// which no connection of this program holds. The chosen file must be a
// sound price database; else its kind is reported and nothing changes. The
// working file stays as PRICE.vdb.bak beside itself and a consistent copy
// of the chosen one (the engine's backup, synced) replaces it in one
// rename, so a kill leaves the old file or the new one. The working file
// is untouched on any failure. True when the chosen database is in place
// (the caller then tells the user and starts the program again).
bool RestoreDatabaseFile(const QString& chosenPath, const QString& workingPath, const MaintenanceReport& report);

} // namespace velmora
