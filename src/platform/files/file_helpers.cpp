#include "file_helpers.h"

#include "file_replace.h"
#include "leftovers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

bool CopyFileShell(const QString& source, const QString& destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QString temporary = reserveTemporaryBeside(destination);
    if (temporary.isEmpty())
        return false;
    TemporaryClaim claim(temporary);
    bool copied = copyFileContent(in, temporary);
    // The whole copy is on the disk before its name replaces the old file,
    // which stays in place until then; readers see one or the other.
    copied = copied && QFile::setPermissions(temporary, in.permissions()) && syncFile(temporary);
    claim.release();
    copied = copied && renameOver(temporary, destination);
    if (!copied)
        QFile::remove(temporary);
    return copied;
}

bool copyFileContent(QFile& source, const QString& destination)
{
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.read(chunk.data(), chunk.size());
        if (got < 0 || (got > 0 && out.write(chunk.constData(), got) != got))
            return false;
        if (got == 0)
            break;
    }
    if (!out.flush())
        return false;
    out.close();
    return out.error() == QFileDevice::NoError;
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
