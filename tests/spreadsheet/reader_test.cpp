#include "sheet_test_support.h"

#include "platform/files/code_page.h"
#include "platform/spreadsheet/ole_file.h"

#include <QDir>
#include <QtEndian>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <limits>
#include <map>
#include <string_view>

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
    // Every field is a text, as written.
    {"C2", CellType::Text, "123,45"},
    {"D2", CellType::Text, "15.03.2024"},
    {"A3", CellType::Text, "А-002"},
    {"C3", CellType::Text, "7"},
    {"A4", CellType::Text, "0123"},
    {"B4", CellType::Text, "две\r\nстроки"},
    {"C4", CellType::Text, "-2,5"},
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
    utf8[6].text = "123.45";
    utf8[11].text = "две\nстроки";
    utf8[12].text = "-2.5";
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
        if (c.format != FileFormat::Csv) {
            EXPECT_EQ(data.values.value(2, 3).toNumber(), 123.45);
            EXPECT_EQ(data.values.value(2, 4).toDateTime().date(), QDate(2024, 3, 15));
        }
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
        {"semicolon wins over commas in text", QByteArray("a;b,c;d\n1;2,5;3\n"), {{"a", "b,c", "d"}, {"1", "2,5", "3"}}},
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

namespace velmora::sheet {
namespace {

void put16(std::string& b, std::size_t at, std::uint16_t v)
{
    qToLittleEndian(v, b.data() + at);
}

void put32(std::string& b, std::size_t at, std::uint32_t v)
{
    qToLittleEndian(v, b.data() + at);
}

// A compound file with 512-byte sectors in which the stream's sectors lie
// backwards, so that no two of them are neighbours in the file and every
// record across a sector boundary straddles two places.
void writeScatteredOleFile(const QString& path, const std::string& content)
{
    std::string stream = content;
    if (stream.size() < 4096) // out of the mini stream
        stream.resize(4096, '\0');
    const std::uint32_t n = std::uint32_t((stream.size() + 511) / 512);
    std::uint32_t fatSectors = 1;
    while (fatSectors * 128 < n + 1 + fatSectors)
        ++fatSectors;
    ASSERT_LE(fatSectors, 109u);
    const std::uint32_t dirSector = n;
    const std::uint32_t total = n + 1 + fatSectors;
    std::string out(std::size_t(total + 1) * 512, '\0');
    std::memcpy(out.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    put16(out, 24, 0x3E);
    put16(out, 26, 3);
    put16(out, 28, 0xFFFE);
    put16(out, 30, 9);
    put16(out, 32, 6);
    put32(out, 44, fatSectors);
    put32(out, 48, dirSector);
    put32(out, 56, 4096);
    put32(out, 60, 0xFFFFFFFE);
    put32(out, 68, 0xFFFFFFFE);
    for (std::uint32_t i = 0; i < 109; ++i)
        put32(out, 76 + i * 4, i < fatSectors ? n + 1 + i : 0xFFFFFFFF);
    auto at = [](std::uint32_t sector) { return std::size_t(sector + 1) * 512; };
    // Stream sector k lies at n - 1 - k.
    for (std::uint32_t k = 0; k < n; ++k)
        std::memcpy(out.data() + at(n - 1 - k), stream.data() + std::size_t(k) * 512,
                    std::min<std::size_t>(512, stream.size() - std::size_t(k) * 512));
    const std::size_t dir = at(dirSector);
    auto entry = [&](std::size_t e, const QString& name, int type, std::uint32_t child, std::uint32_t start,
                     std::uint32_t size) {
        for (qsizetype i = 0; i < name.size(); ++i)
            put16(out, e + std::size_t(i) * 2, name[i].unicode());
        put16(out, e + 64, std::uint16_t((name.size() + 1) * 2));
        out[e + 66] = char(type);
        put32(out, e + 68, 0xFFFFFFFF);
        put32(out, e + 72, 0xFFFFFFFF);
        put32(out, e + 76, child);
        put32(out, e + 116, start);
        put32(out, e + 120, size);
    };
    entry(dir, QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0);
    entry(dir + 128, QStringLiteral("Workbook"), 2, 0xFFFFFFFF, n - 1, std::uint32_t(stream.size()));
    entry(dir + 256, QString(), 0, 0xFFFFFFFF, 0, 0);
    entry(dir + 384, QString(), 0, 0xFFFFFFFF, 0, 0);
    auto setFat = [&](std::uint32_t index, std::uint32_t value) {
        put32(out, at(n + 1 + index / 128) + (index % 128) * 4, value);
    };
    for (std::uint32_t i = 0; i < fatSectors * 128; ++i)
        setFat(i, 0xFFFFFFFF);
    for (std::uint32_t k = 0; k < n; ++k)
        setFat(n - 1 - k, k + 1 < n ? n - 2 - k : 0xFFFFFFFE);
    setFat(dirSector, 0xFFFFFFFE);
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        setFat(n + 1 + i, 0xFFFFFFFD);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(out.data(), qint64(out.size()));
}

// Every sheet of a workbook as text: names, sizes, cells with their types
// and formulas, merges and links, and the rows a stream sees.
std::string dumpWorkbook(const QString& path)
{
    WorkbookReader reader(path);
    QString out;
    for (int i = 1; i <= reader.sheetCount(); ++i) {
        const SheetData data = reader.readSheet(i);
        out += data.info.name + u' ' + toA1(data.info.lastUsedCell) + u'\n';
        for (int r = 1; r <= data.values.rows(); ++r)
            for (int c = 1; c <= data.values.columns(); ++c)
                if (data.values.type(r, c) != CellType::Empty || !data.formula(r, c).isEmpty())
                    out += QStringLiteral("%1 %2 %3 %4\n")
                               .arg(toA1(CellRef{r, c}))
                               .arg(int(data.values.type(r, c)))
                               .arg(data.values.text(r, c), data.formula(r, c));
        for (const CellRange& merge : data.info.merges)
            out += QStringLiteral("merge %1\n").arg(toA1(merge.first) + u':' + toA1(merge.last));
        for (const Hyperlink& link : data.info.hyperlinks)
            out += QStringLiteral("link %1 %2 %3\n").arg(toA1(link.range.first), link.address, link.subAddress);
        reader.streamSheet(i, [&](const RowData& row) {
            out += QStringLiteral("row %1:").arg(row.row);
            for (const RowCell& cell : row.cells)
                out += QStringLiteral(" %1=%2").arg(cell.column).arg(cell.value.toText());
            out += u'\n';
            return true;
        });
    }
    return out.toStdString();
}

// The workbook stream is read where it lies in the container: scattered
// sectors and records across them give what a contiguous stream gives.
TEST(Reader, XlsReadsTheSameWhereverItsSectorsLie)
{
    QTemporaryDir dir;
    for (const char* name : {"sample_lo.xls", "sample_xlwt.xls"}) {
        SCOPED_TRACE(name);
        const QString original = fixture(QString::fromLatin1(name));
        const std::string stream = OleFile(original).openStream(QStringLiteral("Workbook")).copy();
        const QString contiguous = dir.filePath(QStringLiteral("contiguous.xls"));
        const QString scattered = dir.filePath(QStringLiteral("scattered.xls"));
        writeSingleStreamOleFile(contiguous, QStringLiteral("Workbook"), stream);
        writeScatteredOleFile(scattered, stream);
        const std::string expected = dumpWorkbook(original);
        EXPECT_NE(expected.find("А-001"), std::string::npos);
        EXPECT_EQ(dumpWorkbook(contiguous), expected);
        EXPECT_EQ(dumpWorkbook(scattered), expected);
    }
}

// BIFF records by hand: type, then the data.
void record(std::string& s, std::uint16_t type, const std::string& data)
{
    const std::size_t at = s.size();
    s.resize(at + 4);
    put16(s, at, type);
    put16(s, at + 2, std::uint16_t(data.size()));
    s += data;
}

std::string bytes(std::initializer_list<std::uint16_t> words)
{
    std::string out(words.size() * 2, '\0');
    std::size_t i = 0;
    for (std::uint16_t w : words)
        put16(out, 2 * i++, w);
    return out;
}

std::string numberRecord(int row, int column, double value)
{
    std::string data = bytes({std::uint16_t(row - 1), std::uint16_t(column - 1), 0});
    data.append(reinterpret_cast<const char*>(&value), 8);
    return data;
}

// Cells written out of order, one of them twice: the block and the stream
// see them sorted, each row once, and the later record of a cell wins.
TEST(Reader, XlsCellsOutOfOrderAreSorted)
{
    std::string stream;
    record(stream, 0x0809, bytes({0x0600, 0x0005, 0, 0, 0, 0, 0, 0}));
    std::string sst = bytes({1, 0, 1, 0, 4}) + '\x01'; // one string of 4 UTF-16 characters
    for (char16_t c : std::u16string_view(u"Цена"))
        sst += bytes({std::uint16_t(c)});
    record(stream, 0x00FC, sst);
    const std::size_t sheetOffset = stream.size() + 4;
    record(stream, 0x0085, std::string(4, '\0') + std::string("\x00\x00\x02\x00L1", 6));
    record(stream, 0x000A, {});
    put32(stream, sheetOffset, std::uint32_t(stream.size()));
    record(stream, 0x0809, bytes({0x0600, 0x0010, 0, 0, 0, 0, 0, 0}));
    record(stream, 0x0203, numberRecord(2, 1, 2));
    record(stream, 0x00FD, bytes({0, 1, 0, 0, 0}));
    record(stream, 0x0203, numberRecord(1, 1, 1));
    record(stream, 0x0203, numberRecord(2, 1, 5));
    record(stream, 0x000A, {});

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("order.xls"));
    writeSingleStreamOleFile(path, QStringLiteral("Workbook"), stream);
    WorkbookReader reader(path);
    EXPECT_EQ(reader.sheetNames(), QStringList{QStringLiteral("L1")});
    const SheetData data = reader.readSheet(1);
    EXPECT_EQ(data.values.text(1, 1), QStringLiteral("1"));
    EXPECT_EQ(data.values.text(1, 2), QStringLiteral("Цена"));
    EXPECT_EQ(data.values.text(2, 1), QStringLiteral("5"));
    std::vector<int> rows;
    reader.streamSheet(1, [&](const RowData& row) {
        rows.push_back(row.row);
        if (row.row == 1) {
            EXPECT_EQ(row.cells.size(), 2u);
        }
        return true;
    });
    EXPECT_EQ(rows, (std::vector<int>{1, 2}));
}

// An .xlsx row that gives a cell twice, out of order or in place: the
// stream hands each cell over once with the later value, as the block
// keeps it, whichever form its texts take.
TEST(Reader, XlsxCellGivenTwiceCountsOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twice.xlsx"));
    test::writeXlsxOfSheet(path, R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData><row r="1"><c r="B1"><v>2</v></c><c r="A1"><v>1</v></c><c r="A1"><v>5</v></c></row>
<row r="2"><c r="A2"><v>3</v></c><c r="A2" t="inlineStr"><is><t>последний</t></is></c></row>
</sheetData></worksheet>)");
    WorkbookReader reader(path);
    const SheetData data = reader.readSheet(1);
    EXPECT_EQ(data.values.text(1, 1), QStringLiteral("5"));
    EXPECT_EQ(data.values.text(2, 1), QStringLiteral("последний"));
    for (const RowTexts texts : {RowTexts::Values, RowTexts::Utf8}) {
        std::vector<QStringList> rows;
        reader.streamSheet(
            1,
            [&](const RowData& row) {
                QStringList cells;
                for (const RowCell& cell : row.cells)
                    cells << QStringLiteral("%1=%2").arg(cell.column).arg(
                        cell.utf8 ? QString::fromUtf8(cell.utf8, qsizetype(cell.utf8Size)) : cell.value.toText());
                rows.push_back(cells);
                return true;
            },
            texts);
        EXPECT_EQ(rows, (std::vector<QStringList>{{QStringLiteral("1=5"), QStringLiteral("2=2")},
                                                  {QStringLiteral("1=последний")}}));
    }
}

// A number that is no finite number, from a damaged xls record or an xlsx
// value past any double, reads as the error a spreadsheet shows for it, in
// the block and in the stream, beside the cells of the same row.
TEST(Reader, NumbersThatAreNoFiniteNumbersAreErrors)
{
    QTemporaryDir dir;
    std::string stream;
    record(stream, 0x0809, bytes({0x0600, 0x0005, 0, 0, 0, 0, 0, 0}));
    const std::size_t sheetOffset = stream.size() + 4;
    record(stream, 0x0085, std::string(4, '\0') + std::string("\x00\x00\x02\x00L1", 6));
    record(stream, 0x000A, {});
    put32(stream, sheetOffset, std::uint32_t(stream.size()));
    record(stream, 0x0809, bytes({0x0600, 0x0010, 0, 0, 0, 0, 0, 0}));
    record(stream, 0x0203, numberRecord(1, 1, std::numeric_limits<double>::infinity()));
    record(stream, 0x0203, numberRecord(1, 2, std::numeric_limits<double>::quiet_NaN()));
    record(stream, 0x0203, numberRecord(1, 3, 5));
    record(stream, 0x000A, {});
    const QString xls = dir.filePath(QStringLiteral("damaged.xls"));
    writeSingleStreamOleFile(xls, QStringLiteral("Workbook"), stream);

    const QString xlsx = dir.filePath(QStringLiteral("huge.xlsx"));
    test::writeXlsxOfSheet(xlsx, R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData><row r="1"><c r="A1"><v>1e400</v></c><c r="B1"><v>nan</v></c><c r="C1"><v>5</v></c></row>
</sheetData></worksheet>)");

    for (const QString& path : {xls, xlsx}) {
        SCOPED_TRACE(path.toStdString());
        WorkbookReader reader(path);
        const SheetData data = reader.readSheet(1);
        EXPECT_EQ(data.values.text(1, 1), QStringLiteral("#NUM!"));
        EXPECT_EQ(data.values.text(1, 2), QStringLiteral("#NUM!"));
        EXPECT_EQ(data.values.text(1, 3), QStringLiteral("5"));
        QStringList cells;
        reader.streamSheet(1, [&](const RowData& row) {
            for (const RowCell& cell : row.cells)
                cells << QStringLiteral("%1:%2%3").arg(cell.column).arg(cell.value.toText(),
                                                                      cell.value.type() == CellType::Error ? QStringLiteral(" error") : QString());
            return true;
        });
        EXPECT_EQ(cells, (QStringList{QStringLiteral("1:#NUM! error"), QStringLiteral("2:#NUM! error"), QStringLiteral("3:5")}));
    }
}

} // namespace
} // namespace velmora::sheet

