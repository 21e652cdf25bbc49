#include "unpack_rules.h"

#include <QFile>
#include <QStorageInfo>

#include <sys/stat.h>

namespace velmora::archive {

std::optional<QStringList> pathInside(const QString& path)
{
    if (path.startsWith(u'/') || path.startsWith(u'\\'))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : QString(path).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return std::nullopt;
        parts << part;
    }
    return parts;
}

bool linkStaysInside(const QStringList& linkParts, const QString& target)
{
    if (target.isEmpty() || target.startsWith(u'/') || target.startsWith(u'\\'))
        return false;
    QStringList at = linkParts.mid(0, linkParts.size() - 1);
    for (const QString& part : QString(target).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (at.isEmpty())
                return false;
            at.removeLast();
        } else {
            at << part;
        }
    }
    return true;
}

UnpackBounds::UnpackBounds(const QString& folder, const UnpackLimits& limits)
    : grace_(limits.ratioGraceBytes), ratio_(qMax(1, limits.maxInflationRatio))
{
    const QStorageInfo disk(folder);
    const qint64 free = disk.isValid() ? disk.bytesAvailable() - limits.keepFreeBytes : 0;
    budget_ = qMax<qint64>(0, qMin(limits.maxBytes, free));
}

void UnpackBounds::check(qint64 unpacked, qint64 archiveRead) const
{
    if (unpacked > budget_)
        fail(QStringLiteral("the unpacked size is over the limit of %1 bytes").arg(budget_));
    if (unpacked > grace_ && unpacked / ratio_ > qMax<qint64>(archiveRead, 1))
        fail(QStringLiteral("%1 bytes unpacked from %2 bytes read: the inflation of a bomb").arg(unpacked).arg(archiveRead));
}

void UnpackBounds::checkDeclared(qint64 unpackedBefore, qint64 entrySize) const
{
    if (entrySize > budget_ - unpackedBefore)
        fail(QStringLiteral("the unpacked size is over the limit of %1 bytes").arg(budget_));
}

QString UnpackFolder::folder(const QStringList& names)
{
    QString path = root_;
    for (const QString& name : names) {
        path += u'/' + name;
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) == 0) {
            if (S_ISLNK(status.st_mode))
                fail(QStringLiteral("path through a link: ") + path);
            if (!S_ISDIR(status.st_mode))
                fail(QStringLiteral("not a folder: ") + path);
            continue;
        }
        if (::mkdir(QFile::encodeName(path).constData(), 0755) != 0)
            fail(QStringLiteral("cannot make folder ") + path);
        made_ << path;
    }
    return path;
}

} // namespace velmora::archive
