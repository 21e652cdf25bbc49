#include "archive_kind.h"

#include "platform/files/file_helpers.h"

#include <QFileInfo>

namespace velmora::archive {

ArchiveKind archiveKindOf(const QString& fileName)
{
    struct Extension {
        const char* name;
        ArchiveKind kind;
    };
    static constexpr Extension extensions[] = {
        {"ZIP", ArchiveKind::Zip},  {"JAR", ArchiveKind::Zip},       {"XPI", ArchiveKind::Zip},
        {"RAR", ArchiveKind::Rar},  {"R00", ArchiveKind::Rar},       {"7Z", ArchiveKind::SevenZip},
        {"ARJ", ArchiveKind::Arj},  {"TAR", ArchiveKind::Tar},       {"GZIP", ArchiveKind::GZip},
        {"GZ", ArchiveKind::GZip},  {"TGZ", ArchiveKind::GZip},      {"TPZ", ArchiveKind::GZip},
    };
    const QString extension = UpperFileExt(QFileInfo(fileName).fileName());
    for (const Extension& known : extensions)
        if (extension == QLatin1String(known.name))
            return known.kind;
    return ArchiveKind::None;
}

} // namespace velmora::archive
