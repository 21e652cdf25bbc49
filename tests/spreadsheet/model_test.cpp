#include "sheet_test_support.h"

namespace velmora::sheet {
namespace {

TEST(Model, NewWorkbookAndSheetNames)
{
    Workbook book;
    ASSERT_EQ(book.sheetCount(), 1);
    EXPECT_EQ(book.sheet(1).name(), QStringLiteral("Лист1"));
    Worksheet& second = book.addSheet();
    EXPECT_EQ(second.name(), QStringLiteral("Лист2"));
    EXPECT_EQ(second.index(), 2);
    EXPECT_EQ(&book.sheet(QStringLiteral("лист2")), &second); // by name, case aside
    const char* bad[] = {"", "a:b", "a/b", "a\\b", "a?b", "a*b", "[a]", "'a", "1234567890123456789012345678901X"};
    for (const char* name : bad)
        EXPECT_THROW(second.setName(QString::fromUtf8(name)), SheetError) << name;
    EXPECT_THROW(second.setName(QStringLiteral("ЛИСТ1")), SheetError);
    second.setName(QStringLiteral("Заказ 5 от 01.02.2026"));
    EXPECT_THROW(book.sheet(3), SheetError);
    EXPECT_THROW(book.sheet(QStringLiteral("Нет")), SheetError);
    book.removeSheet(1);
    EXPECT_THROW(book.removeSheet(1), SheetError); // the last sheet stays
}

TEST(Model, CopiedSheetIsIndependent)
{
    Workbook book;
    Worksheet& first = book.sheet(1);
    first.setText(1, 1, QStringLiteral("шапка"));
    first.range(QStringLiteral("A1:B1")).merge();
    Worksheet& copy = book.copySheet(1);
    EXPECT_EQ(copy.name(), QStringLiteral("Лист1 (2)"));
    EXPECT_EQ(copy.index(), 2);
    copy.setText(1, 1, QStringLiteral("другое"));
    EXPECT_EQ(book.sheet(1).value(1, 1).toText(), QStringLiteral("шапка"));
    EXPECT_EQ(copy.merges().size(), 1u);
    Workbook moved = std::move(book);
    EXPECT_EQ(&moved.sheet(2).workbook(), &moved);
}

TEST(Model, BlocksSingleCellsAndUsedRange)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    EXPECT_EQ(ws.lastUsedCell(), (CellRef{0, 0}));
    ValueBlock block(2, 3);
    block.setText(1, 1, QStringLiteral("Товар"));
    block.setNumber(2, 3, 99.5);
    block.set(2, 1, CellValue::date(45366));
    ws.range(QStringLiteral("B2:D3")).setValues(block);
    EXPECT_EQ(ws.value(2, 2).toText(), QStringLiteral("Товар"));
    EXPECT_EQ(ws.value(3, 4).toNumber(), 99.5);
    EXPECT_EQ(ws.style(3, 2).numberFormat, QStringLiteral("dd.mm.yyyy")); // a date shows as a date
    EXPECT_EQ(ws.usedRange(), (CellRange{{2, 2}, {3, 4}}));
    const ValueBlock back = ws.range(QStringLiteral("A1:D3")).values();
    EXPECT_EQ(back.rows(), 3);
    EXPECT_EQ(back.text(2, 2), QStringLiteral("Товар"));
    EXPECT_EQ(back.number(3, 4), 99.5);
    ws.range(QStringLiteral("F10")).setFontSize(12); // a format alone extends the used range
    EXPECT_EQ(ws.lastUsedCell(), (CellRef{10, 6}));
    EXPECT_EQ(ws.rows(2, 3).values().columns(), 6); // whole rows stop at the used columns
    EXPECT_THROW(ws.setValue(0, 1, CellValue::number(1)), SheetError);
    EXPECT_THROW(ws.cells(1, 16385), SheetError);
}

// A block written over cells that already have formats and rich text, as an
// export does into a template's data rows.
TEST(Model, BlocksKeepFormatsAndDropOldRichText)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.columns(2, 2).setNumberFormat(QStringLiteral("0.00"));
    ws.rows(3, 3).setItalic(true);
    ws.setText(1, 1, QStringLiteral("Итого: 100 руб."));
    ws.cells(1, 1).changeCharactersFont(8, 3, [](Font& f) { f.bold = true; });
    ws.setNumber(2, 3, 7);
    ws.range(QStringLiteral("C2")).setBold(true);

    ValueBlock block(3, 3);
    block.setText(1, 1, QStringLiteral("новый текст"));
    block.set(2, 2, CellValue::date(45366));   // into a column formatted 0.00
    block.set(3, 1, CellValue::date(45366.5)); // with a time, into an italic row
    ws.setValues(CellRef{1, 1}, block);        // C2 is empty in the block