namespace velmora::sheet {
namespace {

// A CSV file large enough to be cut into pieces parsed on several threads:
// quoted fields with separators, doubled quotes and line breaks of each
// kind, lines ending in CR LF, LF and CR, empty lines and empty fields. Its
// rows must read as the small files' do, streamed and as a block, in both
// encodings.
TEST(Reader, LargeCsvReadsTheSameInParallelPieces)
{
    struct Row {
        int row;
        QString a, b, c;
        bool hasD;
    };
    for (const bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "Windows-1251");
        std::vector<Row> rows;
        QString text;
        int row = 0;
        const char* ends[] = {"\r\n", "\n", "\r"};
        for (int r = 1; r <= 120000; ++r) {
            if (r % 1000 == 0) {
                text += QStringLiteral("\r\n"); // an empty line is a row without cells
                ++row;
            }
            Row expected{++row, QStringLiteral("Товар № %1").arg(r), QStringLiteral("%1,5").arg(r), QString(), r % 5 != 0};
            QString quoted;
            if (r % 7 == 0) {
                expected.c = QStringLiteral("две\r\nстроки; %1").arg(r);
                quoted = QStringLiteral("\"две\r\nстроки; %1\"").arg(r);
            } else if (r % 11 == 0) {
                expected.c = QStringLiteral("a\rb\nc");
                quoted = QStringLiteral("\"a\rb\nc\"");
            } else {
                expected.c = QStringLiteral("x;\"q\" %1").arg(r);
                quoted = QStringLiteral("\"x;\"\"q\"\" %1\"").arg(r);
            }
            text += expected.a + u';' + expected.b + u';' + quoted + u';' +
                    (expected.hasD ? QStringLiteral("d") : QString()) + QString::fromLatin1(ends[r % 3]);
            rows.push_back(expected);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(utf8 ? text.toUtf8() : SingleByteCodePage::windows1251().encode(text));
        file.close();
        ASSERT_GT(file.size(), 4 << 20);

        WorkbookReader reader(path);
        const SheetData data = reader.readSheet(1);
        ASSERT_EQ(data.info.lastUsedCell, (CellRef{rows.back().row, 4}));
        int bad = 0;
        for (const Row& r : rows) {
            if (bad > 5)
                break;
            const bool ok = data.values.text(r.row, 1) == r.a && data.values.text(r.row, 2) == r.b &&
                            data.values.text(r.row, 3) == r.c &&
                            data.values.text(r.row, 4) == (r.hasD ? QStringLiteral("d") : QString());
            if (!ok) {
                ++bad;
                ADD_FAILURE() << "row " << r.row << ": " << data.values.text(r.row, 1).toStdString() << " | "
                              << data.values.text(r.row, 3).toStdString();
            }
        }
        // Streamed with the texts as values and as UTF-8 bytes (which the
        // pieces hand over where they stand, converted from Windows-1251).
        for (const RowTexts texts : {RowTexts::Values, RowTexts::Utf8}) {
            SCOPED_TRACE(texts == RowTexts::Utf8 ? "texts as bytes" : "texts as values");
            auto text = [](const RowCell& cell) {
                return cell.utf8 ? QString::fromUtf8(cell.utf8, qsizetype(cell.utf8Size)) : cell.value.toText();
            };
            std::size_t next = 0;
            reader.streamSheet(
                1,
                [&](const RowData& got) {
                    if (next >= rows.size() || bad > 5)
                        return false;
                    const Row& r = rows[next++];
                    const bool ok = got.row == r.row && got.cells.size() == (r.hasD ? 4u : 3u) &&
                                    text(got.cells[0]) == r.a && text(got.cells[1]) == r.b &&
                                    got.cells[2].column == 3 && text(got.cells[2]) == r.c &&
                                    (texts == RowTexts::Utf8) == (got.cells[0].utf8 != nullptr);
                    if (!ok) {
                        ++bad;
                        ADD_FAILURE() << "streamed row " << got.row << ", expected " << r.row;
                    }
                    return true;
                },
                texts);
            EXPECT_EQ(next, rows.size());
        }
        // A stream stops where it is asked to, in the middle of a piece.
        int seen = 0;
        reader.streamSheet(1, [&](const RowData&) { return ++seen < 30001; });
        EXPECT_EQ(seen, 30001);
    }
}

} // namespace
} // namespace velmora::sheet
