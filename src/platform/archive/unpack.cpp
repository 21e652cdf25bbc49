#include "unpack.h"

#include "platform/files/cp1251.h"
#include "platform/files/error_text.h"
#include "platform/files/file_replace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <archive.h>
#include <archive_entry.h>

#include <locale.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <stdexcept>

namespace velmora::archive {

namespace {

// Any reason to give up the whole unpack.
struct UnpackFailure {
    QString reason;
};

[[noreturn]] void fail(const QString& reason) { throw UnpackFailure{reason}; }

QString libraryError(struct archive* reader)
{
    const char* text = archive_error_string(reader);
    return text ? QString::fromUtf8(text) : QStringLiteral("archive error");
}

// libarchive converts entry names into the calling thread's locale: a UTF-8
// one keeps every name, whatever locale the process runs in.
class Utf8NamesLocale {
public:
    Utf8NamesLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr)))
    {
        if (locale_)
            previous_ = uselocale(locale_);
    }
    ~Utf8NamesLocale()
    {
        if (locale_) {
            uselocale(previous_);
            freelocale(locale_);
        }
    }
    Utf8NamesLocale(const Utf8NamesLocale&) = delete;
    Utf8NamesLocale& operator=(const Utf8NamesLocale&) = delete;

private:
    locale_t locale_;
    locale_t previous_ = locale_t(nullptr);
};

struct ReaderFree {
    void operator()(struct archive* reader) const { archive_read_free(reader); }
};
using Reader = std::unique_ptr<struct archive, ReaderFree>;

Reader openReader(const QString& path, ArchiveKind kind)
{
    Reader reader(archive_read_new());
    if (!reader)
        fail(QStringLiteral("out of memory"));
    struct archive* a = reader.get();
    switch (kind) {
    case ArchiveKind::Zip:
        archive_read_support_format_zip(a);
        // Names that do not say they are UTF-8 were written by Windows tools
        // in the DOS code page.
        archive_read_set_format_option(a, "zip", "hdrcharset", "CP866");
        break;
    case ArchiveKind::Rar:
        archive_read_support_format_rar(a);
        archive_read_support_format_rar5(a);
        break;
    case ArchiveKind::SevenZip: archive_read_support_format_7zip(a); break;
    case ArchiveKind::Tar: archive_read_support_format_tar(a); break;
    case ArchiveKind::GZip:
        archive_read_support_filter_gzip(a);
        archive_read_support_format_tar(a);
        archive_read_support_format_raw(a); // one packed file
        break;
    case ArchiveKind::None:
    case ArchiveKind::Arj: fail(QStringLiteral("no reader for this kind of archive"));
    }
    if (archive_read_open_filename(a, QFile::encodeName(path).constData(), 256 * 1024) != ARCHIVE_OK)
        fail(libraryError(a));
    return reader;
}

QString decodeName(const char* utf8, const char* raw)
{
    if (utf8)
        return QString::fromUtf8(utf8);
    // A name in no known code page: as the program reads any text.
    return raw ? decodeText(QByteArray(raw)) : QString();
}

// The folders and file name of a path inside the target; nothing when the
// path would leave it (absolute, or through "..").
std::optional<QStringList> pathInside(const QString& path)
{
    if (path.startsWith(u'/') || path.startsWith(u'\\'))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : QString(path).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return std::nullopt;
        parts << part;
    }
    return parts;
}

// A link's target, taken from the folder of the link, stays inside.
bool linkStaysInside(const QStringList& linkParts, const QString& target)
{
    if (target.isEmpty() || target.startsWith(u'/') || target.startsWith(u'\\'))
        return false;
    QStringList at = linkParts.mid(0, linkParts.size() - 1);
    for (const QString& part : QString(target).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (at.isEmpty())
                return false;
            at.removeLast();
        } else {
            at << part;
        }
    }
    return true;
}