    EXPECT_TRUE(ws.richText(1, 1).empty());
    EXPECT_EQ(ws.value(1, 1).toText(), QStringLiteral("новый текст"));
    EXPECT_EQ(ws.style(2, 2).numberFormat, QStringLiteral("0.00"));
    EXPECT_EQ(ws.style(3, 1).numberFormat, QStringLiteral("dd.mm.yyyy hh:mm"));
    EXPECT_TRUE(ws.style(3, 1).font.italic);
    EXPECT_TRUE(ws.value(2, 3).isEmpty());
    EXPECT_TRUE(ws.style(2, 3).font.bold); // clearing a value keeps its format
}

TEST(Model, FormulasInBothForms)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.setFormulaR1C1(10, 6, QStringLiteral("=SUM(R[-3]C:R[-2]C)"));
    EXPECT_EQ(ws.formula(10, 6), QStringLiteral("=SUM(F7:F8)"));
    ws.range(QStringLiteral("H14:H16")).setFormulaR1C1(QStringLiteral("=RC[-2]*RC[-1]"));
    EXPECT_EQ(ws.formula(16, 8), QStringLiteral("=F16*G16"));
    ws.range(QStringLiteral("A1:A3")).setFormula(QStringLiteral("=B1+$C$1"));
    EXPECT_EQ(ws.formula(3, 1), QStringLiteral("=B3+$C$1"));
    ws.setFormula(5, 5, QStringLiteral("не формула"));
    EXPECT_EQ(ws.formula(5, 5), QString());
    EXPECT_EQ(ws.value(5, 5).toText(), QStringLiteral("не формула"));
}

TEST(Model, InsertingAndDeletingRowsMovesEverything)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.setText(13, 1, QStringLiteral("№"));
    ws.range(QStringLiteral("A14:K14")).setItalic(true); // the template's data row
    ws.range(QStringLiteral("B14:C14")).merge();
    ws.setFormula(14, 8, QStringLiteral("=F14*G14"));
    ws.setHyperlink(20, 1, QStringLiteral("http://example.com"), QStringLiteral("сайт"));
    ws.setFormula(21, 8, QStringLiteral("=SUM(H14:H14)"));
    ws.groupRows(14, 14);

    ws.insertRowCopy(14, 15); // extend the data row
    EXPECT_TRUE(ws.style(15, 11).font.italic);
    EXPECT_EQ(ws.formula(15, 8), QStringLiteral("=F15*G15"));
    EXPECT_EQ(ws.outlineLevel(15), 1);
    EXPECT_EQ(ws.hyperlink(21, 1), QStringLiteral("http://example.com"));
    EXPECT_EQ(ws.formula(22, 8), QStringLiteral("=SUM(H14:H14)")); // inserted below the range's end
    EXPECT_EQ(ws.merges().size(), 2u);

    ws.insertRows(15); // plain insert: takes the row above's format
    EXPECT_TRUE(ws.style(15, 2).font.italic);
    EXPECT_EQ(ws.value(15, 8).type(), CellType::Empty);
    EXPECT_EQ(ws.formula(16, 8), QStringLiteral("=F16*G16"));

    ws.deleteRows(15, 2);
    EXPECT_EQ(ws.hyperlink(20, 1), QStringLiteral("http://example.com"));
    EXPECT_EQ(ws.formula(21, 8), QStringLiteral("=SUM(H14:H14)"));
    EXPECT_EQ(ws.merges(), (std::vector<CellRange>{parseRange(QStringLiteral("B14:C14"))}));
    ws.deleteRows(14);
    EXPECT_EQ(ws.formula(20, 8), QStringLiteral("=SUM(#REF!)"));
    EXPECT_TRUE(ws.merges().empty());
}

TEST(Model, RowCopiesGoInAtOnce)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.range(QStringLiteral("A4:C4")).setItalic(true);
    ws.setFormula(4, 3, QStringLiteral("=A4*B4"));
    ws.range(QStringLiteral("A4:B4")).merge();
    ws.setFormula(6, 3, QStringLiteral("=SUM(C4:C4)"));

    ws.insertRowCopy(4, 5, 3);
    for (int row = 5; row <= 7; ++row) {
        EXPECT_TRUE(ws.style(row, 3).font.italic) << row;
        EXPECT_EQ(ws.formula(row, 3), QStringLiteral("=A%1*B%1").arg(row));
    }
    EXPECT_EQ(ws.formula(9, 3), QStringLiteral("=SUM(C4:C4)")); // below the copies, moved by three
    EXPECT_EQ(ws.merges().size(), 4u);
    ws.insertRowCopy(4, 5, 0); // no copies: nothing moves
    EXPECT_EQ(ws.formula(9, 3), QStringLiteral("=SUM(C4:C4)"));
}

