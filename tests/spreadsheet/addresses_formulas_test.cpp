#include "sheet_test_support.h"

namespace velmora::sheet {
namespace {

TEST(CellAddresses, ColumnLettersBothWays)
{
    const std::pair<int, const char*> cases[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"},
                                                 {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [number, letters] : cases) {
        EXPECT_EQ(columnLetters(number), QString::fromLatin1(letters));
        EXPECT_EQ(columnNumber(QString::fromLatin1(letters)), number);
        EXPECT_EQ(columnNumber(QString::fromLatin1(letters).toLower()), number);
    }
    EXPECT_EQ(columnNumber(QStringLiteral("XFE")), 0);
    EXPECT_EQ(columnNumber(QStringLiteral("A1")), 0);
    EXPECT_THROW(columnLetters(0), SheetError);
    EXPECT_THROW(columnLetters(16385), SheetError);
}

TEST(CellAddresses, ParsesCellsAndRanges)
{
    EXPECT_EQ(parseCell(QStringLiteral("B7")), (CellRef{7, 2}));
    EXPECT_EQ(parseCell(QStringLiteral("$b$7")), (CellRef{7, 2}));
    EXPECT_EQ(parseCell(QStringLiteral(" XFD1048576 ")), (CellRef{1048576, 16384}));
    EXPECT_EQ(parseRange(QStringLiteral("H5:A1")), (CellRange{{1, 1}, {5, 8}}));
    EXPECT_EQ(parseRange(QStringLiteral("C3")), (CellRange{{3, 3}, {3, 3}}));
    EXPECT_EQ(toA1(CellRange{{1, 1}, {5, 8}}), QStringLiteral("A1:H5"));
    EXPECT_EQ(toA1(CellRange{{3, 3}, {3, 3}}), QStringLiteral("C3"));
    for (const char* bad : {"", "A", "7", "A0", "XFE1", "A1048577", "A1:", "A1:B", "1A", "A1B2", "А1"})
        EXPECT_THROW(parseRange(QString::fromUtf8(bad)), SheetError) << bad;
}

struct R1C1Case {
    const char* formula;
    int row, column;
    const char* expected;
};

TEST(Formulas, R1C1ToA1)
{
    const R1C1Case cases[] = {
        {"=SUM(R[-3]C:R[-2]C)", 10, 6, "=SUM(F7:F8)"},
        {"=RC[-2]*RC[-1]", 14, 8, "=F14*G14"},
        {"=SUBTOTAL(9,R[-1]C:R[-2]C)", 15, 8, "=SUBTOTAL(9,H13:H14)"}, // reversed range normalised
        {"=R5C3+R[1]C[1]", 2, 2, "=$C$5+C3"},
        {"=SUM(R1C1:R2C2)", 9, 9, "=SUM($A$1:$B$2)"},
        {"=ROUND(RC[-1],2)", 3, 2, "=ROUND(A3,2)"},
        {"=\"RC[-1]\"&RC[-1]", 3, 2, "=\"RC[-1]\"&A3"}, // text in quotes stays
        {"='Лист 2'!RC+1", 4, 1, "='Лист 2'!A4+1"},
        {"=COUNT(C[-1]:C[-1])", 5, 2, "=COUNT(A:A)"},
    };
    for (const R1C1Case& c : cases)
        EXPECT_EQ(r1c1ToA1(QString::fromUtf8(c.formula), c.row, c.column), QString::fromUtf8(c.expected))
            << c.formula;
    EXPECT_THROW(r1c1ToA1(QStringLiteral("=R[-10]C"), 5, 1), SheetError);
    EXPECT_THROW(r1c1ToA1(QStringLiteral("=RC[-1]"), 5, 1), SheetError);
}

TEST(Formulas, MovesRelativeReferences)
{
    const R1C1Case cases[] = {
        // formula, row delta, column delta, result
        {"=A1+$B$2+$C3+D$4", 2, 1, "=B3+$B$2+$C5+E$4"},
        {"=SUM(F7:F8)", 1, 0, "=SUM(F8:F9)"},
        {"=LOG10(A1)", 1, 0, "=LOG10(A2)"},             // a function name is no reference
        {"=\"A1\"&A1", 1, 0, "=\"A1\"&A2"},
        {"=Лист2!A1+'Мой лист'!B2", 1, 1, "=Лист2!B2+'Мой лист'!C3"},
        {"=A1", -1, 0, "=#REF!"},
        {"=HYPERLINK(\"http://a/b\",\"x\")", 5, 5, "=HYPERLINK(\"http://a/b\",\"x\")"},
    };
    for (const R1C1Case& c : cases)
        EXPECT_EQ(moveA1Formula(QString::fromUtf8(c.formula), c.row, c.column), QString::fromUtf8(c.expected))
            << c.formula;
}

TEST(Formulas, FollowInsertedAndDeletedRows)
{
    const R1C1Case cases[] = {
        // formula, row, count, result
        {"=SUM(F7:F8)", 8, 1, "=SUM(F7:F9)"},     // inserted inside: the range grows
        {"=SUM(F7:F8)", 7, 2, "=SUM(F9:F10)"},    // inserted above: it moves
        {"=SUM(F7:F8)", 9, 1, "=SUM(F7:F8)"},     // below: unchanged
        {"=$A$10*2", 5, 1, "=$A$11*2"},           // absolute references move too
        {"=Лист2!A10", 5, 1, "=Лист2!A10"},       // other sheets are left alone
        {"=SUM(F7:F9)", 8, -1, "=SUM(F7:F8)"},    // deleted inside: it shrinks
        {"=A8", 8, -1, "=#REF!"},
        {"=A9+SUM(A7:A8)", 7, -2, "=A7+SUM(#REF!)"},
    };
    for (const R1C1Case& c : cases)
        EXPECT_EQ(adjustFormulaForRows(QString::fromUtf8(c.formula), c.row, c.column), QString::fromUtf8(c.expected))
            << c.formula << " at " << c.row << " count " << c.column;
}

TEST(Formulas, FollowInsertedAndDeletedColumns)
{
    const R1C1Case cases[] = {
        // formula, column, count, result
        {"=SUM(F4:G4)", 7, 1, "=SUM(F4:H4)"},    // inserted inside: the range grows
        {"=F4*2", 6, 1, "=G4*2"},                // at the reference: it moves
        {"=F4*2", 7, 1, "=F4*2"},                // right of it: unchanged
        {"=$F$4+A:B+3:5", 1, 2, "=$H$4+C:D+3:5"}, // absolute ones and whole columns too, whole rows stay
        {"=Лист2!F4", 1, 1, "=Лист2!F4"},        // other sheets are left alone
        {"=SUM(F4:H4)", 7, -1, "=SUM(F4:G4)"},   // deleted inside: it shrinks
        {"=F4", 6, -1, "=#REF!"},
    };
    for (const R1C1Case& c : cases)
        EXPECT_EQ(adjustFormulaForColumns(QString::fromUtf8(c.formula), c.row, c.column),
                  QString::fromUtf8(c.expected))
            << c.formula << " at column " << c.row << " count " << c.column;
}

TEST(Formulas, LocalFormText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"=HYPERLINK(\"http://a/b,c\",\"x\")", "=ГИПЕРССЫЛКА(\"http://a/b,c\";\"x\")"},
        {"=SUBTOTAL(9,H13:H14)", "=ПРОМЕЖУТОЧНЫЕ.ИТОГИ(9;H13:H14)"},
        {"=ROUND(A1*1.5,2)+TRUE", "=ОКРУГЛ(A1*1,5;2)+ИСТИНА"},
        {"='Лист, 2'!A1+MYFUNC(1,2)", "='Лист, 2'!A1+MYFUNC(1;2)"},
        {"=SUM", "=SUM"}, // a name that is not called stays
    };
    for (const auto& [formula, local] : cases)
        EXPECT_EQ(toLocalFormula(QString::fromUtf8(formula)), QString::fromUtf8(local)) << formula;
    // What the column-picking window looks for: characters 2..12.
    EXPECT_EQ(toLocalFormula(QStringLiteral("=HYPERLINK(\"http://a\")")).mid(1, 11), QStringLiteral("ГИПЕРССЫЛКА"));
}

TEST(Colours, WindowsNumbersAndPalette)
{
    EXPECT_EQ(Color::fromBgr(0x0000FF).rgb(), 0xFF0000u); // "$0000FF" is red
    EXPECT_EQ(Color::fromRgb(0x00FF00).bgr(), 0x00FF00u);
    EXPECT_EQ(Color::fromRgb(0x123456).bgr(), 0x563412u);
    EXPECT_EQ(paletteColor(3), Color::fromRgb(0xFF0000));
    EXPECT_EQ(paletteColor(6), Color::fromRgb(0xFFFF00));
    EXPECT_EQ(paletteColor(33), Color::fromRgb(0x00CCFF));
    EXPECT_EQ(paletteColor(40), Color::fromRgb(0xFFCC99));
    EXPECT_EQ(nearestPaletteIndex(Color::fromRgb(0xFE0101)), 3);
    EXPECT_THROW(paletteColor(0), SheetError);
    EXPECT_THROW(paletteColor(57), SheetError);
}

TEST(CellValues, TextAsACellShowsIt)
{
    const std::pair<CellValue, const char*> cases[] = {
        {CellValue(), ""},
        {CellValue::number(1234.5), "1234.5"},
        {CellValue::number(0.1 + 0.2), "0.3"},
        {CellValue::number(-7), "-7"},
        {CellValue::number(1e-5), "0.00001"},
        {CellValue::number(123456789012345678.0), "1.23456789012346E+17"},
        {CellValue::date(45366), "15.03.2024"},
        {CellValue::date(45366.5), "15.03.2024 12:00:00"},
        {CellValue::boolean(true), "TRUE"},
        {CellValue::text(QStringLiteral("Цена")), "Цена"},
        {CellValue::error(QStringLiteral("#N/A")), "#N/A"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(value.toText(), QString::fromUtf8(text));
    EXPECT_EQ(CellValue::date(QDateTime(QDate(2024, 3, 15), QTime(6, 0))).toNumber(), 45366.25);
    EXPECT_EQ(fromDayNumber(1).date(), QDate(1899, 12, 31));
}

TEST(ValueBlocks, GrowKeepingValuesAndSharedText)
{
    ValueBlock block(2, 2);
    block.setText(1, 1, QStringLiteral("а"));
    block.setNumber(2, 2, 5);
    block.resize(5000, 3); // across a storage chunk and wider
    EXPECT_EQ(block.text(1, 1), QStringLiteral("а"));
    EXPECT_EQ(block.number(2, 2), 5);
    EXPECT_EQ(block.type(4999, 3), CellType::Empty);
    block.setText(5000, 3, QStringLiteral("конец"));
    block.resize(2, 2);
    block.resize(5000, 3);
    EXPECT_EQ(block.type(5000, 3), CellType::Empty); // cut-off cells do not come back
    EXPECT_EQ(block.text(0, 1), QString());
    EXPECT_THROW(block.set(6000, 1, CellValue::number(1)), SheetError);
}

} // namespace
} // namespace velmora::sheet
