#include "data_source.h"

#include "odbc_error.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <odbcinst.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// Exported by the driver manager's installer library, which names the files
// it reads and writes by them; its public header leaves them out.
extern "C" {
char* odbcinst_system_file_path(char* buffer);
char* odbcinst_system_file_name(char* buffer);
BOOL _odbcinst_UserINI(char* fileName, BOOL verify);
}

namespace velmora::odbc {
namespace {

// The driver manager keeps its configuration mode per process: the user's
// file is chosen for the writes, and the old mode restored after them.
class UserConfigMode {
public:
    UserConfigMode()
    {
        SQLGetConfigMode(&old_);
        SQLSetConfigMode(ODBC_USER_DSN);
    }
    ~UserConfigMode() { SQLSetConfigMode(old_); }
    UserConfigMode(const UserConfigMode&) = delete;
    UserConfigMode& operator=(const UserConfigMode&) = delete;

private:
    UWORD old_ = ODBC_BOTH_DSN;
};

QString installerMessage()
{
    QStringList lines;
    for (WORD record = 1; record <= 8; ++record) {
        DWORD code = 0;
        char text[SQL_MAX_MESSAGE_LENGTH] = {};
        WORD length = 0;
        const RETCODE rc = SQLInstallerError(record, &code, text, sizeof text, &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        lines << QString::fromLocal8Bit(text);
    }
    return lines.join(u'\r');
}

QString profileString(const QString& section, const QString& key, const char* file)
{
    char value[4096] = {};
    SQLGetPrivateProfileString(section.toUtf8().constData(), key.toUtf8().constData(), "", value, sizeof value, file);
    return QString::fromUtf8(value);
}

// The folder of the driver manager's own libraries (/usr/lib/<triplet>).
QString driverManagerFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&SQLGetInstalledDrivers), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

QString resolvedDriverFile(const QString& driver)
{
    if (driver.isEmpty())
        return {};
    if (QDir::isAbsolutePath(driver))
        return QFileInfo(driver).isFile() ? driver : QString();
    const QString folder = driverManagerFolder();
    for (const QString& candidate : {folder + QStringLiteral("/odbc/") + driver, folder + u'/' + driver})
        if (!folder.isEmpty() && QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    return {};
}

} // namespace

QString DriverListFile()
{
    char path[FILENAME_MAX + 1] = {};
    char name[FILENAME_MAX + 1] = {};
    // They return the text, which need not be in the buffer.
    return QFile::decodeName(odbcinst_system_file_path(path)) + u'/' +
           QFile::decodeName(odbcinst_system_file_name(name));
}

QString UserDataSourceFile()
{
    char file[FILENAME_MAX + 1] = {};
    if (!_odbcinst_UserINI(file, 0))
        return QDir::homePath() + QStringLiteral("/.odbc.ini");
    return QFile::decodeName(file);
}

QString MariaDbDriverPath()
{
    std::vector<char> names(16384, '\0');
    WORD length = 0;
    QStringList drivers;
    if (SQLGetInstalledDrivers(names.data(), WORD(names.size() - 1), &length)) {
        for (const char* p = names.data(); *p; p += std::strlen(p) + 1)
            drivers << QString::fromUtf8(p);
    }
    // The Unicode driver first: texts are bound as Unicode.
    std::stable_sort(drivers.begin(), drivers.end(), [](const QString& a, const QString& b) {
        return a.contains(QStringLiteral("Unicode"), Qt::CaseInsensitive) &&
               !b.contains(QStringLiteral("Unicode"), Qt::CaseInsensitive);
    });
    for (const QString& driver : drivers) {
        const QString file = profileString(driver, QStringLiteral("Driver"), "ODBCINST.INI");
        const bool mariaDb = driver.contains(QStringLiteral("MariaDB"), Qt::CaseInsensitive) ||
                             QFileInfo(file).fileName().contains(QStringLiteral("maodbc"), Qt::CaseInsensitive);
        const QString path = mariaDb ? resolvedDriverFile(file) : QString();
        if (!path.isEmpty())
            return path;
    }
    throw OdbcError(QStringLiteral("Немогу найти драйвер MariaDB ODBC в ") + DriverListFile() +
                    QStringLiteral(" для доступа к MySQL Server.\r"
                                   " Убедитесь, что MariaDB ODBC Driver установлен в системе \r"
                                   "                 или попробуйте найти драйвер вручную."));
}

void RegisterMySqlDataSource(const MySqlDataSource& source)
{
    const QString file = UserDataSourceFile();
    const QString dir = QFileInfo(file).absolutePath();
    if (!QFileInfo(dir).isDir())
        throw OdbcError(QStringLiteral("Не удалось записать источник данных ODBC в ") + file +
                        QStringLiteral(": нет папки ") + dir);

    const QList<std::pair<const char*, QString>> values = {
        {"Database", source.database},
        {"Description", QStringLiteral("MySQL ODBC 3.51 Driver DSN")},
        {"Driver", source.driverPath},
        {"Option", QStringLiteral("3")},
        {"Password", QString()},
        {"Port", source.port},
        {"Server", source.server},
        {"Stmt", QString()},
        {"User", QString()},
    };
    UserConfigMode userFile;
    const auto write = [&](const QString& section, const char* key, const QString& value) {
        if (!SQLWritePrivateProfileString(section.toUtf8().constData(), key, value.toUtf8().constData(), "ODBC.INI"))
            throw OdbcError(QStringLiteral("Не удалось записать источник данных ODBC в ") + file +
                            QStringLiteral("\r") + installerMessage());
    };
    write(QStringLiteral("ODBC Data Sources"), source.name.toUtf8().constData(), QStringLiteral("MySQL ODBC 3.51 Driver"));
    for (const auto& [key, value] : values)
        write(source.name, key, value);
    // The installer may report success and still not reach the file.
    if (profileString(source.name, QStringLiteral("Driver"), "ODBC.INI") != source.driverPath)
        throw OdbcError(QStringLiteral("Не удалось записать источник данных ODBC в ") + file);
}

} // namespace velmora::odbc