TEST(Model, ColumnsCopiedInsertedAndDeletedCarryTheirFormats)
{
    // A header cell, a formatted data cell, a merge and a link in column F;
    // the maximum column G after it, and a total over both.
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.setText(2, 6, QStringLiteral("Поставщик"));
    ws.cells(2, 6).setBold(true);
    ws.cells(4, 6).setNumberFormat(QStringLiteral("@"));
    ws.setColumnWidth(6, 20);
    ws.range(QStringLiteral("F8:F9")).merge();
    ws.setHyperlink(10, 6, QStringLiteral("http://example.com"), QStringLiteral("сайт"));
    ws.setText(2, 7, QStringLiteral("Макс."));
    ws.setColumnWidth(7, 12);
    ws.setFormula(4, 7, QStringLiteral("=F4*2"));
    ws.setFormula(1, 9, QStringLiteral("=SUM(F4:G4)"));
    ws.setActiveCell(CellRef{2, 8});

    ws.insertColumnCopy(6, 7);
    EXPECT_EQ(ws.value(2, 7).toText(), QStringLiteral("Поставщик"));
    EXPECT_TRUE(ws.style(2, 7).font.bold);
    EXPECT_EQ(ws.style(4, 7).numberFormat, QStringLiteral("@"));
    EXPECT_EQ(ws.columnWidth(7), 20);
    EXPECT_EQ(ws.hyperlink(10, 7), QStringLiteral("http://example.com"));
    EXPECT_EQ(ws.value(2, 8).toText(), QStringLiteral("Макс.")); // moved right with its width
    EXPECT_EQ(ws.columnWidth(8), 12);
    EXPECT_EQ(ws.formula(4, 8), QStringLiteral("=F4*2"));
    EXPECT_EQ(ws.formula(1, 10), QStringLiteral("=SUM(F4:H4)"));
    EXPECT_EQ(ws.activeCell(), (CellRef{2, 9}));
    EXPECT_EQ(ws.merges(),
              (std::vector<CellRange>{parseRange(QStringLiteral("F8:F9")), parseRange(QStringLiteral("G8:G9"))}));

    ws.insertColumns(3, 2); // plain columns take their left neighbour's width
    EXPECT_EQ(ws.formula(1, 12), QStringLiteral("=SUM(H4:J4)"));
    ws.setColumnWidth(2, 30);
    ws.insertColumns(3);
    EXPECT_EQ(ws.columnWidth(3), 30);
    ws.deleteColumns(3, 3);

    ws.deleteColumns(6); // the first copy goes: the rest moves left
    EXPECT_EQ(ws.value(2, 6).toText(), QStringLiteral("Поставщик"));
    EXPECT_EQ(ws.value(2, 7).toText(), QStringLiteral("Макс."));
    EXPECT_EQ(ws.columnWidth(7), 12);
    EXPECT_EQ(ws.formula(4, 7), QStringLiteral("=#REF!*2")); // its column was deleted
    EXPECT_EQ(ws.formula(1, 9), QStringLiteral("=SUM(F4:G4)"));
    EXPECT_EQ(ws.merges(), (std::vector<CellRange>{parseRange(QStringLiteral("F8:F9"))}));
}

TEST(Model, OneFormattedColumnRepeatedPerName)
{
    // The template's column F copied once per name, last name first, then
    // F itself deleted: the names stand in order, each in F's format.
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.cells(2, 6).setBold(true);
    ws.setColumnWidth(6, 18);
    ws.setText(2, 7, QStringLiteral("Макс."));
    const QStringList names{QStringLiteral("Альфа"), QStringLiteral("Бета"), QStringLiteral("Гамма")};
    for (qsizetype i = names.size() - 1; i >= 0; --i) {
        ws.setText(2, 6, names[i]);
        ws.insertColumnCopy(6, 7);
    }
    ws.deleteColumns(6);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ws.value(2, 6 + i).toText(), names[i]);
        EXPECT_TRUE(ws.style(2, 6 + i).font.bold);
        EXPECT_EQ(ws.columnWidth(6 + i), 18);
    }
    EXPECT_EQ(ws.value(2, 9).toText(), QStringLiteral("Макс."));
}

