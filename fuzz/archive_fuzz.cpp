// An archive unpacked as a restore unpacks a chosen file: the kind its
// first bytes show. Checks that nothing is written outside the target
// folder, and that neither a refused nor a used unpack leaves anything
// behind.
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
    const auto inBox = [&box] {
        return box.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    };
    {
        archive::UnpackedArchive unpacked = archive::unpackArchive(archive, kind.kind, target, limits);
        const QStringList written = inBox();
        if (!unpacked.ok() && !written.isEmpty())
            fuzz::broken("a refused archive left", written.join(u' '));
        if (unpacked.ok() && (written.size() != 1 || !written.first().endsWith(QLatin1String(".unpack"))))
            fuzz::broken("written beside the unpack folder", written.join(u' '));
        const QStringList placed = unpacked.ok() ? unpacked.placeInto(target) : QStringList();
        const QString inside = QFileInfo(target).canonicalFilePath() + u'/';
        for (const QString& file : placed) {
            const QFileInfo info(file);
            if (!info.canonicalFilePath().startsWith(inside) || !info.isFile() || info.isSymLink())
                fuzz::broken("an unpacked file outside the target folder", file);
        }
    }
    // The unpack's own folder goes with it, used or not.
    const QStringList left = inBox();
    if (!left.isEmpty() && left != QStringList{QStringLiteral("target")})
        fuzz::broken("the unpack left", left.join(u' '));
    QDir(target).removeRecursively();
    return 0;
}
