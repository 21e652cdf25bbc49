#pragma once

#include "maintenance_report.h"
#include "platform/archive/unpack.h"

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

// Puts a chosen price database in the place of the working file (restore),
// which no connection of this program holds. The chosen file is only read,
// as bytes: it is copied with the log or journal the engine left beside it
// into a new file beside the working one ("PRICE.vdb.XXXXXX.part"), so
// nothing is ever written beside the chosen file, which may sit on a
// read-only share. The copy must be a sound price database; else its kind
// is reported and nothing changes. The working file stays as PRICE.vdb.bak
// beside itself and the copy, made one self-contained synced file, replaces
// it in one rename, so a kill leaves the old file or the new one. The
// working file is untouched on any failure. What killed restores left
// beside the working file goes first. True when the chosen database is in
// place (the caller then tells the user and starts the program again).
bool RestoreDatabaseFile(const QString& chosenPath, const QString& workingPath, const MaintenanceReport& report);

// The restore command's whole work on a chosen name: the newest file that
// matches it (the file part may be a mask); when that is an archive (by its
// extension), it is unpacked into a temporary folder beside the working
// file within `limits`, and its newest file is renamed into the working
// file's place as RestoreDatabaseFile does; whatever was unpacked is removed
// in every case. An archive that cannot be unpacked is refused with
// "Не удалось распаковать архив:", or, when the program its kind needs is
// missing, with the reason.
bool RestoreDatabase(const QString& chosenName, const QString& workingPath, const MaintenanceReport& report,
                     const archive::UnpackLimits& limits = {});

} // namespace velmora
