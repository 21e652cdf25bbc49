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
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok");
    sqlite3_finalize(stmt);
    ASSERT_EQ(sqlite3_prepare_v2(raw, "PRAGMA journal_mode", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "delete");
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
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
