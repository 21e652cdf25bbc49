#include "leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

const char* const kCompanions[] = {"-journal", "-wal", "-shm"};

int openForLock(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

bool isLink(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

// The file a companion ("x-journal") belongs to; empty for any other name.
QString ownerOfCompanion(const QString& path)
{
    for (const char* suffix : kCompanions)
        if (path.endsWith(QLatin1String(suffix)))
            return path.chopped(int(qstrlen(suffix)));
    return QString();
}

} // namespace

TemporaryClaim::TemporaryClaim(const QString& path) : fd_(openForLock(path))
{
    // A shared lock: the remover asks for an exclusive one.
    if (fd_ >= 0 && ::flock(fd_, LOCK_SH | LOCK_NB) != 0)
        release();
}

TemporaryClaim::TemporaryClaim(TemporaryClaim&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

TemporaryClaim& TemporaryClaim::operator=(TemporaryClaim&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void TemporaryClaim::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool removeLeftover(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isSymLink()) // the program never makes links
        return false;
    const int fd = openForLock(path);
    if (fd < 0)
        return false;
    // Held for the removal, so that no run claims it meanwhile.
    const bool unclaimed = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    bool removed = false;
    if (unclaimed) {
        if (info.isDir()) {
            removed = QDir(path).removeRecursively();
        } else {
            for (const char* suffix : kCompanions)
                QFile::remove(path + QLatin1String(suffix));
            removed = QFile::remove(path);
        }
    }
    ::close(fd);
    return removed;
}

void removeLeftoversIn(const QString& folder, const QRegularExpression& name)
{
    const QDir dir(folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        const QString path = dir.filePath(entry);
        if (name.match(entry).hasMatch()) {
            removeLeftover(path);
            continue;
        }
        // A journal or log whose temporary is gone serves nothing.
        const QString owner = ownerOfCompanion(entry);
        if (!owner.isEmpty() && name.match(owner).hasMatch() && !QFileInfo::exists(dir.filePath(owner))
            && !isLink(path))
            QFile::remove(path);
    }
}

void removeLeftoversBeside(const QString& path)
{
    const QFileInfo info(path);
    const QRegularExpression name(QStringLiteral("^%1\\.%2\\.part$")
                                      .arg(QRegularExpression::escape(info.fileName()), temporaryNamePattern()));
    removeLeftoversIn(info.absolutePath(), name);
}

QString temporaryNamePattern() { return QStringLiteral("[A-Za-z0-9]{6}"); }

} // namespace velmora
