#include "database_restore.h"

#include "database_compaction.h"
#include "database_leftovers.h"
#include "platform/archive/resolve_archive_file.h"
#include "platform/db/connection.h"
#include "platform/files/error_text.h"
#include "platform/files/file_helpers.h"
#include "platform/files/file_replace.h"
#include "platform/files/leftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace velmora {

namespace {

// A file to restore: where its bytes are, the name the user knows it by,
// and whether it is the program's own (an unpacked file, moved rather than
// copied).
struct RestoreSource {
    QString path;
    QString shownPath;
    bool ours = false;
};

QString kindMessage(PriceFileKind kind, const QString& path)
{
    switch (kind) {
    case PriceFileKind::Missing: return QStringLiteral("Не удалось найти базу данных:\r") + path;
    case PriceFileKind::OlderFormat:
        return QStringLiteral("База данных в старом формате, программа её не читает:\r") + path;
    case PriceFileKind::Damaged: return QStringLiteral("База данных повреждена:\r") + path;
    case PriceFileKind::NotADatabase:
    case PriceFileKind::NotAPriceDatabase:
        return QStringLiteral("Файл не является базой данных с прайс-листами:\r") + path;
    case PriceFileKind::PriceDatabase: break;
    }
    return QString();
}

// What the file's first bytes say it is; PriceDatabase stands for "a
// database of this program's engine", which the copy then shows or not.
PriceFileKind kindByHeader(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return PriceFileKind::Missing;
    QFile file(path);
    const QByteArray header = file.open(QIODevice::ReadOnly) ? file.read(100) : QByteArray();
    if (header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return PriceFileKind::PriceDatabase;
    const QByteArray signature = header.mid(4, 15);
    return signature == "Standard Jet DB" || signature == "Standard ACE DB" ? PriceFileKind::OlderFormat
                                                                            : PriceFileKind::NotADatabase;
}

void copyBytes(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error(("cannot read " + from).toStdString());
    if (!copyFileContent(in, to))
        throw std::runtime_error(("cannot copy " + from + " to " + to).toStdString());
}

// The chosen database's copy in the making beside the working file,
// claimed while it lives; removed with its journals unless it was put in
// place.
class StagedCopy {
public:
    explicit StagedCopy(const QString& workingPath) : path_(reserveTemporaryBeside(workingPath))
    {
        if (path_.isEmpty())
            throw std::runtime_error(("cannot write beside " + workingPath).toStdString());
        claim_ = TemporaryClaim(path_);
    }
    StagedCopy(const StagedCopy&) = delete;
    StagedCopy& operator=(const StagedCopy&) = delete;
    ~StagedCopy()
    {
        claim_.release();
        if (!path_.isEmpty())
            removeDatabaseFiles(path_);
    }

    const QString& path() const { return path_; }

    // The source's bytes, with the log (not yet in the file) and the journal
    // (of a write a crash cut short) the engine keeps beside it: the engine
    // then opens the copy as it would have opened the source.
    void take(const RestoreSource& source)
    {
        if (source.ours) {
            QString reason;
            if (!renameOver(source.path, path_, &reason))
                throw std::runtime_error(("cannot move " + source.path + ": " + reason).toStdString());
            claim_ = TemporaryClaim(path_);
            return;
        }
        copyBytes(source.path, path_);
        for (const char* suffix : {"-wal", "-journal"})
            if (QFileInfo(source.path + QLatin1String(suffix)).isFile())
                copyBytes(source.path + QLatin1String(suffix), path_ + QLatin1String(suffix));
    }

    // What the copy is, after the engine has replayed its log or rolled its
    // journal back; a sound one is left one self-contained synced file.
    PriceFileKind settle() const
    {
        try {
            db::Connection copy(path_);
            if (copy.scalar(QStringLiteral("PRAGMA quick_check")).toString() != QLatin1String("ok"))
                return PriceFileKind::Damaged;
            if (!copy.tableExists(QStringLiteral("AllPostavSetup")) || !copy.tableExists(QStringLiteral("AllTovarPostav")))
                return PriceFileKind::NotAPriceDatabase;
            copy.scalar(QStringLiteral("PRAGMA journal_mode=DELETE"));
        } catch (const std::exception&) {
            return PriceFileKind::Damaged;
        }
        return syncFile(path_) ? PriceFileKind::PriceDatabase : PriceFileKind::Damaged;
    }

    void replace(const QString& workingPath)
    {
        claim_.release();
        replaceDatabaseFile(workingPath, path_);
        path_.clear();
    }

private:
    QString path_;
    TemporaryClaim claim_;
};

// The working file under its backup name: a second name of the same file
// where the file system allows it (the rename that follows leaves it the
// old file), else a copy.
bool keepBackup(const QString& workingPath)
{
    const QString backup = workingPath + QStringLiteral(".bak");
    QFile::remove(backup);
    if (::link(QFile::encodeName(workingPath).constData(), QFile::encodeName(backup).constData()) == 0)
        return true;
    return CopyFileShell(workingPath, backup);
}

bool restoreFrom(const RestoreSource& source, const QString& workingPath, const MaintenanceReport& report)
{
    PriceFileKind kind = kindByHeader(source.path);
    if (kind != PriceFileKind::PriceDatabase) {
        report.say(kindMessage(kind, source.shownPath));
        return false;
    }
    try {
        StagedCopy copy(workingPath);
        copy.take(source);
        kind = copy.settle();
        if (kind != PriceFileKind::PriceDatabase) {
            report.say(kindMessage(kind, source.shownPath));
            return false;
        }
        if (QFileInfo::exists(workingPath)) {
            foldDatabaseLog(workingPath);
            if (!keepBackup(workingPath))
                throw std::runtime_error(("cannot keep " + workingPath + ".bak").toStdString());
        }
        copy.replace(workingPath);
        return true;
    } catch (const DatabaseHeldError&) {
        report.say(QStringLiteral("Невозможно удалить базу: \r") + workingPath);
    } catch (const std::exception& error) {
        report.say(QStringLiteral("Не удалось загрузить базу данных:\r") + source.shownPath + u'\r' + ErrorText(error));
    }
    return false;
}

} // namespace

bool RestoreDatabaseFile(const QString& chosenPath, const QString& workingPath, const MaintenanceReport& report)
{
    removeDatabaseLeftovers(workingPath);
    return restoreFrom({chosenPath, chosenPath, false}, workingPath, report);
}

bool RestoreDatabase(const QString& chosenName, const QString& workingPath, const MaintenanceReport& report,
                     const archive::UnpackLimits& limits)
{
    const QString chosen =
        chosenName.isEmpty() ? chosenName : NewestFileInFolder(QFileInfo(chosenName).path(), QFileInfo(chosenName).fileName());
    const archive::ArchiveKind kind = archive::archiveKindOf(chosen);
    if (kind == archive::ArchiveKind::None || !QFileInfo(chosen).isFile())
        return RestoreDatabaseFile(chosen, workingPath, report);

    removeDatabaseLeftovers(workingPath);
    const QString missing = archiveReaderMissing(chosen, limits);
    if (!missing.isEmpty()) {
        report.say(missing);
        return false;
    }
    // Unpacked beside the working file: the database is renamed into place
    // from there, and nothing is written beside the archive.
    const QFileInfo archiveFile(chosen);
    const archive::UnpackedArchive unpacked = archive::unpackArchive(
        chosen, kind, QFileInfo(workingPath).absoluteDir().filePath(archiveFile.completeBaseName()), limits);
    if (!unpacked.ok() || unpacked.entries().isEmpty()) {
        report.say(QStringLiteral("Не удалось распаковать архив:\r") + chosen);
        return false;
    }
    const QString entry = unpacked.newestEntry();
    return restoreFrom({unpacked.pathOf(entry), chosen + u'/' + entry, true}, workingPath, report);
}

} // namespace velmora
