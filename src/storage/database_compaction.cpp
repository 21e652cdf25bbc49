#include "database_compaction.h"

#include "platform/db/backup.h"
#include "platform/db/connection.h"
#include "platform/files/error_text.h"
#include "platform/files/file_replace.h"
#include "platform/files/leftovers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

namespace velmora {

namespace {

QString walOf(const QString& path) { return path + QStringLiteral("-wal"); }

// A new empty file in the folder, named from a pattern of QTemporaryFile;
// the engine writes the compacted copy into it.
QString newEmptyFileIn(const QString& folder, const QString& pattern)
{
    QTemporaryFile file(QDir(folder).filePath(pattern));
    file.setAutoRemove(false);
    if (!file.open())
        throw std::runtime_error(("cannot write in " + folder).toStdString());
    return file.fileName();
}

const QString kCompactionPrefix = QStringLiteral("mdb");

} // namespace

void foldDatabaseLog(const QString& path, std::chrono::milliseconds patience)
{
    // Without a log there is nothing to fold, and no program holds the file:
    // the program's databases are in WAL mode, whose users always have one.
    if (!QFileInfo::exists(walOf(path)))
        return;
    // A connection that lets go of the file soon (the copy of a large log
    // into the file after a big rewrite, on a thread of its own) is waited
    // for; one that stays is another program's.
    QDeadlineTimer deadline(patience);
    for (;;) {
        {
            db::Connection connection(path);
        }
        // The last connection to close takes the log away with it.
        if (!QFileInfo::exists(walOf(path)))
            return;
        if (deadline.hasExpired())
            throw DatabaseHeldError(path);
        QThread::msleep(50);
    }
}

void removeCompactionLeftovers(const QString& folder)
{
    removeLeftoversIn(folder, QRegularExpression(QStringLiteral("^%1%2$").arg(kCompactionPrefix, temporaryNamePattern())));
}

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

void writeCompactedCopy(const QString& source, const QString& destination)
{
    try {
        db::compactDatabase(source, destination);
        // The engine does not sync what VACUUM INTO writes.
        if (!syncFile(destination))
            throw std::runtime_error(("cannot write " + destination).toStdString());
    } catch (...) {
        removeDatabaseFiles(destination);
        throw;
    }
}

void replaceDatabaseFile(const QString& workingPath, const QString& successorPath)
{
    foldDatabaseLog(workingPath);
    QFile::remove(workingPath + QStringLiteral("-shm"));
    QString reason;
    if (!syncFile(successorPath) || !renameOver(successorPath, workingPath, &reason))
        throw std::runtime_error(("cannot rename " + successorPath + " to " + workingPath + ": " + reason).toStdString());
}

bool CompactJetDatabase(const QString& source, const QString& destination, const QString& password,
                        const MessageSink& messages)
{
    Q_UNUSED(password);
    try {
        const QString target = destination.isEmpty() ? source : destination;
        const QString folder = QFileInfo(target).absolutePath();
        // What a killed compaction left here goes first.
        if (destination.isEmpty())
            removeCompactionLeftovers(folder);
        else
            removeLeftoversBeside(target);
        const QString temporary = newEmptyFileIn(
            folder, destination.isEmpty() ? kCompactionPrefix + QStringLiteral("XXXXXX") : QFileInfo(target).fileName() + QStringLiteral(".XXXXXX.part"));
        TemporaryClaim claim(temporary);
        writeCompactedCopy(source, temporary);
        claim.release();
        try {
            replaceDatabaseFile(target, temporary);
        } catch (...) {
            removeDatabaseFiles(temporary);
            throw;
        }
        return true;
    } catch (const std::exception& error) {
        if (messages)
            messages(ErrorText(error));
        return false;
    }
}

} // namespace velmora
