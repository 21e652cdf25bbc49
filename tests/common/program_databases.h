#pragma once

#include "platform/db/connection.h"
#include "storage/schema.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace velmora::testing {

// A new price database and order database in a temporary folder, made as
// the program makes its default files.
class ProgramDatabasesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        createPriceDatabase(dir.filePath(QStringLiteral("PRICE.vdb")));
        createOrderDatabase(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
        priceDb.open(dir.filePath(QStringLiteral("PRICE.vdb")));
        orderDb.open(dir.filePath(QStringLiteral("BaseZakaz.vdb")));
    }

    QString dataFolder() const { return dir.path() + u'/'; }

    QTemporaryDir dir;
    db::Connection priceDb;
    db::Connection orderDb;
};

// Every row of a query as its values joined by "|" (null as empty).
inline QStringList queryRows(const db::Connection& connection, const QString& sql)
{
    QStringList rows;
    db::Statement select = connection.prepare(sql);
    while (select.step()) {
        QStringList values;
        for (int column = 0; column < select.columnCount(); ++column)
            values << select.text(column);
        rows << values.join(u'|');
    }
    return rows;
}

// The stock sqlite3 shell, when it is installed (the test target defines
// VELMORA_SQLITE3_SHELL from find_program).
inline bool haveSqliteShell(const QString& shellPath) { return QFileInfo(shellPath).isExecutable(); }

// What the stock sqlite3 shell prints for a query on a file; withTextExtension
// loads the program's collation and like() first (velmora_text in the
// program folder, which the test target then depends on).
inline QString sqliteShell(const QString& shellPath, const QString& path, const QString& sql,
                           bool withTextExtension = false)
{
    QStringList arguments{QStringLiteral("-readonly")};
#ifdef VELMORA_PROGRAM_DIR
    if (withTextExtension)
        arguments << QStringLiteral("-cmd") << QStringLiteral(".load " VELMORA_PROGRAM_DIR "/velmora_text");
#endif
    QProcess shell;
    shell.start(shellPath, arguments << path << sql);
    if (!shell.waitForFinished(10000))
        return QStringLiteral("<shell did not finish>");
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError());
}

// The one application object of a widget test executable.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "velmora_widget_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

// A control of a window by its name; a missing one fails the test.
template <typename T = QWidget>
T* findControl(const QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace velmora::testing
