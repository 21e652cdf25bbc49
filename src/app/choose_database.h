#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <functional>

namespace velmora {

// The file filter of the dialogs that choose a price database.
QString databaseFileFilter();

// Turns a chosen name into the database file itself (unpacking an archive).
using ArchiveResolver = std::function<QString(const QString& name)>;

enum class ChooseOutcome {
    NotFound,   // the resolved file does not exist
    Connected,  // the price connection now works on the chosen file
    Failed,     // it could not be opened or remembered
};

struct ChooseResult {
    ChooseOutcome outcome = ChooseOutcome::NotFound;
    QString path; // the resolved file
};

// Connects the price database to a file the user chose (an empty name for
// a cancelled choice) and remembers it as the only line of the data
// folder's Path.dat. The previous connection stays in use until the chosen
// file has opened and been remembered, so a cancelled or failed choice
// leaves the program on the database it had.
ChooseResult connectChosenDatabase(db::Connection& priceDb, const QString& chosenName, const QString& dataFolder,
                                   const ArchiveResolver& resolveArchiveFile);

} // namespace velmora
