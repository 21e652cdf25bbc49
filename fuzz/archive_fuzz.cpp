// An archive unpacked as a restore unpacks a chosen file: the kind its
// first bytes show. Checks that nothing is written outside the target
// folder, and that a refused archive leaves nothing behind.
#include "fuzz_input.h"

#include "platform/archive/unpack.h"

#include <QDir>
#include <QFileInfo>

namespace {

using velmora::archive::ArchiveKind;

struct Kind {
    ArchiveKind kind;
    const char* fileName;
};

Kind kindOf(const QByteArray& bytes)
{
    if (bytes.startsWith("PK"))
        return {ArchiveKind::Zip, "input.zip"};
    if (bytes.startsWith("Rar!"))
        return {ArchiveKind::Rar, "input.rar"};
    if (bytes.startsWith("7z\xBC\xAF"))
        return {ArchiveKind::SevenZip, "input.7z"};
    if (bytes.startsWith("\x1F\x8B"))
        return {ArchiveKind::GZip, "input.vdb.gz"};
    return {ArchiveKind::Tar, "input.tar"};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora;
    const QByteArray bytes = fuzz::inputBytes(data, size);
    const Kind kind = kindOf(bytes);
    const QString archive = fuzz::writeInput(bytes, QString::fromLatin1(kind.fileName));
    QDir box(fuzz::inputFolder() + QStringLiteral("/box"));
    box.mkpath(QStringLiteral("."));
    const QString target = box.filePath(QStringLiteral("target"));

    archive::UnpackLimits limits;
    limits.maxBytes = 8 << 20;
    limits.maxEntries = 200;
    const archive::UnpackResult result = archive::unpackArchive(archive, kind.kind, target, limits);

    const QStringList inBox = box.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!result.ok && !inBox.isEmpty())
        fuzz::broken("a refused archive left", inBox.join(u' '));
    if (result.ok && inBox != QStringList{QStringLiteral("target")})
        fuzz::broken("written beside the target folder", inBox.join(u' '));
    const QString inside = QFileInfo(target).canonicalFilePath() + u'/';
    for (const QString& file : result.files) {
        const QFileInfo info(file);
        if (!info.canonicalFilePath().startsWith(inside) || !info.isFile() || info.isSymLink())
            fuzz::broken("an unpacked file outside the target folder", file);
    }
    QDir(target).removeRecursively();
    return 0;
}