// The name stored in a gzip header (FNAME), without any folder; empty when
// there is none.
QString gzipStoredName(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray head = file.read(64 * 1024);
    if (head.size() < 10 || quint8(head[0]) != 0x1f || quint8(head[1]) != 0x8b)
        return QString();
    const quint8 flags = quint8(head[3]);
    qsizetype at = 10;
    if (flags & 0x04) { // FEXTRA
        if (head.size() < at + 2)
            return QString();
        at += 2 + (quint8(head[at]) | (quint8(head[at + 1]) << 8));
    }
    if (!(flags & 0x08) || at >= head.size()) // FNAME
        return QString();
    const qsizetype end = head.indexOf('\0', at);
    if (end < 0)
        return QString();
    QString name = decodeText(head.mid(at, end - at));
    name.replace(u'\\', u'/');
    name = name.section(u'/', -1);
    return name == QLatin1String(".") || name == QLatin1String("..") ? QString() : name;
}

// The files and folders of one unpack, kept until it has read every entry:
// commit() renames the files into place; otherwise the destructor removes
// everything this unpack made.
class UnpackWrites {
public:
    explicit UnpackWrites(QString root) : root_(std::move(root)) {}
    UnpackWrites(const UnpackWrites&) = delete;
    UnpackWrites& operator=(const UnpackWrites&) = delete;

    ~UnpackWrites()
    {
        if (committed_)
            return;
        for (const Pending& file : pending_)
            QFile::remove(file.temporary);
        for (const QString& file : placed_)
            QFile::remove(file);
        for (auto folder = madeFolders_.crbegin(); folder != madeFolders_.crend(); ++folder)
            QDir().rmdir(*folder);
    }

    // Makes the target folder; false when it cannot be made.
    bool makeRoot()
    {
        if (QFileInfo(root_).isDir())
            return true;
        if (!QDir().mkpath(root_))
            return false;
        madeFolders_ << root_;
        return true;
    }

    // The folder of these names below the root, made as needed. A name that
    // is a link or a file on the disk is refused: nothing is written
    // through a link.
    QString folder(const QStringList& names)
    {
        QString path = root_;
        for (const QString& name : names) {
            path += u'/' + name;
            struct stat status;
            if (::lstat(QFile::encodeName(path).constData(), &status) == 0) {
                if (S_ISLNK(status.st_mode))
                    fail(QStringLiteral("path through a link: ") + path);
                if (!S_ISDIR(status.st_mode))
                    fail(QStringLiteral("not a folder: ") + path);
                continue;
            }
            if (::mkdir(QFile::encodeName(path).constData(), 0755) != 0)
                fail(QStringLiteral("cannot make folder ") + path);
            madeFolders_ << path;
        }
        return path;
    }

    // A new temporary file that is to become `finalPath`.
    QString temporaryFor(const QString& finalPath)
    {
        const QString temporary = reserveTemporaryBeside(finalPath);
        if (temporary.isEmpty())
            fail(QStringLiteral("cannot write ") + finalPath);
        pending_.push_back({temporary, finalPath});
        return temporary;
    }

    // Renames every file into place; the files, in the archive's order.
    QStringList commit()
    {
        QStringList files;
        for (const Pending& file : pending_) {
            QString reason;
            if (!renameOver(file.temporary, file.finalPath, &reason))
                fail(QStringLiteral("cannot write %1: %2").arg(file.finalPath, reason));
            placed_ << file.finalPath;
            files << file.finalPath;
        }
        committed_ = true;
        return files;
    }

private:
    struct Pending {
        QString temporary;
        QString finalPath;
    };
    QString root_;
    QStringList madeFolders_;
    QList<Pending> pending_;
    QStringList placed_;
    bool committed_ = false;
};

qint64 byteBudget(const QString& root, const UnpackLimits& limits)
{
    const QStorageInfo disk(root);
    const qint64 free = disk.isValid() ? disk.bytesAvailable() - limits.keepFreeBytes : 0;
    return qMax<qint64>(0, qMin(limits.maxBytes, free));
}

