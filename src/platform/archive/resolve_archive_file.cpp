#include "resolve_archive_file.h"

#include "platform/files/file_helpers.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace velmora {

namespace {

QString newestMatch(const QString& name)
{
    const QFileInfo info(name);
    return NewestFileInFolder(info.path(), info.fileName());
}

// The folder (or, when it is not there yet, the nearest folder above it)
// takes a new file.
bool canWriteBelow(const QString& folder)
{
    QString existing = QDir::cleanPath(folder);
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return false;
        existing = parent;
    }
    QTemporaryFile probe(existing + QStringLiteral("/.velmora-write-XXXXXX"));
    return probe.open();
}

QString newestOf(const QStringList& files)
{
    QString newest;
    QDateTime newestTime;
    for (const QString& file : files) {
        const QDateTime modified = QFileInfo(file).lastModified();
        // Written in the archive's order: of equal times the later one.
        if (newest.isEmpty() || modified >= newestTime) {
            newest = file;
            newestTime = modified;
        }
    }
    return newest;
}

} // namespace

QString ResolveArchiveFile(const QString& name, const ResolveArchiveOptions& options)
{
    if (name.isEmpty())
        return QString();
    const QString chosen = newestMatch(name);
    const QFileInfo archiveFile(chosen);
    if (!archiveFile.isFile())
        return chosen;
    const archive::ArchiveKind kind = archive::archiveKindOf(chosen);
    if (kind == archive::ArchiveKind::None || kind == archive::ArchiveKind::Arj)
        return chosen;

    const QString folderName = archiveFile.completeBaseName();
    QString target = archiveFile.absolutePath() + u'/' + folderName;
    if (!canWriteBelow(target)) {
        if (options.fallbackFolder.isEmpty())
            return chosen;
        target = QDir(options.fallbackFolder).filePath(folderName);
    }
    const archive::UnpackResult unpacked = archive::unpackArchive(chosen, kind, target, options.limits);
    if (!unpacked.ok || unpacked.files.isEmpty())
        return chosen;
    return newestMatch(newestOf(unpacked.files));
}

} // namespace velmora
