// Column specs, links, sheet choice and cell texts taken as their bytes.
#include "suppliers/loader/cell_text.h"
#include "suppliers/loader/file_stamp.h"
#include "suppliers/loader/sheet_columns.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <random>
#include <string>

namespace velmora::loader {
namespace {

TEST(SheetColumns, DecodeSpecs)
{
    struct Case {
        qint64 spec;
        bool mayBeHyperlink;
        std::array<int, 4> columns;
        int hyperlink;
    };
    const std::vector<Case> cases = {
        {0, false, {0, 0, 0, 0}, 0},
        {3, false, {3, 0, 0, 0}, 0},
        {305, false, {3, 5, 0, 0}, 0},
        {30506, false, {3, 5, 6, 0}, 0},
        {1020304, false, {1, 2, 3, 4}, 0},
        {27, false, {27, 0, 0, 0}, 0},
        {100000003, true, {0, 0, 0, 0}, 3},
        {100000003, false, {3, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        const FieldColumns field = DecodeFieldColumns(c.spec, c.mayBeHyperlink);
        EXPECT_EQ(field.columns, c.columns);
        EXPECT_EQ(field.hyperlinkColumn, c.hyperlink);
    }
    EXPECT_EQ(DecodePriceColumn(305), 5);
    EXPECT_EQ(DecodePriceColumn(0), 0);
}

TEST(SheetColumns, LinksFromFormulas)
{
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=HYPERLINK(\"http://a/b\",\"x\")")), QStringLiteral("http://a/b"));
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=ГИПЕРССЫЛКА(\"http://a/c\";\"y\")")), QStringLiteral("http://a/c"));
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=hyperlink(\"http://a/d\")")), QStringLiteral("http://a/d"));
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=SUM(A1:A2)")), QString());
    EXPECT_EQ(LinkFromFormula(QString()), QString());
}

TEST(SheetColumns, ChooseWorksheet)
{
    const QStringList sheets = {QStringLiteral("Лист1"), QStringLiteral("Прайс-лист 2012"), QStringLiteral(" Прайс опт ")};
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("[прайс-лист]")), 2);
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("[прайс]")), 3) << "the last match wins";
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("лист1")), 1);
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("прайс опт")), 3);
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("Лист")), 0);
    EXPECT_EQ(ChooseWorksheet({QStringLiteral("Один")}, QStringLiteral("Другой")), 1);
}

// The bytes of a text cell are stored as they stand only where the long way
// (read as QString, mended, cut, encoded back) gives those very bytes.
std::string storedTheLongWay(const std::string& utf8, int maxLength)
{
    QString text = StoredCellText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    if (maxLength >= 0)
        text = text.left(maxLength);
    return text.toStdString();
}

TEST(CellText, BytesAreStoredAsTheyStandOnlyWhenNothingChanges)
{
    struct Case {
        std::string utf8;
        int maxLength;
        bool asTheyStand;
    };
    const std::vector<Case> cases = {
        {"", 30, true},
        {"A1000001", 30, true},
        {"Товар номер 12, модель X-12", 200, true},
        {"http://example.com/item/12345678", -1, true},
        {"мес", 3, true},
        {"мес", 2, false},             // cut to its length
        {"Ёж 😀", 5, true},              // a character beyond the basic plane is two units
        {"Ёж 😀", 4, false},
        {" A1", 30, false},            // blanks at either end go
        {"A1\t", 30, false},
        {"A1\r\n", 30, false},
        {"\xC2\xA0" "A1", 30, false},      // a no-break space
        {"A1\xE2\x80\x83", 30, false}, // an em space
        {"A1\xE3\x80\x80", 30, false}, // an ideographic space
        {std::string("A\0B", 3), 30, false}, // a NUL becomes a blank
        {std::string("ABCDEFGHIJ\0KLMNOP", 17), 30, false},
        {"\xFF", 30, false},             // not UTF-8
        {"\xC0\xAF", 30, false},         // an overlong form
        {"\xED\xA0\x80", 30, false},     // an encoded surrogate
        {"\xD0", 30, false},             // cut short
        {"\xEF\xBB\xBF" "A1", 30, false},   // a byte order mark
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(StoresAsItStands(c.utf8, c.maxLength), c.asTheyStand);
        if (c.asTheyStand)
            EXPECT_EQ(storedTheLongWay(c.utf8, c.maxLength), c.utf8);
    }

    // Random texts from pieces that matter: plain letters, Cyrillic, blanks
    // of every kind, NUL, broken and four-byte sequences.
    const std::vector<std::string> pieces = {"a",        "Z9",       "Ж",        "ё",          " ",
                                             "\t",       "\xC2\xA0",  "\xE2\x80\xA8", std::string(1, '\0'),
                                             "\xF0\x9F\x98\x80", "\xED\xB0\x80", "\x80",       "\xC3",       "abcdefgh"};
    std::mt19937 random(27);
    for (int round = 0; round < 20000; ++round) {
        std::string utf8;
        const int count = int(random() % 8);
        for (int i = 0; i < count; ++i)
            utf8 += pieces[random() % pieces.size()];
        const int maxLength = int(random() % 20) - 1;
        if (StoresAsItStands(utf8, maxLength))
            ASSERT_EQ(storedTheLongWay(utf8, maxLength), utf8) << "max length " << maxLength;
    }
}

TEST(FileStamp, PacksDosDateAndTime)
{
    // 10.12.2026 08:30:15 -> date (46 << 9 | 12 << 5 | 10), time (8 << 11 | 30 << 5 | 7)
    const QDateTime time(QDate(2026, 12, 10), QTime(8, 30, 15));
    EXPECT_EQ(PackedDosTime(time), (qint64(46 << 9 | 12 << 5 | 10) << 16) | (8 << 11 | 30 << 5 | 7));
    EXPECT_EQ(PackedDosTime(QDateTime(QDate(1979, 1, 1), QTime(0, 0))), 0);
    EXPECT_EQ(FileDosStamp(QStringLiteral("/nonexistent/file")), 0);
}

} // namespace
} // namespace velmora::loader