TEST(Model, FormatsOnRangesRowsAndColumns)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    Range header = ws.range(QStringLiteral("A1:C1"));
    header.setBold(true);
    header.setFontSize(14);
    header.setFontColor(Color::fromBgr(0x0000FF));
    header.setFontName(QStringLiteral("Arial"));
    header.setFillColorIndex(40);
    header.setHorizontalAlignment(HAlign(-4108));
    header.setBorder(borderEdgeFromIndex(4), LineStyle(1), BorderWeight(2));
    header.setBorder(BorderEdge::InsideVertical, LineStyle::Continuous, BorderWeight::Medium);
    const CellStyle a1 = ws.style(1, 1);
    EXPECT_TRUE(a1.font.bold);
    EXPECT_EQ(a1.font.size, 14);
    EXPECT_EQ(a1.font.color.rgb(), 0xFF0000u);
    EXPECT_EQ(a1.fill, paletteColor(40));
    EXPECT_EQ(a1.hAlign, HAlign::Center);
    EXPECT_EQ(a1.bottom.style, LineStyle::Continuous);
    EXPECT_EQ(a1.left.style, LineStyle::None);
    EXPECT_EQ(a1.right.weight, BorderWeight::Medium);
    EXPECT_EQ(ws.style(1, 2).left.weight, BorderWeight::Medium);
    EXPECT_EQ(ws.style(1, 3).right.style, LineStyle::None);

    ws.rows(5, 5).setBold(true); // a whole row: later cells take its format
    ws.setText(5, 200, QStringLiteral("далеко"));
    EXPECT_TRUE(ws.style(5, 200).font.bold);
    ws.columns(2, 2).setNumberFormat(QStringLiteral("0.00"));
    EXPECT_EQ(ws.style(9, 2).numberFormat, QStringLiteral("0.00"));
    ws.range(QStringLiteral("B1:B2")).setColumnWidth(30);
    EXPECT_EQ(ws.columnWidth(2), 30);
    EXPECT_EQ(ws.columnWidth(3), 8.43);

    ws.setText(7, 1, QStringLiteral("Итого: 100 руб."));
    ws.cells(7, 1).changeCharactersFont(8, 3, [](Font& f) { f.bold = true; });
    const auto runs = ws.richText(7, 1);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].start, 7);
    EXPECT_EQ(runs[1].length, 3);
    EXPECT_TRUE(runs[1].font.bold);
    EXPECT_FALSE(runs[2].font.bold);
    EXPECT_THROW(header.setFontSize(0), SheetError);
    EXPECT_THROW(borderEdgeFromIndex(13), SheetError);
}

TEST(Model, MergesKeepTheTopLeftValueAndRefuseOverlaps)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.setText(1, 1, QStringLiteral("a"));
    ws.setText(1, 2, QStringLiteral("b"));
    ws.range(QStringLiteral("A1:B2")).merge();
    EXPECT_EQ(ws.value(1, 1).toText(), QStringLiteral("a"));
    EXPECT_TRUE(ws.value(1, 2).isEmpty());
    EXPECT_THROW(ws.range(QStringLiteral("B2:C3")).merge(), SheetError);
    ws.range(QStringLiteral("A1")).unmerge();
    EXPECT_TRUE(ws.merges().empty());
}

TEST(Model, CopyingARowOverABlockRepeatsIt)
{
    Workbook book;
    Worksheet& ws = book.sheet(1);
    ws.range(QStringLiteral("A5:D5")).setFillColor(Color::fromBgr(0x00FFFF));
    ws.setFormula(5, 4, QStringLiteral("=B5*C5"));
    ws.range(QStringLiteral("A5:D5")).copyFormatsTo(ws.range(QStringLiteral("A10:H12")));
    EXPECT_EQ(ws.style(12, 8).fill, Color::fromBgr(0x00FFFF)); // repeated across and down
    EXPECT_TRUE(ws.formula(12, 4).isEmpty());
    ws.range(QStringLiteral("A5:D5")).copyTo(ws.range(QStringLiteral("A20:D21")));
    EXPECT_EQ(ws.formula(21, 4), QStringLiteral("=B21*C21"));
}

// A pool's first chunks are small and grow to a megabyte: texts that fill
// them, overflow them and exceed a whole chunk all read back as added.
TEST(Model, TextPoolKeepsEveryTextAcrossItsChunks)
{
    StringPool pool;
    std::vector<std::pair<QString, StringPool::Span>> added;
    const int lengths[] = {1, 100, 4000, 4097, 9000, 70000, 300000, 1 << 20, (1 << 20) + 5, 1500000, 17};
    int n = 0;
    for (int round = 0; round < 2; ++round)
        for (const int length : lengths) {
            const QString text = QString(length, QChar(u'а' + (n++ % 32)));
            added.emplace_back(text, round == 1 ? pool.addUtf8(text.toUtf8().constData(), std::size_t(text.toUtf8().size()))
                                                : pool.add(text));
        }
    for (const auto& [text, span] : added)
        ASSERT_EQ(pool.text(span), text) << text.size();
}

} // namespace
} // namespace velmora::sheet
