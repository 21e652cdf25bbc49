#pragma once

// The rules every unpack follows, whoever reads the archive: where an entry
// may go, and how much it may write.

#include "unpack.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::archive {

// Any reason to give up the whole unpack.
struct UnpackError {
    QString reason;
    UnpackFailure failure = UnpackFailure::Damaged;
};

[[noreturn]] inline void fail(const QString& reason, UnpackFailure failure = UnpackFailure::Damaged)
{
    throw UnpackError{reason, failure};
}

// The folders and file name of a path inside the target; nothing when the
// path would leave it (absolute, or through "..").
std::optional<QStringList> pathInside(const QString& path);

// A link's target, taken from the folder of the link, stays inside.
bool linkStaysInside(const QStringList& linkParts, const QString& target);

// The byte bounds of one unpack (UnpackLimits), measured on the disk of the
// folder it writes in.
class UnpackBounds {
public:
    UnpackBounds(const QString& folder, const UnpackLimits& limits);

    // Fails once `unpacked` bytes (all entries so far) are over the size
    // bound, or are a bomb's inflation of the `archiveRead` bytes read from
    // the archive.
    void check(qint64 unpacked, qint64 archiveRead) const;
    // Fails when an entry says it is larger than the size bound allows.
    void checkDeclared(qint64 unpackedBefore, qint64 entrySize) const;

private:
    qint64 budget_;
    qint64 grace_;
    qint64 ratio_;
};

// The folder an unpack writes in, and the folders it makes below it. A name
// that is a link or a file on the disk is refused: nothing is written
// through a link.
class UnpackFolder {
public:
    explicit UnpackFolder(QString root) : root_(std::move(root)) {}

    const QString& root() const { return root_; }
    // The folder of these names below the root, made as needed.
    QString folder(const QStringList& names);
    // The folders made, parents first.
    const QStringList& made() const { return made_; }

private:
    QString root_;
    QStringList made_;
};

} // namespace velmora::archive
