#include "database_compaction.h"

#include "platform/db/backup.h"
#include "platform/db/connection.h"
#include "platform/files/error_text.h"
#include "platform/files/file_replace.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

namespace velmora {

namespace {

QString walOf(const QString& path) { return path + QStringLiteral("-wal"); }

// A free name in the folder, from a pattern of QTemporaryFile; the engine
// creates the file itself.
QString freeNameIn(const QString& folder, const QString& pattern)
{
    QTemporaryFile probe(QDir(folder).filePath(pattern));
    if (!probe.open())
        throw std::runtime_error(("cannot write in " + folder).toStdString());
    return probe.fileName(); // removed with the probe
}

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
        const QString temporary =
            freeNameIn(folder, destination.isEmpty() ? QStringLiteral("mdbXXXXXX") : QFileInfo(target).fileName() + QStringLiteral(".XXXXXX"));
        writeCompactedCopy(source, temporary);
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
