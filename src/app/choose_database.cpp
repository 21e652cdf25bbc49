#include "choose_database.h"

#include "platform/files/ini_file.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString databaseFileFilter() { return QStringLiteral("Базы данных VDB (*.vdb *.zip *.rar *.arj);;Все файлы (*)"); }

ChooseResult connectChosenDatabase(db::Connection& priceDb, const QString& chosenName, const QString& dataFolder,
                                   const ArchiveResolver& resolveArchiveFile)
{
    ChooseResult result;
    result.path = chosenName.isEmpty() || !resolveArchiveFile ? chosenName : resolveArchiveFile(chosenName);
    if (result.path.isEmpty() || !QFileInfo(result.path).isFile())
        return result;
    try {
        db::Connection chosen;
        // The new file's connection works as the one it replaces.
        chosen.setBusyTimeout(priceDb.busyTimeout());
        chosen.setMappedReads(priceDb.mappedReads());
        chosen.open(result.path);
        if (!QDir().mkpath(dataFolder))
            throw std::runtime_error("data folder cannot be created");
        WritePathDat(QDir(dataFolder).filePath(QStringLiteral("Path.dat")), result.path);
        priceDb = std::move(chosen);
        result.outcome = ChooseOutcome::Connected;
    } catch (const std::exception&) {
        result.outcome = ChooseOutcome::Failed;
    }
    return result;
}

} // namespace velmora
