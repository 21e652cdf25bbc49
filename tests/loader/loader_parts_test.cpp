// Column specs, links and sheet choice.
#include "suppliers/loader/file_stamp.h"
#include "suppliers/loader/sheet_columns.h"

#include <gtest/gtest.h>

#include <QStringList>

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
