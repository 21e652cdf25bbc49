#pragma once

#include "app_globals.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QString>

#include <functional>

namespace velmora {

// Where start-up works: the program folder (default databases, INI files,
// Path.dat), the per-user data folder (working copies) and who runs it.
// Both folders end in "/".
struct StartupFolders {
    QString programFolder;
    QString dataFolder;
    QString userName;
};

// Lets the user pick a price database when the shared one cannot be read;
// returns true when this run is to end (the user asked for a restart).
using DatabaseChooser = std::function<bool()>;

struct DatabaseStartup {
    // Both connections are open; false means the program is to end (the
    // reason has been shown already).
    bool connected = false;
    // The shared price database named by Path.dat (empty when none was
    // read) and the Path.dat it was read from.
    QString sharedDatabasePath;
    QString sharedPathFile;
    // The `AutoExportPrice` setting, for the administrator's switch.
    bool autoExportPrice = true;
};

// Opens the two databases the way every start does: what killed runs left
// in the data folder removed (database_leftovers.h), the data folder and
// the working copy of the order database, the administrator role, the
// refresh of a non-administrator's price database from the shared copy,
// the working copy of the price database, or for the administrator the
// price database he chose (the data folder's Path.dat) when it is there. Stops at the first failure after
// showing its message. Fills IsLoadAdmin, UserIniPath and PathDatFile.
// Engine errors outside those the messages cover propagate.
DatabaseStartup openStartupDatabases(const StartupFolders& folders, db::Connection& priceDb,
                                     db::Connection& orderDb, AppGlobals& globals, const MessageSink& messages,
                                     const DatabaseChooser& chooseDatabaseFile);

// The administrator role from SetupUser.ini: the first user to start the
// program becomes the administrator (his name is written there); stores and
// returns the setting `LoadBasePostav`.
bool settleAdminRole(const QString& userIniPath, const QString& userName, db::Connection& orderDb,
                     const MessageSink& messages);

// Stores the role as setting `LoadBasePostav` and returns the
// administrator's auto-export switch (`AutoExportPrice`).
bool applyAdminRoleSettings(db::Connection& orderDb, bool isLoadAdmin);

} // namespace velmora
