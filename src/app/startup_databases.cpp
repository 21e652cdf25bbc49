#include "startup_databases.h"

#include "platform/db/backup.h"
#include "platform/files/file_helpers.h"
#include "platform/files/ini_file.h"
#include "platform/files/leftovers.h"
#include "startup_messages.h"
#include "storage/database_leftovers.h"
#include "storage/settings_store.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

namespace velmora {

namespace {

namespace msg = startup_messages;

const QString OrderFileName = QStringLiteral("BaseZakaz.vdb");
const QString PriceFileName = QStringLiteral("PRICE.vdb");
const QString PathDatName = QStringLiteral("Path.dat");

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

void say(const MessageSink& messages, const QString& text)
{
    if (messages)
        messages(text);
}

bool openOrderDatabase(const StartupFolders& folders, db::Connection& orderDb, const MessageSink& messages)
{
    const QString programCopy = folders.programFolder + OrderFileName;
    const QString workingCopy = folders.dataFolder + OrderFileName;
    try {
        if (!QDir().mkpath(folders.dataFolder))
            throw std::runtime_error("data folder cannot be created");
        if (!isFile(workingCopy) && !CopyFileShell(programCopy, workingCopy))
            throw std::runtime_error("default order database cannot be copied");
        orderDb.open(workingCopy);
        return true;
    } catch (const std::exception&) {
        if (!isFile(programCopy))
            say(messages, msg::orderDatabaseMissing(programCopy));
        else if (isFile(workingCopy))
            say(messages, msg::orderDatabaseError());
        else
            say(messages, msg::orderDatabaseMissing(workingCopy));
        return false;
    }
}

bool samePath(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

// A non-administrator works on a copy of the shared price database. The
// user's own choice (the data folder's Path.dat) wins over the program's.
// Returns false when the program is to end.
bool refreshFromSharedDatabase(const StartupFolders& folders, DatabaseStartup& result, const MessageSink& messages,
                               const DatabaseChooser& chooseDatabaseFile)
{
    const QString userPathDat = folders.dataFolder + PathDatName;
    const QString pathDat = isFile(userPathDat) ? userPathDat : folders.programFolder + PathDatName;
    if (!isFile(pathDat))
        return true;
    const QString workingCopy = folders.dataFolder + PriceFileName;
    try {
        const QString shared = ReadPathDat(pathDat);
        result.sharedDatabasePath = shared;
        result.sharedPathFile = pathDat;
        if (isFile(shared)) {
            // The shared file may be open by the administrator: copy a
            // consistent snapshot, never the bytes of a file in use.
            if (!samePath(shared, workingCopy))
                db::copyDatabase(shared, workingCopy);
            return true;
        }
        say(messages, msg::sharedDatabaseMissing(shared));
        // An unreachable shared file must not cost the user his last good
        // copy; the default copy only stands in when there is none.
        if (isFile(workingCopy))
            return true;
        if (CopyFileShell(folders.programFolder + PriceFileName, workingCopy)) {
            say(messages, msg::defaultDatabaseConnected(folders.programFolder));
            return true;
        }
        say(messages, msg::defaultDatabaseCopyFailed(folders.programFolder));
        return false;
    } catch (const std::exception&) {
        return !(chooseDatabaseFile && chooseDatabaseFile());
    }
}

// The administrator's own choice of price database (the data folder's
// Path.dat, written when he chose one and restarted): he works on that file
// itself. False when there is none, or when it is gone or cannot be opened
// (then said): the working copy serves.
bool openChosenPriceDatabase(const StartupFolders& folders, db::Connection& priceDb, const MessageSink& messages)
{
    const QString pathDat = folders.dataFolder + PathDatName;
    if (!isFile(pathDat))
        return false;
    QString chosen;
    try {
        chosen = ReadPathDat(pathDat);
        if (chosen.isEmpty())
            return false;
        if (isFile(chosen)) {
            priceDb.open(chosen);
            return true;
        }
    } catch (const std::exception&) {
        priceDb.close();
    }
    say(messages, msg::sharedDatabaseMissing(chosen));
    return false;
}

bool openPriceDatabase(const StartupFolders& folders, db::Connection& priceDb, const MessageSink& messages)
{
    const QString workingCopy = folders.dataFolder + PriceFileName;
    if (!isFile(workingCopy)) {
        if (!CopyFileShell(folders.programFolder + PriceFileName, workingCopy)) {
            say(messages, msg::defaultDatabaseCopyFailed(folders.programFolder));
            return false;
        }
        say(messages, msg::defaultDatabaseCopied());
    }
    try {
        priceDb.open(workingCopy);
        return true;
    } catch (const std::exception&) {
        say(messages, isFile(workingCopy) ? msg::priceDatabaseError(workingCopy) : msg::priceDatabaseMissing(workingCopy));
        return false;
    }
}

} // namespace

bool settleAdminRole(const QString& userIniPath, const QString& userName, db::Connection& orderDb,
                     const MessageSink& messages)
{
    const QString section = QStringLiteral("SetupUsers");
    const QString key = QStringLiteral("UserAdminName");
    const QString adminName = ReadIniString(userIniPath, section, QString(), key, messages);
    bool isAdmin = false;
    if (adminName.isEmpty()) {
        WriteIniString(userIniPath, section, userName, key, messages);
        isAdmin = true;
    } else {
        isAdmin = adminName == userName; // user names compare exactly
    }
    SettingsStore settings(orderDb);
    settings.write(QStringLiteral("LoadBasePostav"), QStringLiteral("TypeBoolean"), isAdmin ? QStringLiteral("-1") : QStringLiteral("0"));
    return settings.readBoolean(QStringLiteral("LoadBasePostav"), QStringLiteral("0"));
}

bool applyAdminRoleSettings(db::Connection& orderDb, bool isLoadAdmin)
{
    SettingsStore settings(orderDb);
    settings.write(QStringLiteral("LoadBasePostav"), QStringLiteral("TypeBoolean"),
                   isLoadAdmin ? QStringLiteral("-1") : QStringLiteral("0"));
    return settings.readBoolean(QStringLiteral("AutoExportPrice"), QStringLiteral("-1"));
}

DatabaseStartup openStartupDatabases(const StartupFolders& folders, db::Connection& priceDb,
                                     db::Connection& orderDb, AppGlobals& globals, const MessageSink& messages,
                                     const DatabaseChooser& chooseDatabaseFile)
{
    DatabaseStartup result;
    // What killed runs left in the data folder goes before anything is
    // copied or opened there.
    removeDatabaseLeftovers(folders.dataFolder + PriceFileName);
    removeLeftoversBeside(folders.dataFolder + OrderFileName);
    orderDb.close();
    if (!openOrderDatabase(folders, orderDb, messages))
        return result;

    globals.UserIniPath = folders.programFolder + QStringLiteral("SetupUser.ini");
    globals.IsLoadAdmin = settleAdminRole(globals.UserIniPath, folders.userName, orderDb, messages);
    result.autoExportPrice = applyAdminRoleSettings(orderDb, globals.IsLoadAdmin);

    globals.PathDatFile = folders.programFolder + PathDatName;
    priceDb.close();
    if (!globals.IsLoadAdmin && !refreshFromSharedDatabase(folders, result, messages, chooseDatabaseFile))
        return result;
    if (!(globals.IsLoadAdmin && openChosenPriceDatabase(folders, priceDb, messages))
        && !openPriceDatabase(folders, priceDb, messages))
        return result;
    result.connected = true;
    return result;
}

} // namespace velmora
