#pragma once

#include <QString>

namespace velmora::archive {

// The kinds of archive the program unpacks, told apart by the file's
// extension alone (as the user named the file, not by its content).
enum class ArchiveKind {
    None,     // not an archive
    Zip,      // ZIP, JAR, XPI
    Rar,      // RAR, R00 (RAR 4 and RAR 5)
    SevenZip, // 7Z
    Arj,      // ARJ, unpacked by 7-Zip's program (libarchive has no reader)
    Tar,      // TAR
    GZip,     // GZIP, GZ, TGZ, TPZ: a packed tar, or one packed file
};

ArchiveKind archiveKindOf(const QString& fileName);

} // namespace velmora::archive
