#pragma once

#include "archive_kind.h"
#include "platform/files/leftovers.h"

#include <QString>
#include <QStringList>

namespace velmora::archive {

// What one unpack may take. Past any of these it stops and removes what it
// wrote: an archive is a file from elsewhere, and a small one can claim to
// hold terabytes or millions of entries, or inflate to them.
struct UnpackLimits {
    // All entries together. An archive is unpacked for the database in it,
    // and no database the program could restore is larger than the room on
    // the disk it is unpacked to: the restore unpacks into the data folder
    // and renames the database into place there. So the unpack stops once it
    // would leave less than `keepFreeBytes` free there (the program and the
    // system go on working on that disk), and in any case at `maxBytes`,
    // hundreds of times what a shop's price database takes.
    qint64 maxBytes = qint64(16) << 30;
    qint64 keepFreeBytes = qint64(1) << 30;
    int maxEntries = 10000; // entries of any type

    // A database packs to a fifth or a tenth of its size (texts, numbers and
    // the free room of its pages); deflate's best, on a run of one byte, is
    // about 1030 to 1. Once more than `ratioGraceBytes` are unpacked, more
    // than `maxInflationRatio` bytes unpacked per byte of the archive read is
    // a bomb, not a database: the unpack stops there, long before the
    // gigabytes such an archive would write. Below the grace any ratio
    // passes (a small empty database packs very well).
    int maxInflationRatio = 100;
    qint64 ratioGraceBytes = qint64(16) << 20;

    // The outside program that unpacks the kinds libarchive has no reader
    // for (ARJ): its name on the search path or a full path, and how long
    // one run of it may take before it is stopped.
    QString sevenZipProgram = QStringLiteral("7zz");
    int programTimeoutMs = 10 * 60 * 1000;
};

enum class UnpackFailure {
    None,
    Damaged,       // unreadable, encrypted, unsafe, over a limit, a disk error
    ReaderMissing, // the kind needs a program that is not on this machine
};

// The files of one unpack, in a folder of its own beside the target folder
// ("<target>.XXXXXX.unpack"), claimed while it works (leftovers.h). The
// destructor removes that folder with whatever is still in it, so an
// unpack that is not used leaves nothing behind.
class UnpackedArchive {
public:
    UnpackedArchive() = default;
    UnpackedArchive(const UnpackedArchive&) = delete;
    UnpackedArchive& operator=(const UnpackedArchive&) = delete;
    UnpackedArchive(UnpackedArchive&& other) noexcept;
    UnpackedArchive& operator=(UnpackedArchive&& other) noexcept;
    ~UnpackedArchive();

    bool ok() const { return failure_ == UnpackFailure::None; }
    UnpackFailure failure() const { return failure_; }
    // Why the unpack failed (for logs and tests; users see their own text).
    const QString& error() const { return error_; }

    // The regular files unpacked, as paths inside the archive
    // ("base/price.vdb"), in the archive's order.
    const QStringList& entries() const { return entries_; }
    // Where an entry's file is while this object holds it.
    QString pathOf(const QString& entry) const;
    // The entry written last (of equal times the later in the archive);
    // empty when there is none.
    QString newestEntry() const;

    // Moves every file into the target folder (made when missing), keeping
    // the entries' paths below it and replacing files that are there;
    // returns the files' new paths in the archive's order. On failure
    // nothing of this unpack stays in the target folder, the files it
    // replaced are back, and the result is empty.
    QStringList placeInto(const QString& targetFolder);

private:
    friend UnpackedArchive unpackArchive(const QString&, ArchiveKind, const QString&, const UnpackLimits&);
    void drop();

    QString folder_;
    TemporaryClaim claim_;
    QStringList entries_;
    UnpackFailure failure_ = UnpackFailure::Damaged;
    QString error_;
};

// Unpacks every entry of the archive, read as `kind` says (ArchiveKind::None
// has no reader and fails), into a new folder beside `targetFolder` (see
// UnpackedArchive); what killed unpacks for the same target left there goes
// first. A single packed file of a GZip kind is named from the gzip header,
// or else from the archive's name without its last extension; a gzip whose
// content does not begin as a tar does (a zero block ends a tar at once) is
// such a file. ARJ archives are unpacked by 7-Zip's program, run on its own
// with the same rules.
//
// Only regular files and folders are written. An entry whose path (or
// whose link's target) would leave the folder, an encrypted entry, a
// damaged archive, a disk error or a limit reached fails the whole unpack
// and removes all it wrote. Files get the time they were written, not the
// archive's.
UnpackedArchive unpackArchive(const QString& archivePath, ArchiveKind kind, const QString& targetFolder,
                              const UnpackLimits& limits = {});

// Removes the folders that killed unpacks left in `folder` and no running
// program claims: every "*.XXXXXX.unpack", or with a target name only that
// target's.
void removeUnpackLeftovers(const QString& folder, const QString& targetName = QString());

} // namespace velmora::archive
