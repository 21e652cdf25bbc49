#include "sheet_test_support.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

namespace velmora::sheet {
namespace {

using test::fixture;

struct ExpectedCell {
    const char* address;
    CellType type;
    const char* text;
    const char* formula = "";
};

// The price sheet every fixture holds, as each writer stores it.
const std::vector<ExpectedCell> kPriceSheet = {
    {"A1", CellType::Text, "Артикул"},
    {"B1", CellType::Text, "Наименование"},
    {"C1", CellType::Text, "Цена"},
    {"D1", CellType::Text, "Дата"},
    {"E1", CellType::Text, "Ссылка"},
    {"F1", CellType::Text, "Формула"},
    {"A2", CellType::Text, "А-001"},
    {"B2", CellType::Text, "Молоко «Весёлое» 3,2%"},
    {"C2", CellType::Number, "123.45"},
    {"D2", CellType::Date, "15.03.2024"},
    {"E2", CellType::Text, "сайт"},
    {"F2", CellType::Text, "b", "=HYPERLINK(\"http://example.com/b\",\"b\")"},
    {"A3", CellType::Text, "А-002"},
    {"C3", CellType::Number, "7"},
    {"D3", CellType::Number, "14", "=C3*2"},
    {"E3", CellType::Text, "строка inline"},
    {"F3", CellType::Number, "246.9", "=C2*2"},
    {"B4", CellType::Text, "Объединено"},
    {"D4", CellType::Number, "0", "=C4*2"},
    {"A5", CellType::Boolean, "TRUE"},
    {"C5", CellType::Number, "-2.5"},
    {"D5", CellType::Error, "#DIV/0!", "=1/0"},
};

// xlwt stores formulas without cached results and has no hyperlink records.
const std::vector<ExpectedCell> kXlwtSheet = {
    {"A1", CellType::Text, "Артикул"},
    {"B1", CellType::Text, "Наименование"},
    {"C1", CellType::Text, "Цена"},
    {"D1", CellType::Text, "Дата"},
    {"E1", CellType::Text, "Ссылка"},
    {"F1", CellType::Text, "Формула"},
    {"A2", CellType::Text, "А-001"},
    {"B2", CellType::Text, "Молоко «Весёлое» 3,2%"},
    {"C2", CellType::Number, "123.45"},
    {"D2", CellType::Date, "15.03.2024"},
    {"E2", CellType::Text, "сайт"},
    {"F2", CellType::Text, "", "=HYPERLINK(\"http://example.com/b\",\"b\")"},
    {"A3", CellType::Text, "А-002"},
    {"C3", CellType::Number, "7"},
    {"F3", CellType::Text, "", "=C2*2"},
    {"B4", CellType::Text, "Объединено"},
    {"A5", CellType::Boolean, "TRUE"},
    {"C5", CellType::Number, "-2.5"},
};

const std::vector<ExpectedCell> kCsvSheet = {
    {"A1", CellType::Text, "Артикул"},
    {"B1", CellType::Text, "Наименование"},
    {"C1", CellType::Text, "Цена"},
    {"D1", CellType::Text, "Дата"},
    {"A2", CellType::Text, "А-001"},
    {"B2", CellType::Text, "Молоко \"Весёлое\"; 3,2%"},
    {"C2", CellType::Number, "123.45"},
    {"D2", CellType::Date, "15.03.2024"},
    {"A3", CellType::Text, "А-002"},
    {"C3", CellType::Number, "7"},
    {"A4", CellType::Text, "0123"}, // an article keeps its leading zero
    {"B4", CellType::Text, "две\r\nстроки"},
    {"C4", CellType::Number, "-2.5"},
};

struct FixtureCase {
    const char* file;
    FileFormat format;
    QStringList sheets;
    const std::vector<ExpectedCell>* cells;
    CellRef lastUsed;
    std::vector<CellRange> merges;
    std::map<QString, QString> links; // cell -> address
    bool formulasKnown = true;
};

std::vector<FixtureCase> fixtureCases()
{
    const QStringList twoSheets{QStringLiteral("Прайс"), QStringLiteral("Второй лист")};
    const std::map<QString, QString> link{{QStringLiteral("E2"), QStringLiteral("http://example.com/a?x=1&y=2")}};
    const std::vector<CellRange> merge{parseRange(QStringLiteral("B4:C4"))};
    std::vector<FixtureCase> cases = {
        {"sample.xlsx", FileFormat::Xlsx, twoSheets, &kPriceSheet, {5, 6}, merge, link},
        {"sample_lo.xlsx", FileFormat::Xlsx, twoSheets, &kPriceSheet, {5, 6}, merge, link},
        {"sample_lo.xls", FileFormat::Xls, twoSheets, &kPriceSheet, {5, 6}, merge, link},
        {"sample_xlwt.xls", FileFormat::Xls, twoSheets, &kXlwtSheet, {5, 6}, merge, {}},
        {"sample_cp1251.csv", FileFormat::Csv, {QStringLiteral("sample_cp1251")}, &kCsvSheet, {4, 4}, {}, {}},
        {"sample_utf8_bom.csv", FileFormat::Csv, {QStringLiteral("sample_utf8_bom")}, nullptr, {4, 4}, {}, {}},
    };
    return cases;
}

TEST(Reader, FixturesReadBackToTheExpectedBlock)
{
    // The UTF-8 file differs from the Windows-1251 one only where its
    // separator "," stands in the text and its line break is LF.
    std::vector<ExpectedCell> utf8 = kCsvSheet;
    utf8[5].text = "Молоко \"Весёлое\", 3,2%";
    utf8[11].text = "две\nстроки";
    for (FixtureCase c : fixtureCases()) {
        SCOPED_TRACE(c.file);
        if (!c.cells)
            c.cells = &utf8;
        WorkbookReader reader(fixture(QString::fromLatin1(c.file)));
        EXPECT_EQ(reader.format(), c.format);
        EXPECT_EQ(reader.sheetNames(), c.sheets);
        EXPECT_EQ(listSheetNames(fixture(QString::fromLatin1(c.file))), c.sheets);
        const SheetData data = reader.readSheet(1);
        EXPECT_EQ(data.info.name, c.sheets[0]);
        EXPECT_EQ(data.info.lastUsedCell, c.lastUsed);
        EXPECT_EQ(data.info.usedRange, (CellRange{{1, 1}, c.lastUsed}));
        ASSERT_EQ(data.values.rows(), c.lastUsed.row);
        ASSERT_EQ(data.values.columns(), c.lastUsed.column);
        std::map<CellRef, const ExpectedCell*> expected;
        for (const ExpectedCell& e : *c.cells)
            expected[parseCell(QString::fromLatin1(e.address))] = &e;
        for (int r = 1; r <= data.values.rows(); ++r)
            for (int col = 1; col <= data.values.columns(); ++col) {
                const CellRef at{r, col};
                auto it = expected.find(at);
                SCOPED_TRACE(toA1(at).toStdString());
                if (it == expected.end()) {
                    EXPECT_EQ(data.values.type(r, col), CellType::Empty);
                    EXPECT_EQ(data.formula(r, col), QString());
                    continue;
                }
                EXPECT_EQ(data.values.type(r, col), it->second->type);
                EXPECT_EQ(data.values.text(r, col), QString::fromUtf8(it->second->text));
                // LibreOffice writes a boolean as the formula TRUE().
                if (!(it->second->type == CellType::Boolean)) {
                    EXPECT_EQ(data.formula(r, col), QString::fromUtf8(it->second->formula));
                }
            }
        EXPECT_EQ(data.values.value(2, 3).toNumber(), 123.45);
        EXPECT_EQ(data.values.value(2, 4).toDateTime().date(), QDate(2024, 3, 15));
        EXPECT_EQ(data.info.merges, c.merges);
        for (int r = 1; r <= data.values.rows(); ++r)
            for (int col = 1; col <= data.values.columns(); ++col) {
                const QString at = toA1(CellRef{r, col});
                auto link = c.links.find(at);
                EXPECT_EQ(data.hyperlink(r, col), link == c.links.end() ? QString() : link->second) << at.toStdString();
            }
    }
}

TEST(Reader, InternalLinksAndSecondSheets)
{
    for (const char* file : {"sample.xlsx", "sample_lo.xls"}) {
        SCOPED_TRACE(file);
        WorkbookReader reader(fixture(QString::fromLatin1(file)));
        const SheetData data = reader.readSheet(QStringLiteral("Второй лист"));
        EXPECT_EQ(data.values.text(1, 1), QStringLiteral("x"));
        const Hyperlink* link = data.hyperlinkAt(1, 1);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->address, QString());
        EXPECT_TRUE(link->subAddress.endsWith(QStringLiteral("!A1"))) << link->subAddress.toStdString();
        EXPECT_EQ(reader.sheetIndex(QStringLiteral("Второй лист")), 2);
        EXPECT_EQ(reader.sheetIndex(QStringLiteral("Нет такого")), 0);
    }
}

TEST(Reader, StreamsRowsInOrderAndStopsWhenAsked)
{
    for (const char* file : {"sample.xlsx", "sample_lo.xls", "sample_cp1251.csv"}) {
        SCOPED_TRACE(file);
        WorkbookReader reader(fixture(QString::fromLatin1(file)));
        std::vector<int> rows;
        QStringList firstColumn;
        const SheetInfo info = reader.streamSheet(1, [&](const RowData& row) {
            rows.push_back(row.row);
            for (std::size_t i = 1; i < row.cells.size(); ++i)
                EXPECT_LT(row.cells[i - 1].column, row.cells[i].column);
            firstColumn << (row.cells.front().column == 1 ? row.cells.front().value.toText() : QString());
            return true;
        });
        EXPECT_FALSE(rows.empty());
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
        EXPECT_EQ(firstColumn.value(1), QStringLiteral("А-001"));
        EXPECT_EQ(info.lastUsedCell.row, rows.back());

        int seen = 0;
        reader.streamSheet(1, [&](const RowData&) { return ++seen < 2; });
        EXPECT_EQ(seen, 2);
    }
}

TEST(Reader, ReadOptionsLimitTheBlock)
{
    WorkbookReader reader(fixture(QStringLiteral("sample.xlsx")));
    const SheetData data = reader.readSheet(1, ReadOptions{2, 3});
    EXPECT_EQ(data.values.rows(), 2);
    EXPECT_EQ(data.values.columns(), 3);
    EXPECT_EQ(data.values.text(2, 3), QStringLiteral("123.45"));
    EXPECT_EQ(data.values.text(2, 4), QString());
}

TEST(Reader, UsedRangeStartsAtTheFirstUsedCell)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offset.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(";;\n;;\n;a;b\n;c;\n");
    file.close();
    const SheetData data = WorkbookReader(path).readSheet(1);
    EXPECT_EQ(data.info.usedRange, (CellRange{{3, 2}, {4, 3}}));
    EXPECT_EQ(data.info.lastUsedCell, (CellRef{4, 3}));
    EXPECT_EQ(data.values.rows(), 4); // the block still starts at A1
    EXPECT_EQ(data.values.text(4, 2), QStringLiteral("c"));
}

