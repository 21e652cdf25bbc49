#include "app_folders.h"

#include <QCoreApplication>
#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace velmora {

namespace {

QString withTrailingSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace

QString programFolderOfExecutable()
{
    return withTrailingSlash(QCoreApplication::applicationDirPath());
}

QString dataFolderFromEnvironment()
{
    const QString appData = qEnvironmentVariable("APPDATA");
    if (!appData.isEmpty())
        return withTrailingSlash(appData) + QStringLiteral("Velmora/");
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return withTrailingSlash(base) + QStringLiteral("Velmora/");
}

QString currentUserName()
{
    // The password database names the real user of the process; the
    // environment is only a fallback for accounts it does not know.
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QStringLiteral("Unknown") : fromEnvironment;
}

QString pathInFolder(const QString& folder, const QString& fileName)
{
    return withTrailingSlash(folder) + fileName;
}

} // namespace velmora
