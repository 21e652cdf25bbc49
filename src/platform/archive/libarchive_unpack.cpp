#include "libarchive_unpack.h"

#include "platform/files/cp1251.h"

#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <locale.h>

#include <memory>

namespace velmora::archive {

namespace {

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

// How a GZip kind is read: a packed tar, or one packed file.
enum class GzipContent { TarOrFile, FileOnly };

Reader openReader(const QString& path, ArchiveKind kind, GzipContent content = GzipContent::TarOrFile)
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
        if (content == GzipContent::TarOrFile)
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

// The tar reader takes a zero block for the end of an empty archive and
// would find nothing in a packed file that begins with zero bytes (a
// database's free pages, a disk image): such content is a packed file.
GzipContent gzipContentOf(const QString& path)
{
    Reader reader = openReader(path, ArchiveKind::GZip, GzipContent::FileOnly);
    struct archive_entry* entry = nullptr;
    if (archive_read_next_header(reader.get(), &entry) != ARCHIVE_OK)
        return GzipContent::TarOrFile; // the real read reports it
    char block[512];
    la_ssize_t got = 0;
    while (got < la_ssize_t(sizeof block)) {
        const la_ssize_t more = archive_read_data(reader.get(), block + got, sizeof block - size_t(got));
        if (more <= 0)
            break;
        got += more;
    }
    if (got <= 0)
        return GzipContent::TarOrFile;
    for (la_ssize_t i = 0; i < got; ++i)
        if (block[i] != 0)
            return GzipContent::TarOrFile;
    return GzipContent::FileOnly;
}

QString decodeName(const char* utf8, const char* raw)
{
    if (utf8)
        return QString::fromUtf8(utf8);
    // A name in no known code page: as the program reads any text.
    return raw ? decodeText(QByteArray(raw)) : QString();
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

bool hasGzipFilter(struct archive* reader)
{
    for (int i = 0; i < archive_filter_count(reader); ++i)
        if (archive_filter_code(reader, i) == ARCHIVE_FILTER_GZIP)
            return true;
    return false;
}

// Copies the current entry's data into a new file; `unpacked` counts the
// bytes of all entries so far.
void writeEntryData(struct archive* reader, const QString& path, const UnpackBounds& bounds, qint64& unpacked)
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
        unpacked += got;
        // Before the bytes reach the disk: a bomb stops here.
        bounds.check(unpacked, archive_filter_bytes(reader, -1));
        if (out.write(buffer.constData(), got) != got)
            fail(QStringLiteral("cannot write ") + path);
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        fail(QStringLiteral("cannot write ") + path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::ReadOther);
}

} // namespace

QStringList unpackWithLibarchive(const QString& archivePath, ArchiveKind kind, UnpackFolder& folder,
                                 const UnpackBounds& bounds, const UnpackLimits& limits)
{
    const Utf8NamesLocale utf8Names;
    const GzipContent content = kind == ArchiveKind::GZip ? gzipContentOf(archivePath) : GzipContent::TarOrFile;
    Reader reader = openReader(archivePath, kind, content);
    struct archive* a = reader.get();

    QStringList files;
    qint64 unpacked = 0;
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
            folder.folder(*parts);
            break;
        case AE_IFREG: {
            if (parts->isEmpty())
                fail(QStringLiteral("entry without a name"));
            if (archive_entry_size_is_set(entry))
                bounds.checkDeclared(unpacked, archive_entry_size(entry));
            const QString inFolder = folder.folder(parts->mid(0, parts->size() - 1));
            writeEntryData(a, inFolder + u'/' + parts->last(), bounds, unpacked);
            const QString relative = parts->join(u'/');
            files.removeAll(relative); // a later entry of the same name replaces it
            files << relative;
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
    return files;
}

} // namespace velmora::archive