struct CsvCase {
    const char* name;
    QByteArray bytes;
    std::vector<std::vector<const char*>> rows; // expected texts, "" = empty
};

TEST(Reader, CsvEncodingsSeparatorsAndQuotes)
{
    const CsvCase cases[] = {
        {"tab, UTF-8 without BOM", QStringLiteral("а\tб;в\tг\nд\te\tж\n").toUtf8(), {{"а", "б;в", "г"}, {"д", "e", "ж"}}},
        {"comma, quoted separators", QByteArray("a,\"b,c\",d\r\n1,2,3\r\n"), {{"a", "b,c", "d"}, {"1", "2", "3"}}},
        {"semicolon wins over commas in text", QByteArray("a;b,c;d\n1;2,5;3\n"), {{"a", "b,c", "d"}, {"1", "2.5", "3"}}},
        {"Windows-1251", QByteArray("\xD6\xE5\xED\xE0;\xD0\xF3\xE1\n"), {{"Цена", "Руб"}}},
        {"CR line ends, last line without end", QByteArray("a;b\rc;d"), {{"a", "b"}, {"c", "d"}}},
        {"doubled quotes and empty quoted field", QByteArray("\"x\"\"y\";\"\";z\n"), {{"x\"y", "", "z"}}},
        {"quoted line break", QByteArray("\"a\nb\";c\nd;e\n"), {{"a\nb", "c"}, {"d", "e"}}},
    };
    QTemporaryDir dir;
    for (const CsvCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("case.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        WorkbookReader reader(path);
        const SheetData data = reader.readSheet(1);
        ASSERT_EQ(data.values.rows(), int(c.rows.size()));
        for (std::size_t r = 0; r < c.rows.size(); ++r)
            for (std::size_t col = 0; col < c.rows[r].size(); ++col)
                EXPECT_EQ(data.values.text(int(r + 1), int(col + 1)), QString::fromUtf8(c.rows[r][col]))
                    << "row " << r + 1 << " column " << col + 1;
    }
}

} // namespace
} // namespace velmora::sheet

