#include "unpack.h"

#include "libarchive_unpack.h"
#include "seven_zip_unpack.h"
#include "unpack_rules.h"

#include "platform/files/file_replace.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <stdexcept>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

namespace velmora::archive {

namespace {

const QString kUnpackSuffix = QStringLiteral(".unpack");

// A new folder "<target>.XXXXXX.unpack" beside the target.
QString makeWorkFolder(const QString& target)
{
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent))
        fail(QStringLiteral("cannot make folder ") + parent);
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = target + u'.';
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(letters[QRandomGenerator::global()->bounded(52)]);
        name += kUnpackSuffix;
        if (QDir().mkdir(name))
            return name;
        if (!QFileInfo::exists(name))
            break;
    }
    fail(QStringLiteral("cannot make a folder beside ") + target);
}

// Swaps `from` with the regular file at `to` in one step; false (nothing
// done) when `to` is no regular file or the file system cannot swap.
bool exchangeWithFile(const QString& from, const QString& to)
{
    struct stat there {};
    const QByteArray toName = QFile::encodeName(to);
    if (::lstat(toName.constData(), &there) != 0 || !S_ISREG(there.st_mode))
        return false;
    return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, toName.constData(),
                       RENAME_EXCHANGE)
        == 0;
}

} // namespace

UnpackedArchive::UnpackedArchive(UnpackedArchive&& other) noexcept
    : folder_(std::move(other.folder_)), claim_(std::move(other.claim_)), entries_(std::move(other.entries_)),
      failure_(other.failure_), error_(std::move(other.error_))
{
    other.folder_.clear();
}

UnpackedArchive& UnpackedArchive::operator=(UnpackedArchive&& other) noexcept
{
    if (this != &other) {
        drop();
        folder_ = std::move(other.folder_);
        claim_ = std::move(other.claim_);
        entries_ = std::move(other.entries_);
        failure_ = other.failure_;
        error_ = std::move(other.error_);
        other.folder_.clear();
    }
    return *this;
}

UnpackedArchive::~UnpackedArchive() { drop(); }

void UnpackedArchive::drop()
{
    if (!folder_.isEmpty())
        QDir(folder_).removeRecursively();
    folder_.clear();
    claim_.release();
}

QString UnpackedArchive::pathOf(const QString& entry) const { return folder_ + u'/' + entry; }

QString UnpackedArchive::newestEntry() const
{
    QString newest;
    QDateTime newestTime;
    for (const QString& entry : entries_) {
        const QDateTime modified = QFileInfo(pathOf(entry)).lastModified();
        if (newest.isEmpty() || modified >= newestTime) {
            newest = entry;
            newestTime = modified;
        }
    }
    return newest;
}

QStringList UnpackedArchive::placeInto(const QString& targetFolder)
{
    if (!ok() || folder_.isEmpty())
        return {};
    const QString root = QDir::cleanPath(targetFolder);
    const bool rootMade = !QFileInfo(root).isDir();
    QStringList placed;
    QHash<QString, QString> replaced; // placed file -> the entry that holds its old one
    UnpackFolder target(root);
    try {
        if (rootMade && !QDir().mkpath(root))
            fail(QStringLiteral("cannot make folder ") + root);
        for (const QString& entry : std::as_const(entries_)) {
            QStringList parts = entry.split(u'/');
            const QString name = parts.takeLast();
            const QString to = target.folder(parts) + u'/' + name;
            // A file already there trades places with the new one, so that
            // it waits in the work folder until every entry is placed and
            // can go back if one fails.
            const bool traded = exchangeWithFile(pathOf(entry), to);
            QString reason;
            if (!traded && !renameOver(pathOf(entry), to, &reason))
                fail(QStringLiteral("cannot write %1: %2").arg(to, reason));
            placed << to;
            if (traded)
                replaced.insert(to, entry);
        }
        return placed;
    } catch (const UnpackError& error) {
        for (const QString& file : std::as_const(placed)) {
            const auto old = replaced.constFind(file);
            if (old == replaced.cend() || !exchangeWithFile(pathOf(*old), file))
                QFile::remove(file);
        }
        QStringList made = target.made();
        if (rootMade)
            made.prepend(root);
        for (auto folder = made.crbegin(); folder != made.crend(); ++folder)
            QDir().rmdir(*folder);
        failure_ = error.failure;
        error_ = error.reason;
        entries_.clear();
        return {};
    }
}

UnpackedArchive unpackArchive(const QString& archivePath, ArchiveKind kind, const QString& targetFolder,
                              const UnpackLimits& limits)
{
    UnpackedArchive result;
    const QString target = QDir::cleanPath(targetFolder);
    try {
        removeUnpackLeftovers(QFileInfo(target).absolutePath(), QFileInfo(target).fileName());
        result.folder_ = makeWorkFolder(target);
        result.claim_ = TemporaryClaim(result.folder_);
        UnpackFolder folder(result.folder_);
        const UnpackBounds bounds(result.folder_, limits);
        result.entries_ = kind == ArchiveKind::Arj ? unpackWithSevenZip(archivePath, folder, bounds, limits)
                                                   : unpackWithLibarchive(archivePath, kind, folder, bounds, limits);
        result.failure_ = UnpackFailure::None;
    } catch (const UnpackError& error) {
        result.failure_ = error.failure;
        result.error_ = error.reason;
    } catch (const std::exception& error) {
        result.error_ = QString::fromUtf8(error.what());
    }
    if (!result.ok()) {
        result.drop();
        result.entries_.clear();
    }
    return result;
}

void removeUnpackLeftovers(const QString& folder, const QString& targetName)
{
    const QString name = targetName.isEmpty() ? QStringLiteral(".+") : QRegularExpression::escape(targetName);
    removeLeftoversIn(folder, QRegularExpression(QStringLiteral("^%1\\.%2%3$")
                                                     .arg(name, temporaryNamePattern(),
                                                          QRegularExpression::escape(kUnpackSuffix))));
}

} // namespace velmora::archive
