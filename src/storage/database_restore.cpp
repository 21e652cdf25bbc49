#include "database_restore.h"

#include "database_compaction.h"
#include "platform/db/backup.h"
#include "platform/db/connection.h"
#include "platform/files/error_text.h"
#include "platform/files/file_helpers.h"
#include "platform/files/file_replace.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace velmora {

namespace {

QByteArray headerOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(100) : QByteArray();
}

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

} // namespace

PriceFileKind checkPriceDatabaseFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return PriceFileKind::Missing;
    const QByteArray header = headerOf(path);
    if (!header.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        const QByteArray signature = header.mid(4, 15);
        return signature == "Standard Jet DB" || signature == "Standard ACE DB" ? PriceFileKind::OlderFormat
                                                                                : PriceFileKind::NotADatabase;
    }
    try {
        db::Connection chosen(path, db::OpenMode::ReadOnly);
        if (chosen.scalar(QStringLiteral("PRAGMA quick_check")).toString() != QLatin1String("ok"))
            return PriceFileKind::Damaged;
        return chosen.tableExists(QStringLiteral("AllPostavSetup")) && chosen.tableExists(QStringLiteral("AllTovarPostav"))
            ? PriceFileKind::PriceDatabase
            : PriceFileKind::NotAPriceDatabase;
    } catch (const std::exception&) {
        return PriceFileKind::Damaged;
    }
}

bool RestoreDatabaseFile(const QString& chosenPath, const QString& workingPath, const MaintenanceReport& report)
{
    const PriceFileKind kind = checkPriceDatabaseFile(chosenPath);
    if (kind != PriceFileKind::PriceDatabase) {
        report.say(kindMessage(kind, chosenPath));
        return false;
    }
    QString temporary;
    try {
        if (QFileInfo::exists(workingPath)) {
            foldDatabaseLog(workingPath);
            if (!keepBackup(workingPath))
                throw std::runtime_error(("cannot keep " + workingPath + ".bak").toStdString());
        }
        temporary = db::copyDatabaseBeside(chosenPath, workingPath);
        replaceDatabaseFile(workingPath, temporary);
        return true;
    } catch (const DatabaseHeldError&) {
        report.say(QStringLiteral("Невозможно удалить базу: \r") + workingPath);
    } catch (const std::exception& error) {
        report.say(QStringLiteral("Не удалось загрузить базу данных:\r") + chosenPath + u'\r' + ErrorText(error));
    }
    if (!temporary.isEmpty())
        removeDatabaseFiles(temporary);
    return false;
}

} // namespace velmora
