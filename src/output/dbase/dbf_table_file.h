#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace velmora {
class ReplacementFile;
}

namespace velmora::output {

// The file under a TDBF: positioned reads and writes, the advisory lock,
// and for a new table the temporary file that replaces the old one when
// committed. Writes that follow one another are gathered and sent in large
// blocks, so filling a table record by record costs few system calls.
class DbfTableFile {
public:
    enum class Lock { Shared, Exclusive };

    // Opens an existing file read-write under the lock; null when the file
    // cannot be opened or the lock is held against us.
    static std::unique_ptr<DbfTableFile> openExisting(const QString& path, Lock lock);
    // Creates a temporary file beside `path` for a new table. When `path`
    // exists it is locked as well, until commit or destruction, so that a
    // file another program holds is not replaced. `busy` tells which of the
    // two failed.
    static std::unique_ptr<DbfTableFile> createReplacement(const QString& path, Lock lock, bool* busy);

    ~DbfTableFile();
    DbfTableFile(const DbfTableFile&) = delete;
    DbfTableFile& operator=(const DbfTableFile&) = delete;

    bool write(qint64 offset, const QByteArray& bytes);
    bool read(qint64 offset, qint64 length, QByteArray* bytes);
    bool flush();
    // A new table: flushes, syncs and renames it over the target. An
    // existing file: flushes. False when any step failed.
    bool commit();
    bool isReplacement() const { return !target_.isEmpty(); }

private:
    DbfTableFile() = default;

    QFile file_;
    QString target_;                  // a new table: the path it replaces
    std::unique_ptr<ReplacementFile> replacement_; // a new table: its file until put in place
    std::unique_ptr<QFile> targetLock_; // a new table: the old file, locked
    QByteArray pending_;
    qint64 pendingOffset_ = 0;
    bool committed_ = false;
};

} // namespace velmora::output
