// The build leaves default databases beside the program.

#include "storage_test_support.h"

#include "storage/schema.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

using namespace velmora;

namespace {

class DefaultDatabases : public ::testing::TestWithParam<const char*> {};

TEST_P(DefaultDatabases, StandBesideTheProgramAndPassTheStockIntegrityCheck)
{
    const QString file = QDir(QStringLiteral(VELMORA_PROGRAM_DIR)).filePath(QString::fromUtf8(GetParam()));
    ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
    RawSqlite raw(file, SQLITE_OPEN_READONLY);
    ASSERT_EQ(raw.loadTextExtension(), "");
    EXPECT_EQ(raw.text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(raw.text("PRAGMA journal_mode"), "delete");
}

INSTANTIATE_TEST_SUITE_P(Files, DefaultDatabases, ::testing::Values("PRICE.vdb", "BaseZakaz.vdb"));

TEST(DefaultDatabasesContent, HoldEveryTableOfTheirSchema)
{
    const QDir program(QStringLiteral(VELMORA_PROGRAM_DIR));
    db::Connection price(program.filePath(QStringLiteral("PRICE.vdb")), db::OpenMode::ReadOnly);
    for (const TableDef& t : priceTables())
        EXPECT_EQ(price.columnNames(t.name).size(), t.columns.size()) << t.name.toStdString();
    db::Connection order(program.filePath(QStringLiteral("BaseZakaz.vdb")), db::OpenMode::ReadOnly);
    for (const TableDef& t : orderTables())
        EXPECT_EQ(order.columnNames(t.name).size(), t.columns.size()) << t.name.toStdString();
}

} // namespace
