// The search's rows in a workbook, read back by openpyxl: both layouts'
// headers, widths and formats, text kept as text and prices as numbers,
// the empty result, the numbered names of a day, and the failures.
#include "search_fixture.h"

#include "../common/unprivileged.h"

#include "suppliers/exports/search_export.h"
#include "suppliers/search/supplier_goods_search.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace velmora::exports {
namespace {

using search::test::PriceDbFixture;

const QDate kDay(2024, 3, 5);

QJsonObject firstSheet(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VELMORA_TEST_DATA "/../spreadsheet/dump_xlsx.py"), path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object().value("sheets").toArray().at(0).toObject();
}

struct Sheet {
    QJsonObject dump;
    QJsonObject cell(const QString& a1) const { return dump.value("cells").toObject().value(a1).toObject(); }
    QJsonValue value(const QString& a1) const { return cell(a1).value("value"); }
    // The row's values from A to `last` joined by "|"; numbers marked "#".
    QString row(int r, char last) const
    {
        QStringList values;
        for (char c = 'A'; c <= last; ++c) {
            const QJsonValue v = value(QString(QChar(c)) + QString::number(r));
            values << (v.isDouble() ? u'#' + QString::number(v.toDouble()) : v.toString());
        }
        return values.join(u'|');
    }
    double width(const char* column) const { return dump.value("widths").toObject().value(column).toDouble(); }
    QString format(const QString& a1) const { return cell(a1).value("numberFormat").toString(); }
};

class SearchExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.addSupplier({QStringLiteral("Альфа"), 1});
        fixture.addSupplier({QStringLiteral("Бета"), 1});
        fixture.addOffer({1, QStringLiteral("Альфа"), QStringLiteral("007"), QStringLiteral("Дрель ударная"), 120.5,
                          QStringLiteral("Китай"), QStringLiteral("есть"), QStringLiteral("мощная"),
                          QStringLiteral("Bosch"), 99.25});
        fixture.addOffer({2, QStringLiteral("Бета"), QStringLiteral("0012"), QStringLiteral("Дрель простая"), 80,
                          QStringLiteral("Россия"), QStringLiteral("10"), {}, QStringLiteral("Зубр"), 3});
        fixture.addOffer({3, QStringLiteral("Бета"), QStringLiteral("П-1"), QStringLiteral("Пила"), 50});
        program = fixture.folder() + QStringLiteral("/program");
    }
    // The search as the grid runs it, its statement kept for the export.
    SearchExportInput search(const QString& text)
    {
        search::SearchState state;
        outcome = search::SearchSupplierGoods(fixture.db(), search::SearchOptions{}, text, state, 1);
        EXPECT_EQ(outcome.status, search::SearchStatus::Opened);
        SearchExportInput input;
        input.query = outcome.query.get();
        input.programFolder = program;
        input.today = kDay;
        input.chunkRows = 1; // every row a chunk of its own
        return input;
    }
    QString excelFolder() const { return program + QStringLiteral("/Excel/"); }

    PriceDbFixture fixture;
    search::SearchOutcome outcome;
    QString program;
};

TEST_F(SearchExportTest, StandardLayoutWithTheUsersTitlesAndTheDisplayCurrency)
{
    SearchExportInput input = search(QStringLiteral("дрель"));
    input.titles.ColumnTitleArt = QStringLiteral("Код товара");
    input.currencyCode = QStringLiteral("EUR");
    const QString path = ExportSearchToExcel(input);
    EXPECT_EQ(path, excelFolder() + "Search_Tovar_05.03.2024.xlsx");

    const Sheet sheet{firstSheet(path)};
    EXPECT_EQ(sheet.dump.value("name").toString(), "Search_Tovar");
    EXPECT_EQ(sheet.row(1, 'I'), "Код товара|Товар|Поставщик|Цена (EUR)|Цена (розн.)|Склад|Страна|Производит.|Описание");
    // In the search's order, by price.
    EXPECT_EQ(sheet.row(2, 'I'), "0012|Дрель простая|Бета|#80|#96|10|Россия|Зубр|");
    EXPECT_EQ(sheet.row(3, 'I'), "007|Дрель ударная|Альфа|#120.5|#144.6|есть|Китай|Bosch|мощная");
    EXPECT_EQ(sheet.dump.value("maxRow").toInt(), 3);
    const std::pair<const char*, double> widths[] = {{"A", 20}, {"B", 50}, {"C", 12}, {"D", 10}, {"E", 10},
                                                    {"F", 8},  {"G", 10}, {"H", 20}, {"I", 10}};
    for (const auto& [column, width] : widths)
        EXPECT_NEAR(sheet.width(column), width, 1) << column;
    const QJsonObject font = sheet.cell("D1").value("font").toObject();
    EXPECT_TRUE(font.value("bold").toBool());
    EXPECT_EQ(font.value("size").toDouble(), 10);
    EXPECT_EQ(sheet.cell("B1").value("hAlign").toString(), "center");
    EXPECT_FALSE(sheet.cell("B2").value("font").toObject().value("bold").toBool());
    for (const char* a1 : {"A1", "A2", "B3", "C3"})
        EXPECT_EQ(sheet.format(a1), "@") << a1;
    for (const char* a1 : {"D2", "E3", "F2", "I3"})
        EXPECT_NE(sheet.format(a1), "@") << a1;
}

