#include "output_folders.h"

#include "output_error.h"

#include "platform/files/file_helpers.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::output {

QString ensureOutputFolder(const QString& programFolder, const QString& name)
{
    const QString folder = QDir(programFolder).filePath(name) + u'/';
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw OutputError(QStringLiteral("Невозможно создать директорию ") + folder);
    return folder;
}

QString outputFileName(const QString& fileName, const QStringList& oldExtensions, const QString& defaultStem,
                       const QString& extension)
{
    QString stem = fileName.trimmed();
    for (const QString& old : oldExtensions) {
        if (stem.size() > old.size() && stem.endsWith(old, Qt::CaseInsensitive)) {
            stem.chop(old.size());
            break;
        }
    }
    if (stem.trimmed().isEmpty())
        stem = defaultStem;
    return ReplaceFileNameCharacters(stem) + extension;
}

} // namespace velmora::output
