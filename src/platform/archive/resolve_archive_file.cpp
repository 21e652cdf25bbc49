#include "resolve_archive_file.h"

#include "platform/files/file_helpers.h"
#include "seven_zip_unpack.h"

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

// The folder takes a new file (the unpack's own folder beside the target).
bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".velmora-write-XXXXXX")));
    return probe.open();
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
    if (kind == archive::ArchiveKind::None)
        return chosen;

    const QString folderName = archiveFile.completeBaseName();
    QString target = archiveFile.absolutePath() + u'/' + folderName;
    if (!canWriteIn(archiveFile.absolutePath())) {
        if (options.fallbackFolder.isEmpty())
            return chosen;
        target = QDir(options.fallbackFolder).filePath(folderName);
    }
    archive::UnpackedArchive unpacked = archive::unpackArchive(chosen, kind, target, options.limits);
    const QString newest = unpacked.newestEntry();
    if (unpacked.placeInto(target).isEmpty())
        return chosen;
    return newestMatch(QDir(target).filePath(newest));
}

QString archiveReaderMissing(const QString& path, const archive::UnpackLimits& limits)
{
    if (archive::archiveKindOf(path) != archive::ArchiveKind::Arj || !QFileInfo(path).isFile()
        || archive::sevenZipProgramFound(limits.sevenZipProgram))
        return QString();
    return QStringLiteral("Архив ARJ не распакован: для него нужна программа 7zz из пакета 7zip, "
                          "а её на этом компьютере нет.\r")
        + path;
}

} // namespace velmora
