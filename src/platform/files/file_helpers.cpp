#include "file_helpers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

bool CopyFileShell(const QString& source, const QString& destination)
{
    const QString temporary = destination + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary))
        return false;
    // rename() does not replace on every platform Qt supports; remove first,
    // keeping the copy aside until the old file is gone.
    if (QFileInfo::exists(destination) && !QFile::remove(destination)) {
        QFile::remove(temporary);
        return false;
    }
    if (!QFile::rename(temporary, destination)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

QString NewestFileInFolder(const QString& folder, const QString& mask)
{
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    QDir dir(folder);
    dir.setNameFilters({mask});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    QString best;
    QDateTime bestTime;
    for (const QFileInfo& info : dir.entryInfoList()) {
        if (best.isEmpty() || info.lastModified() > bestTime) {
            best = info.fileName();
            bestTime = info.lastModified();
        }
    }
    return base + (best.isEmpty() ? mask : best);
}

QString UpperFileExt(const QString& fileName)
{
    const int dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot + 1).toUpper();
}

QString ReplaceFileNameCharacters(const QString& name, bool blanksToo)
{
    QString result = name;
    for (QChar& c : result) {
        if (c.unicode() < 32 || QStringView(u"/\\:*?\"<>|").contains(c) || (blanksToo && c == u' '))
            c = u'_';
    }
    return result;
}

QString FreeNumberedFileName(const QString& folder, const QString& stem, const QString& extension, QString* suffix)
{
    const QDir dir(folder);
    QString taken;
    for (int number = 2; QFileInfo::exists(dir.filePath(stem + taken + extension)); ++number)
        taken = u'_' + QString::number(number);
    if (suffix)
        *suffix = taken;
    return dir.filePath(stem + taken + extension);
}

} // namespace velmora
