#include "dbf_table_file.h"

#include "platform/files/file_replace.h"

#include <QDir>
#include <QFileInfo>

#include <sys/file.h>


namespace velmora::output {
namespace {

constexpr qint64 kMaxPending = 1 << 20;

bool lockFile(QFile& file, DbfTableFile::Lock lock)
{
    const int operation = (lock == DbfTableFile::Lock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    return ::flock(file.handle(), operation) == 0;
}

} // namespace

std::unique_ptr<DbfTableFile> DbfTableFile::openExisting(const QString& path, Lock lock)
{
    std::unique_ptr<DbfTableFile> table(new DbfTableFile);
    table->file_.setFileName(path);
    if (!table->file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered) || !lockFile(table->file_, lock))
        return nullptr;
    return table;
}

std::unique_ptr<DbfTableFile> DbfTableFile::createReplacement(const QString& path, Lock lock, bool* busy)
{
    *busy = false;
    std::unique_ptr<DbfTableFile> table(new DbfTableFile);
    table->target_ = path;
    if (QFileInfo::exists(path)) {
        table->targetLock_ = std::make_unique<QFile>(path);
        if (!table->targetLock_->open(QIODevice::ReadOnly) || !lockFile(*table->targetLock_, lock)) {
            *busy = true;
            return nullptr;
        }
    }
    // Beside the target, so the rename stays on one file system, under a
    // name the next run knows should this one be killed.
    table->replacement_ = std::make_unique<ReplacementFile>(path);
    if (!table->replacement_->isValid())
        return nullptr;
    table->file_.setFileName(table->replacement_->path());
    if (!table->file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return nullptr;
    return table;
}

DbfTableFile::~DbfTableFile()
{
    if (isReplacement() && !committed_)
        file_.close(); // the replacement file removes itself
    else
        flush();
}

bool DbfTableFile::write(qint64 offset, const QByteArray& bytes)
{
    const qint64 pendingEnd = pendingOffset_ + pending_.size();
    if (!pending_.isEmpty() && offset >= pendingOffset_ && offset + bytes.size() <= pendingEnd) {
        pending_.replace(offset - pendingOffset_, bytes.size(), bytes);
        return true;
    }
    if (pending_.isEmpty() || offset != pendingEnd) {
        if (!flush())
            return false;
        pendingOffset_ = offset;
        pending_.reserve(kMaxPending);
    }
    pending_.append(bytes);
    return pending_.size() < kMaxPending || flush();
}

bool DbfTableFile::read(qint64 offset, qint64 length, QByteArray* bytes)
{
    if (!flush() || !file_.seek(offset))
        return false;
    *bytes = file_.read(length);
    return bytes->size() == length;
}

bool DbfTableFile::flush()
{
    if (pending_.isEmpty())
        return true;
    const bool ok = file_.seek(pendingOffset_) && file_.write(pending_) == pending_.size();
    pending_.truncate(0); // keeps the buffer for the next block
    return ok;
}

bool DbfTableFile::commit()
{
    if (!flush())
        return false;
    if (!isReplacement())
        return true;
    file_.close();
    // The rename replaces the old file in one step: readers see the old
    // table or the whole new one.
    if (!replacement_->replaceTarget())
        return false;
    committed_ = true;
    targetLock_.reset();
    return true;
}

} // namespace velmora::output
