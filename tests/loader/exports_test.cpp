// Supplier price-list exports: CSV bytes, workbooks read back by openpyxl.
#include "loader_test_support.h"

#include "platform/files/cp1251.h"
#include "platform/spreadsheet/templates.h"
#include "suppliers/exports/price_list_export.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace velmora::exports {
namespace {

using loader::test::AddPriceList;
using loader::test::InsertOffers;
using loader::test::RunPython;
using loader::test::TestDatabases;

QString TemplateFile()
{
    return sheet::templatePath(QStringLiteral(VELMORA_PROGRAM_DIR), QStringLiteral("PriceExcel.xls"));
}

// Prints B1, C4, the number of the last row and the rows from row 5 as
// tab-separated lines.
const QString kReadBack = QStringLiteral(R"(
import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
print(sheet["B1"].value)
print(sheet["C4"].value)
print(sheet.max_row)
for row in sheet.iter_rows(min_row=5, max_row=min(sheet.max_row, 8), values_only=True):
    print("\t".join("" if v is None else str(v) for v in row))
)");

void InsertOffer(db::Connection& priceDb, const QString& name, const QString& art, const QString& tovar, double priceOut)
{
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant,"
        " Sklad, Description, TextNoName, PriceOut) VALUES (?1, ?2, 1, 2, ?3, 'True', 'True', 1, 'G', 'S', 'D', 'T', ?4)"));
    insert.bindText(1, art).bindText(2, tovar).bindText(3, name).bindDouble(4, priceOut);
    insert.execute();
}

TEST(CsvExport, QuotesFieldsLikeTheShopReadsThem)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"abc", "abc"},
        {"a;b", "\"a;b\""},
        {"a,b", "\"a,b\""},
        {"24\"", "\"24\"\"\""},
        {"x\r\ny", "\"x  y\""},
        {"a\tb", "\"a b\""},
        {"", ""},
    };
    for (const auto& [text, quoted] : cases)
        EXPECT_EQ(CsvQuoteField(text), quoted) << text.toStdString();
    EXPECT_EQ(CsvPriceText(1234.5), QStringLiteral("1234,5"));
    EXPECT_EQ(CsvPriceText(1200), QStringLiteral("1200"));
    EXPECT_EQ(CsvPriceText(0.1235), QStringLiteral("0,1235"));
}

TEST(CsvExport, WritesWindows1251LinesInNumberOrder)
{
    TestDatabases dbs;
    const QString name = QStringLiteral("Поставщик");
    InsertOffer(dbs.price, name, QStringLiteral("A-1"), QStringLiteral("Монитор 24\""), 1234.5);
    InsertOffer(dbs.price, name, QStringLiteral("B;2"), QStringLiteral("Клавиатура"), 1200);
    InsertOffer(dbs.price, QStringLiteral("Чужой"), QStringLiteral("X"), QStringLiteral("Чужой товар"), 1);
    const QString folder = dbs.dir.filePath(QStringLiteral("Export/"));
    const ExportResult result = ExportPriceListCsv(dbs.price, name, folder);
    EXPECT_EQ(result.rowsWritten, 2);
    QFile file(result.path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes, encodeCp1251(QStringLiteral("A-1;\"Монитор 24\"\"\";\"1234,5\"\r\n\"B;2\";Клавиатура;1200\r\n")));
    EXPECT_EQ(QFileInfo(result.path).fileName(), QStringLiteral("Поставщик.csv"));
}

