#include "suppliers/setup/workbook_sheets.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QString kData = QStringLiteral(VELMORA_TEST_DATA "/tree/");

TEST(WorkbookSheets, ListsTheWorksheetsOfAFixture)
{
    const WorkbookSheets sheets = ReadWorkbookSheets(kData + "price.xlsx");
    ASSERT_TRUE(sheets.ok) << sheets.message.toStdString();
    EXPECT_EQ(sheets.names, QStringList({"Прайс", "Склад"}));
}

TEST(WorkbookSheets, BadFilesGiveAMessage)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty.xlsx");
    QFile(empty).open(QIODevice::WriteOnly);
    const struct {
        QString path;
        QString startsWith;
    } cases[] = {
        {dir.filePath("нет.xlsx"), "прайс-лист " + dir.filePath("нет.xlsx") + " отсутствует"},
        {"", "прайс-лист  отсутствует"},
        {dir.path(), "прайс-лист " + dir.path() + " отсутствует"},
        {kData + "not_a_workbook.xlsx", "Не удалось открыть файл прайс-листа:\r" + kData + "not_a_workbook.xlsx"},
        {empty, "Не удалось открыть файл прайс-листа:\r" + empty},
    };
    for (const auto& c : cases) {
        const WorkbookSheets sheets = ReadWorkbookSheets(c.path);
        EXPECT_FALSE(sheets.ok) << c.path.toStdString();
        EXPECT_TRUE(sheets.message.startsWith(c.startsWith)) << sheets.message.toStdString();
    }
}

} // namespace
