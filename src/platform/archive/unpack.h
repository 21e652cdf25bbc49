#pragma once

#include "archive_kind.h"

#include <QString>
#include <QStringList>

namespace velmora::archive {

// What one unpack may take. Past any of these it stops and removes what it
// wrote: an archive is a file from elsewhere, and a small one can claim to
// hold terabytes or millions of entries.
struct UnpackLimits {
    qint64 maxBytes = qint64(16) << 30;     // all entries together, unpacked
    qint64 keepFreeBytes = qint64(1) << 30; // left free on the target's disk
    int maxEntries = 10000;                 // entries of any type
};

struct UnpackResult {
    bool ok = false;
    // The regular files written, full paths, in the archive's order.
    QStringList files;
    // Why the unpack failed (for logs and tests; the user sees no message).
    QString error;
};

// Unpacks every entry of the archive into the target folder (made when
// missing), keeping the entries' paths below it and replacing files that
// are there. Reads the archive as `kind` says (ArchiveKind::None and Arj
// have no reader and fail). A single packed file of a GZip kind is named
// from the gzip header, or else from the archive's name without its last
// extension.
//
// Only regular files and folders are written, each file under a temporary
// name and renamed into place once every entry has been read whole, so a
// failure leaves no entry behind and no file that was there replaced. An
// entry whose path (or whose link's target) would leave the target folder,
// an encrypted entry, a damaged archive, a disk error or a limit reached
// fails the whole unpack: whatever it wrote or made is removed. Files get
// the time they were written, not the archive's.
UnpackResult unpackArchive(const QString& archivePath, ArchiveKind kind, const QString& targetFolder,
                           const UnpackLimits& limits = {});

} // namespace velmora::archive
