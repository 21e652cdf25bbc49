#include "database_save.h"

#include "database_compaction.h"
#include "database_leftovers.h"
#include "platform/db/connection.h"
#include "platform/files/error_text.h"
#include "platform/files/file_helpers.h"
#include "platform/files/ini_file.h"
#include "platform/files/leftovers.h"
#include "price_indexes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

namespace {

const QString kCompacting = QStringLiteral("Сжатие базы данных...");
const QString kSaveFailed = QStringLiteral("Произошла ошибка при сохранение базы данных\rпопробуйте ещё раз!");

// A save path as a Windows program wrote it (drive letter, UNC) names no
// file here.
bool isLocalAbsolutePath(const QString& path)
{
    return QDir::isAbsolutePath(path) && !path.contains(u'\\') && !(path.size() > 1 && path[1] == u':');
}

bool sameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    if (!canonicalA.isEmpty())
        return canonicalA == QFileInfo(b).canonicalFilePath();
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// A step failed in a way the user is told about in the step's own words.
struct StepFailure {
    QString message;
};

// Writes the compacted working file into `temporary` and settles its
// indexes, reporting their count or their errors.
void compactAndSettleIndexes(const QString& workingPath, const QString& temporary, const MaintenanceReport& report)
{
    try {
        foldDatabaseLog(workingPath);
    } catch (const DatabaseHeldError&) {
        throw StepFailure{QStringLiteral("Невозможно удалить базу: \r") + workingPath};
    }
    try {
        writeCompactedCopy(workingPath, temporary);
    } catch (const std::exception&) {
        throw StepFailure{QStringLiteral("Не удалось сжать базу данных...\r") + workingPath};
    }

    report.showStatus(QStringLiteral("Обновление Индексов в базе данных"));
    PriceIndexSettlement indexes;
    {
        db::Connection copy(temporary);
        indexes = settlePriceIndexes(copy);
        // Back to the compaction's own journal mode, so that the file is one
        // self-contained file that can be published as it is.
        copy.scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    if (indexes.errors > 0) {
        report.say(QStringLiteral("ОШИБКИ добавления индексов:") + indexes.errorList);
    } else {
        report.showStatus(QStringLiteral("Обновление Индексов ЗАВЕРШЕНО!     Обновлено: %1  Добавлено: %2  ОШИБОК: %3")
                              .arg(indexes.updated)
                              .arg(indexes.added)
                              .arg(indexes.errors));
        report.wait(1000);
    }
}

// A new empty file under the name, claimed; not held when the name is taken.
TemporaryClaim claimNewFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return TemporaryClaim();
    file.close();
    return TemporaryClaim(path);
}

void putInPlace(const QString& workingPath, const QString& temporary)
{
    try {
        replaceDatabaseFile(workingPath, temporary);
    } catch (const DatabaseHeldError&) {
        throw StepFailure{QStringLiteral("Невозможно удалить базу: \r") + workingPath};
    } catch (const std::exception&) {
        throw StepFailure{QStringLiteral("Невозможно переименовать базу: \r") + temporary};
    }
}

// The published file is a database as large as the working one.
bool publishedWhole(const QString& workingPath, const QString& savePath)
{
    try {
        const db::Connection published(savePath, db::OpenMode::ReadOnly);
        const qint64 pages = published.scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
        const qint64 pageSize = published.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        return pages * pageSize == QFileInfo(workingPath).size() && QFileInfo(savePath).size() == pages * pageSize;
    } catch (const std::exception&) {
        return false;
    }
}

// The working file, just compacted, closed and in journal mode DELETE, is
// copied as it is: to a synced temporary file beside the save path that is
// renamed over the file there, so users copying the shared file at their
// start find the old file or the whole new one.
void publish(const QString& workingPath, const QString& savePath)
{
    if (sameFile(savePath, workingPath))
        return;
    if (!isLocalAbsolutePath(savePath) || !QFileInfo(QFileInfo(savePath).absolutePath()).isDir())
        throw std::runtime_error(("no folder for " + savePath).toStdString());
    if (!CopyFileShell(workingPath, savePath) || !publishedWhole(workingPath, savePath))
        throw std::runtime_error(("cannot write " + savePath).toStdString());
}

} // namespace

QString databaseSavePath(const QString& dataFolder, const QString& programFolder)
{
    const QString pathDat = QDir(dataFolder).filePath(QStringLiteral("Path.dat"));
    if (QFileInfo(pathDat).isFile())
        return ReadPathDat(pathDat);
    return QDir(programFolder).filePath(QStringLiteral("PRICE.vdb"));
}

bool SaveDatabaseFiles(const DatabaseSaveFiles& files, const MaintenanceReport& report)
{
    if (!QFileInfo(files.workingPath).isFile()) {
        report.say(QStringLiteral("Отсутствует База данных: \r") + files.workingPath);
        return false;
    }
    const QString temporary = QFileInfo(files.workingPath).absoluteDir().filePath(QStringLiteral("BaseTemp.vdb"));
    try {
        report.showStatus(kCompacting);
        // What killed runs left beside both files goes first.
        removeDatabaseLeftovers(files.workingPath);
        removeLeftoversBeside(files.savePath);
        // A name still taken is another save's, which is still at work.
        TemporaryClaim claim = claimNewFile(temporary);
        if (!claim.isHeld())
            throw StepFailure{QStringLiteral("Не удалось сжать базу данных...\r") + files.workingPath};
        try {
            compactAndSettleIndexes(files.workingPath, temporary, report);
            claim.release();
            putInPlace(files.workingPath, temporary);
        } catch (...) {
            claim.release();
            removeDatabaseFiles(temporary);
            throw;
        }
        report.showStatus(QStringLiteral("Копирование базы данных..."));
        publish(files.workingPath, files.savePath);
        report.showStatus(QStringLiteral("База данных успешно сохраненена!  ") + files.savePath);
        report.say(QStringLiteral("База данных успешно сохраненена!\r") + files.savePath);
        return true;
    } catch (const StepFailure& failure) {
        report.say(failure.message);
    } catch (const std::exception& error) {
        report.showStatus(QString(kSaveFailed).replace(u'\r', u' ') + QStringLiteral(": ") + ErrorText(error));
        report.say(kSaveFailed);
    }
    return false;
}

bool CompactWorkingDatabase(const QString& workingPath, const MaintenanceReport& report)
{
    report.showStatus(kCompacting);
    QString reason;
    const bool compacted = QFileInfo(workingPath).isFile()
        && CompactJetDatabase(workingPath, QString(), QString(), [&reason](const QString& text) { reason = text; });
    if (!compacted) {
        report.showStatus(QStringLiteral("Ошибка при сжатии базы данных!  ") + reason);
        report.say(QStringLiteral("Ошибка при сжатии базы данных!"));
        return false;
    }
    report.showStatus(QString());
    return true;
}

} // namespace velmora