TEST_F(SearchExportTest, QuorvelLayoutHasTheSuppliersPriceAndNotTheConvertedOne)
{
    const QString path = ExportSearchToExcelQuorvel(search(QStringLiteral("дрель")));
    const Sheet sheet{firstSheet(path)};
    EXPECT_EQ(sheet.row(1, 'G'), "Артикул|Производит.|Цена (поставщика)|Товар|Поставщик|Склад|");
    EXPECT_EQ(sheet.row(2, 'G'), "0012|Зубр|#3|Дрель простая|Бета|10|");
    EXPECT_EQ(sheet.row(3, 'G'), "007|Bosch|#99.25|Дрель ударная|Альфа|есть|");
    const std::pair<const char*, double> widths[] = {{"A", 15}, {"B", 30}, {"C", 17}, {"D", 50}, {"E", 15}, {"F", 10}};
    for (const auto& [column, width] : widths)
        EXPECT_NEAR(sheet.width(column), width, 1) << column;
    for (const QJsonValue& cell : sheet.dump.value("cells").toObject()) {
        const QJsonValue v = cell.toObject().value("value");
        EXPECT_NE(v.toDouble(), 80.0) << "PriceOut written";
        EXPECT_NE(v.toDouble(), 120.5) << "PriceOut written";
    }
    EXPECT_EQ(sheet.format("B3"), "@");
    EXPECT_NE(sheet.format("C2"), "@") << "the price column is no text";
}

TEST_F(SearchExportTest, AnEmptyResultGivesTheHeaderAloneAndADayNumbersItsFiles)
{
    SearchExportInput none;
    none.programFolder = program;
    none.today = kDay;
    const QString first = ExportSearchToExcel(none);
    const Sheet sheet{firstSheet(first)};
    EXPECT_EQ(sheet.dump.value("maxRow").toInt(), 1);
    EXPECT_EQ(sheet.row(1, 'C'), "Артикул|Товар|Поставщик");

    const QString second = ExportSearchToExcel(search(QStringLiteral("нетакоготовара")));
    EXPECT_EQ(Sheet{firstSheet(second)}.dump.value("maxRow").toInt(), 1);
    const QString third = ExportSearchToExcelQuorvel(search(QStringLiteral("пила")));
    EXPECT_EQ(second, excelFolder() + "Search_Tovar_05.03.2024_2.xlsx");
    EXPECT_EQ(third, excelFolder() + "Search_Tovar_05.03.2024_3.xlsx");
    EXPECT_EQ(QFileInfo(first).fileName(), "Search_Tovar_05.03.2024.xlsx");
}

TEST_F(SearchExportTest, AFolderThatCannotBeMadeOrWrittenIsReportedAndLeavesNothing)
{
    // A file stands where the folder goes.
    QDir().mkpath(program);
    QFile blocker(program + QStringLiteral("/Excel"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        ExportSearchToExcel(search(QStringLiteral("дрель")));
        ADD_FAILURE() << "no error";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.message(), "Невозможно создать директорию " + excelFolder());
    }
    QFile::remove(program + QStringLiteral("/Excel"));

    // A folder nobody may write to: the save fails and leaves no file.
    QDir().mkpath(excelFolder());
    velmora::testing::openToEveryone(fixture.folder());
    velmora::testing::openToEveryone(program);
    QFile::setPermissions(excelFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                             | QFileDevice::ExeOther);
    SearchExportInput none;
    none.programFolder = program;
    none.today = kDay;
    EXPECT_TRUE(velmora::testing::runUnprivileged([&none] {
        try {
            ExportSearchToExcel(none);
            return false;
        } catch (const ExportError& e) {
            return e.message() == QStringLiteral("Файл не был сохранен!");
        }
    }));
    EXPECT_EQ(QDir(excelFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

TEST_F(SearchExportTest, AResultLongerThanTheSheetIsRefusedWithItsCountAndWritesNothing)
{
    SearchExportInput input = search(QStringLiteral("%"));
    input.sheetRows = 2;
    try {
        ExportSearchToExcel(input);
        ADD_FAILURE() << "no error";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.message(),
                  "Товаров в результате поиска: 3.\rНа лист Excel помещается не более 2.\rВыгрузка невозможна!");
    }
    EXPECT_FALSE(QFileInfo::exists(excelFolder()));
    EXPECT_EQ(searchTooLongMessage(1048576),
              "Товаров в результате поиска: 1048576.\rНа лист Excel помещается не более 1048575.\rВыгрузка невозможна!");
}

} // namespace
} // namespace velmora::exports
