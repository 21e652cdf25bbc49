#include "odbc_test_support.h"
#include "platform/files/ini_file.h"
#include "platform/odbc/data_source.h"
#include "platform/odbc/odbc_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::odbc;
using velmora::test::ScopedEnvironment;

namespace {

QString iniValue(const QString& file, const QString& section, const QString& key)
{
    return ReadIniString(file, section, QStringLiteral("<missing>"), key);
}

MySqlDataSource shopSource(const QString& driver)
{
    MySqlDataSource source;
    source.name = QStringLiteral("VelmoraShopODBCDataAdmin");
    source.server = QStringLiteral("srv");
    source.database = QStringLiteral("shop");
    source.driverPath = driver;
    return source;
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(OdbcDriver, MariaDbDriverIsFoundByItsFullPath)
{
    const QString path = MariaDbDriverPath();
    EXPECT_TRUE(QFileInfo(path).isAbsolute()) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).fileName().contains(QStringLiteral("maodbc"))) << path.toStdString();
}

TEST(OdbcDataSource, RegistrationMakesTheFileWithTheListEntryAndNineValues)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("odbc.ini");
    ScopedEnvironment user("ODBCINI", QFile::encodeName(file));
    ASSERT_EQ(UserDataSourceFile(), file);

    RegisterMySqlDataSource(shopSource(QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so")));

    const QString dsn = QStringLiteral("VelmoraShopODBCDataAdmin");
    EXPECT_EQ(iniValue(file, QStringLiteral("ODBC Data Sources"), dsn), QStringLiteral("MySQL ODBC 3.51 Driver"));
    const std::pair<const char*, const char*> values[] = {
        {"Database", "shop"},
        {"Description", "MySQL ODBC 3.51 Driver DSN"},
        {"Driver", "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"},
        {"Option", "3"},
        {"Password", ""},
        {"Port", "3306"},
        {"Server", "srv"},
        {"Stmt", ""},
        {"User", ""},
    };
    for (const auto& [key, value] : values)
        EXPECT_EQ(iniValue(file, dsn, QString::fromLatin1(key)), QString::fromUtf8(value)) << key;
}

TEST(OdbcDataSource, RegistrationKeepsOtherSourcesAndReplacesItsOwnValues)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("odbc.ini");
    writeText(file, "[Accounting]\nDriver=/opt/other.so\nServer=books\n\n"
                    "[VelmoraShopODBCDataAdmin]\nServer=old\nPort=3310\n");
    ScopedEnvironment user("ODBCINI", QFile::encodeName(file));

    MySqlDataSource source = shopSource(QStringLiteral("/opt/driver.so"));
    source.port = QStringLiteral("3307");
    RegisterMySqlDataSource(source);

    EXPECT_EQ(iniValue(file, QStringLiteral("Accounting"), QStringLiteral("Server")), QStringLiteral("books"));
    EXPECT_EQ(iniValue(file, QStringLiteral("Accounting"), QStringLiteral("Driver")), QStringLiteral("/opt/other.so"));
    EXPECT_EQ(iniValue(file, QStringLiteral("VelmoraShopODBCDataAdmin"), QStringLiteral("Server")),
              QStringLiteral("srv"));
    EXPECT_EQ(iniValue(file, QStringLiteral("VelmoraShopODBCDataAdmin"), QStringLiteral("Port")),
              QStringLiteral("3307"));
    EXPECT_EQ(iniValue(file, QStringLiteral("ODBC Data Sources"), QStringLiteral("VelmoraShopODBCDataAdmin")),
              QStringLiteral("MySQL ODBC 3.51 Driver"));
}

TEST(OdbcDataSource, AFileThatCannotBeWrittenIsReportedNotOk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ini")));
    // A missing folder, and a folder where the file should be.
    for (const QString& file : {dir.filePath("missing/odbc.ini"), dir.filePath("folder.ini")}) {
        ScopedEnvironment user("ODBCINI", QFile::encodeName(file));
        try {
            RegisterMySqlDataSource(shopSource(QStringLiteral("/opt/driver.so")));
            ADD_FAILURE() << "registration reported success for " << file.toStdString();
        } catch (const OdbcError& error) {
            EXPECT_TRUE(error.message().contains(file)) << error.message().toStdString();
        }
        EXPECT_FALSE(QFileInfo(file).isFile());
    }
}