TEST(CsvExport, UnsafeNamesAndFolders)
{
    EXPECT_EQ(SafeFileName(QStringLiteral("A/B:C*?")), QStringLiteral("A_B_C__"));
    EXPECT_EQ(SafeFileName(QStringLiteral("..")), QStringLiteral("_"));
    TestDatabases dbs;
    try {
        ExportPriceListCsv(dbs.price, QStringLiteral("x"), QString());
        ADD_FAILURE() << "no error for an empty folder";
    } catch (const ExportError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Пустое значение для пути выгрузки файла"));
    }
    const QString blocker = dbs.dir.filePath(QStringLiteral("file"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString folder = blocker + QStringLiteral("/Export/");
    try {
        ExportPriceListCsv(dbs.price, QStringLiteral("x"), folder);
        ADD_FAILURE() << "no error for an uncreatable folder";
    } catch (const ExportError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Невозможно создать директорию ") + folder);
    }
    EXPECT_EQ(ExportFolderFor(QStringLiteral("C:\\Прайсы\\a.xls")).endsWith(QStringLiteral("/Export/")), true);
    EXPECT_EQ(ExportFolderFor(QStringLiteral("/data/prices/a.xls")), QStringLiteral("/data/prices/Export/"));
}

TEST(WorkbookExport, HeaderAndGoodsReadBack)
{
    TestDatabases dbs;
    const QString name = QStringLiteral("Поставщик");
    InsertOffer(dbs.price, name, QStringLiteral("A-1"), QStringLiteral("Монитор"), 1234.5);
    InsertOffer(dbs.price, name, QStringLiteral("A-2"), QStringLiteral("Мышь"), 99);
    const QString out = dbs.dir.filePath(QStringLiteral("Export/Поставщик.xlsx"));
    ExportColumnTitles titles;
    titles.art = QStringLiteral("Код");
    const ExportResult result = ExportPriceListWorkbook(dbs.price, name, TemplateFile(), out, titles, QStringLiteral("RUB"));
    EXPECT_EQ(result.rowsWritten, 2);
    EXPECT_EQ(result.rowsOmitted, 0);
    const QStringList lines = RunPython(kReadBack, {out}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], name);
    EXPECT_EQ(lines[1], QStringLiteral("Цена (RUB)"));
    EXPECT_EQ(lines[2], QStringLiteral("6"));
    EXPECT_EQ(lines[3], QStringLiteral("A-1\tМонитор\t1234.5\t2\tS\tG\tT\tD"));
    EXPECT_EQ(lines[4], QStringLiteral("A-2\tМышь\t99\t2\tS\tG\tT\tD"));
}

TEST(WorkbookExport, EmptyListGivesTheHeaderOnly)
{
    TestDatabases dbs;
    const QString out = dbs.dir.filePath(QStringLiteral("empty.xlsx"));
    ExportPriceListWorkbook(dbs.price, QStringLiteral("Пусто"), TemplateFile(), out, {}, QStringLiteral("USD"));
    const QStringList lines = RunPython(kReadBack, {out}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("Цена (USD)"));
    EXPECT_LE(lines[2].toInt(), 5) << "no goods rows";
}

TEST(WorkbookExport, CapsAListAndCountsTheRest)
{
    TestDatabases dbs;
    const QString name = QStringLiteral("Большой");
    InsertOffers(dbs.price, name, 70000);
    const QString out = dbs.dir.filePath(QStringLiteral("big.xlsx"));
    const ExportResult result = ExportPriceListWorkbook(dbs.price, name, TemplateFile(), out, {}, QStringLiteral("RUB"));
    EXPECT_EQ(result.rowsWritten, kMaxWorkbookRows);
    EXPECT_EQ(result.rowsOmitted, 70000 - kMaxWorkbookRows);
    const QStringList lines = RunPython(kReadBack, {out}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[2].toInt(), 4 + kMaxWorkbookRows);
}

TEST(WorkbookExport, AllListsFollowEachOtherInOneWorkbook)
{
    TestDatabases dbs;
    InsertOffer(dbs.price, QStringLiteral("Первый"), QStringLiteral("P-1"), QStringLiteral("Один"), 1);
    InsertOffer(dbs.price, QStringLiteral("Первый"), QStringLiteral("P-2"), QStringLiteral("Два"), 2);
    InsertOffer(dbs.price, QStringLiteral("Второй"), QStringLiteral("V-1"), QStringLiteral("Три"), 3);
    const QString out = dbs.dir.filePath(QStringLiteral("TovarAll.xlsx"));
    int steps = 0;
    const ExportResult result = ExportAllPriceListsWorkbook(dbs.price, {QStringLiteral("Первый"), QStringLiteral("Второй")},
                                                            TemplateFile(), out, {}, QStringLiteral("RUB"),
                                                            [&](int) { ++steps; });
    EXPECT_EQ(result.rowsWritten, 3);
    EXPECT_EQ(steps, 2);
    const QStringList lines = RunPython(kReadBack, {out}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("ВСЕ ТОВАРЫ из Базы"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("P-1\t")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("P-2\t")));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("V-1\t")));
}

} // namespace
} // namespace velmora::exports