namespace velmora::sheet {
namespace {

// A sheet large enough to be parsed in parallel chunks reads exactly as a
// small one would: row numbers, columns, shared formulas and texts intact.
TEST(Reader, LargeSheetsReadTheSameInParallelChunks)
{
    const int rows = 40000;
    QTemporaryDir dir;
    for (const char* variant : {"plain", "prefix"}) {
        SCOPED_TRACE(variant);
        const QString path = dir.filePath(QStringLiteral("large.xlsx"));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(VELMORA_TEST_DATA "/../spreadsheet/make_large_xlsx.py"), path,
                      QString::number(rows), QString::fromLatin1(variant)});
        ASSERT_TRUE(python.waitForFinished(120000));
        ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();

        WorkbookReader reader(path);
        const SheetData data = reader.readSheet(1);
        ASSERT_EQ(data.info.lastUsedCell, (CellRef{rows, 5}));
        EXPECT_EQ(data.info.merges.size(), 1u);
        int bad = 0;
        for (int r = 1; r <= rows && bad < 5; ++r) {
            const bool ok = data.values.text(r, 1) == QStringLiteral("Товар № %1").arg(r) + (r % 1000 == 0 ? QStringLiteral("</row>") : QString()) &&
                            data.values.number(r, 2) == r + 0.5 &&
                            data.values.text(r, 3) == QStringLiteral("Строка %1").arg(r % 100) &&
                            data.formula(r, 4) == QStringLiteral("=B%1*2").arg(r) && data.values.number(r, 5) == r;
            if (!ok) {
                ++bad;
                ADD_FAILURE() << "row " << r << ": " << data.values.text(r, 1).toStdString() << " | "
                              << data.values.text(r, 2).toStdString() << " | " << data.values.text(r, 3).toStdString()
                              << " | " << data.formula(r, 4).toStdString() << " | " << data.values.text(r, 5).toStdString();
            }
        }
        // Streaming sees the same rows, and can stop in the middle.
        int seen = 0;
        int last = 0;
        reader.streamSheet(1, [&](const RowData& row) {
            EXPECT_EQ(row.row, last + 1);
            last = row.row;
            EXPECT_EQ(row.cells.size(), 5u);
            return ++seen < rows / 2;
        });
        EXPECT_EQ(seen, rows / 2);
    }
}

} // namespace
} // namespace velmora::sheet