// Copies the current entry's data into a new file; `budget` is what is
// left of the bytes the unpack may write.
void writeEntryData(struct archive* reader, const QString& path, qint64& budget)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write ") + path);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const la_ssize_t got = archive_read_data(reader, buffer.data(), size_t(buffer.size()));
        if (got < 0)
            fail(libraryError(reader));
        if (got == 0)
            break;
        budget -= got;
        if (budget < 0)
            fail(QStringLiteral("the unpacked size is over the limit"));
        if (out.write(buffer.constData(), got) != got)
            fail(QStringLiteral("cannot write ") + path);
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        fail(QStringLiteral("cannot write ") + path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::ReadOther);
}

bool hasGzipFilter(struct archive* reader)
{
    for (int i = 0; i < archive_filter_count(reader); ++i)
        if (archive_filter_code(reader, i) == ARCHIVE_FILTER_GZIP)
            return true;
    return false;
}

QStringList unpackEntries(const QString& archivePath, ArchiveKind kind, const QString& root,
                          const UnpackLimits& limits)
{
    const Utf8NamesLocale utf8Names;
    Reader reader = openReader(archivePath, kind);
    struct archive* a = reader.get();
    UnpackWrites writes(root);
    if (!writes.makeRoot())
        fail(QStringLiteral("cannot make folder ") + root);
    qint64 budget = byteBudget(root, limits);

    int entries = 0;
    for (;;) {
        struct archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
            fail(libraryError(a));
        if (++entries > limits.maxEntries)
            fail(QStringLiteral("more than %1 entries").arg(limits.maxEntries));
        if (archive_entry_is_encrypted(entry))
            fail(QStringLiteral("encrypted entry"));

        QString name = decodeName(archive_entry_pathname_utf8(entry), archive_entry_pathname(entry));
        if ((archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAW) {
            // One packed file, not an archive: only a real gzip stream counts.
            if (!hasGzipFilter(a))
                fail(QStringLiteral("not a gzip file"));
            name = gzipStoredName(archivePath);
            if (name.isEmpty())
                name = QFileInfo(archivePath).completeBaseName();
        }
        const std::optional<QStringList> parts = pathInside(name);
        if (!parts)
            fail(QStringLiteral("entry outside the target folder: ") + name);

        if (const char* hardlink = archive_entry_hardlink(entry)) {
            // Another entry's data under a second name: not written.
            const QString target = decodeName(archive_entry_hardlink_utf8(entry), hardlink);
            if (!pathInside(target))
                fail(QStringLiteral("link outside the target folder: ") + name);
            continue;
        }
        switch (archive_entry_filetype(entry)) {
        case AE_IFDIR:
            writes.folder(*parts);
            break;
        case AE_IFREG: {
            if (parts->isEmpty())
                fail(QStringLiteral("entry without a name"));
            if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > budget)
                fail(QStringLiteral("the unpacked size is over the limit"));
            const QString folder = writes.folder(parts->mid(0, parts->size() - 1));
            writeEntryData(a, writes.temporaryFor(folder + u'/' + parts->last()), budget);
            break;
        }
        case AE_IFLNK: {
            // Links are not made; one that points out shows a crafted archive.
            const QString target = decodeName(archive_entry_symlink_utf8(entry), archive_entry_symlink(entry));
            if (!linkStaysInside(*parts, target))
                fail(QStringLiteral("link outside the target folder: ") + name);
            break;
        }
        default: // devices, pipes, sockets: nothing a program reads
            break;
        }
    }
    return writes.commit();
}

} // namespace

UnpackResult unpackArchive(const QString& archivePath, ArchiveKind kind, const QString& targetFolder,
                           const UnpackLimits& limits)
{
    UnpackResult result;
    QString root = QDir::cleanPath(targetFolder);
    try {
        result.files = unpackEntries(archivePath, kind, root, limits);
        result.ok = true;
    } catch (const UnpackFailure& failure) {
        result.error = failure.reason;
    } catch (const std::exception& error) {
        result.error = ErrorText(error);
    }
    return result;
}

} // namespace velmora::archive
