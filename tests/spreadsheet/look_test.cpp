// How cells look as the reader gives it: fonts, fills and column widths of
// styled fixtures written by two independent writers (openpyxl, xlwt).
#include "sheet_test_support.h"

namespace velmora::sheet {
namespace {

using test::fixture;

struct LookCase {
    int row;
    int column;
    const char* font;
    double size;
    bool bold, italic, underline;
    std::uint32_t colorRgb;
    std::optional<std::uint32_t> fillRgb;
};

const LookCase kLooks[] = {
    {1, 1, "Arial", 14, true, false, false, 0xFF0000, 0xFFFF00},
    {2, 1, "Times New Roman", 12, false, true, false, 0x0000FF, 0xCCFFCC},
    {3, 2, "Arial", 10, false, false, false, 0x000000, std::nullopt},
    {4, 1, "Arial", 12, false, false, true, 0x008000, std::nullopt},
};

class SheetLookTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SheetLookTest, GivesEachCellsFontFillAndItsColumnsWidth)
{
    WorkbookReader reader(fixture(QString::fromLatin1(GetParam())));
    const SheetLook look = reader.readSheetLook(1);
    for (const LookCase& c : kLooks) {
        SCOPED_TRACE(toA1(CellRef{c.row, c.column}).toStdString());
        const CellStyle style = look.style(c.row, c.column);
        EXPECT_EQ(style.font.name, QString::fromLatin1(c.font));
        EXPECT_DOUBLE_EQ(style.font.size, c.size);
        EXPECT_EQ(style.font.bold, c.bold);
        EXPECT_EQ(style.font.italic, c.italic);
        EXPECT_EQ(style.font.underline, c.underline);
        EXPECT_EQ(style.font.color, Color::fromRgb(c.colorRgb));
        EXPECT_EQ(style.fill.has_value(), c.fillRgb.has_value());
        if (c.fillRgb && style.fill)
            EXPECT_EQ(*style.fill, Color::fromRgb(*c.fillRgb));
    }
    EXPECT_DOUBLE_EQ(look.columnWidth(1), 30);
    EXPECT_DOUBLE_EQ(look.columnWidth(2), 45);
    EXPECT_NEAR(look.columnWidth(3), 8.43, 0.01);
    // The values read as ever beside it.
    EXPECT_EQ(reader.readSheet(1).values.text(2, 1), QStringLiteral("Мыши"));
}

INSTANTIATE_TEST_SUITE_P(BothWriters, SheetLookTest, ::testing::Values("styled.xlsx", "styled.xls"));

TEST(SheetLook, ALimitedReadKeepsTheRowsAskedForAndACsvFileHasTheDefaultLook)
{
    WorkbookReader reader(fixture(QStringLiteral("styled.xlsx")));
    const SheetLook firstRows = reader.readSheetLook(1, ReadOptions{2, 0});
    EXPECT_TRUE(firstRows.style(1, 1).font.bold);
    EXPECT_EQ(firstRows.style(4, 1), firstRows.style(30, 30)) << "row 4 was not read";

    WorkbookReader csv(fixture(QStringLiteral("sample_utf8_bom.csv")));
    const SheetLook plain = csv.readSheetLook(1);
    EXPECT_EQ(plain.style(1, 1), CellStyle());
    EXPECT_THROW(csv.readSheetLook(2), SheetError);
}

} // namespace
} // namespace velmora::sheet
