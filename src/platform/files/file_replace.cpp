#include "file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velmora {

namespace {

bool syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

bool syncFile(const QString& path) { return syncPath(path, O_RDONLY); }

bool renameOver(const QString& from, const QString& to, QString* error)
{
    // rename(2) replaces the target in one step; QFile::rename would refuse
    // an existing one.
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // The new directory entry reaches the disk only with its folder.
    syncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

QString reserveTemporaryBeside(const QString& path)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX.part"));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    return file.fileName();
}

ReplacementFile::ReplacementFile(const QString& target) : target_(target)
{
    removeLeftoversBeside(target);
    path_ = reserveTemporaryBeside(target);
    if (!path_.isEmpty())
        claim_ = TemporaryClaim(path_);
}

ReplacementFile::~ReplacementFile()
{
    if (path_.isEmpty() || replaced_)
        return;
    claim_.release();
    removeLeftover(path_);
}

bool ReplacementFile::replaceTarget(QString* error)
{
    if (path_.isEmpty()) {
        if (error)
            *error = QStringLiteral("нет временного файла");
        return false;
    }
    if (!syncFile(path_)) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    claim_.release();
    replaced_ = renameOver(path_, target_, error);
    return replaced_;
}

} // namespace velmora
