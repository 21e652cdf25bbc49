#include "odbc_test_support.h"
#include "platform/odbc/data_source.h"
#include "platform/odbc/odbc_error.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora::odbc;
using velmora::test::ScopedEnvironment;

// A program of its own: the driver manager reads ODBCSYSINI once per process.
TEST(OdbcDriver, AListWithoutMariaDbNamesTheFileInTheError)
{
    QTemporaryDir dir;
    QFile list(dir.filePath("odbcinst.ini"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[SQLite3]\nDriver=libsqlite3odbc.so\n\n"
                                            "[MariaDB Unicode]\nDriver=/nowhere/libmaodbc.so\n");
    list.close();
    ScopedEnvironment folder("ODBCSYSINI", QFile::encodeName(dir.path()));
    EXPECT_EQ(DriverListFile(), dir.filePath("odbcinst.ini"));
    try {
        MariaDbDriverPath();
        FAIL() << "a driver was found";
    } catch (const OdbcError& error) {
        EXPECT_TRUE(error.message().contains(dir.filePath("odbcinst.ini"))) << error.message().toStdString();
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Немогу найти драйвер MariaDB")));
    }
}

