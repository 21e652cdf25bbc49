#include "tree_test_support.h"

#include "platform/db/day_numbers.h"
#include "suppliers/setup/column_picking.h"
#include "suppliers/setup/price_list_settings.h"
#include "suppliers/setup/sheet_settings.h"
#include "suppliers/tree/price_lists.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::SupplierDatabases;

namespace {

const QString kName = QStringLiteral("O'Neil \"Ёлка\"");

TEST(SyncSheets, KeepsMatchingRowsAddsNewWorksheetsDropsTheRest)
{
    SupplierDatabases d;
    d.addList(1, kName);
    d.addSheet(kName, QStringLiteral("S2"), 305);
    d.addSheet(kName, QStringLiteral("S3"), 4);
    d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET PostavVisible = 0, SheetCount = 7"));

    const SheetSyncResult r = SyncSheetsWithWorkbook(d.priceDb, kName, QStringLiteral("/x/Прайс.xlsx"),
                                                     {QStringLiteral("S1"), QStringLiteral("S2")}, 2);
    EXPECT_EQ(r.added, QStringList({"S1"}));
    EXPECT_EQ(r.kept, QStringList({"S2"}));
    EXPECT_EQ(r.removed, QStringList({"S3"}));

    const std::vector<SheetSettings> rows = ReadSheets(d.priceDb, kName);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].SheetName, "S1");
    for (qint64 spec : rows[0].columns)
        EXPECT_EQ(spec, 0);
    EXPECT_EQ(rows[0].Nacen, 0);
    EXPECT_EQ(rows[0].PriceSet, 0);
    EXPECT_EQ(rows[0].Obrab, "");
    EXPECT_EQ(rows[0].TovarPrefiks, "");
    EXPECT_EQ(rows[0].Valuta, 2);
    EXPECT_EQ(d.count(d.priceDb, QStringLiteral("SELECT count(*) FROM AllPostavPage WHERE Valuta IS NULL")), 0);
    EXPECT_EQ(rows[1].SheetName, "S2");
    EXPECT_EQ(rows[1].spec(SheetField::Art), 305);
    EXPECT_EQ(rows[1].Nacen, 7);

    const PriceListRow list = *FindPriceList(d.priceDb, kName);
    EXPECT_EQ(list.Path, "/x/Прайс.xlsx");
    EXPECT_EQ(list.SheetCount, 2);
    EXPECT_TRUE(list.PostavVisible);
}

TEST(SyncSheets, RowsTheLoaderWouldReadAreKept)
{
    const struct {
        QStringList existing;
        QStringList worksheets;
        QStringList added;
        QStringList removed;
        const char* file = "/x.xlsx";
    } cases[] = {
        // A "[text]" row reads every worksheet whose name holds the text,
        // and stays when none does now.
        {{"[прайс]"}, {"Лист1", "Прайс-лист 2012", "ПРАЙС 2"}, {"Лист1"}, {}},
        {{"[склад]"}, {"Лист1", "Прайс"}, {"Лист1", "Прайс"}, {}},
        // The only worksheet of a file is read by the first row when no row
        // names it.
        {{"Старый лист"}, {"price_0312"}, {}, {}},
        // A workbook that lost a sheet loses its row, also when one sheet is left.
        {{"Акции", "Прайс"}, {"Прайс"}, {}, {"Акции"}},
        {{"Акции", "Прайс", "Склад"}, {"Прайс", "Склад"}, {}, {"Акции"}},
        // A CSV file's sheet is named after the file: its rows all stay.
        {{"price_0311", "price_0312"}, {"price_0313"}, {}, {}, "/x/price_0313.csv"},
        // Names compare without case and surrounding blanks.
        {{"лист1 "}, {"Лист1", "Лист2"}, {"Лист2"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.existing.join(u',').toStdString());
        SupplierDatabases d;
        d.addList(1, kName);
        for (const QString& sheet : c.existing)
            d.addSheet(kName, sheet);
        const SheetSyncResult r = SyncSheetsWithWorkbook(d.priceDb, kName, QString::fromUtf8(c.file), c.worksheets, 0);
        EXPECT_EQ(r.added, c.added);
        EXPECT_EQ(r.removed, c.removed);
    }
}

TEST(SheetColumns, SingleValueUpdatesReachOnlyTheirRow)
{
    SupplierDatabases d;
    d.addList(1, kName);
    d.addSheet(kName, QStringLiteral("Лист 'A'"));
    d.addSheet(kName, QStringLiteral("Лист B"));
    const QString sheet = QStringLiteral("Лист 'A'");
    EXPECT_TRUE(SetSheetColumnSpec(d.priceDb, kName, sheet, SheetField::Description, 100000004));
    EXPECT_TRUE(SetSheetColumnSpec(d.priceDb, kName, sheet, SheetField::Art, 305));
    EXPECT_TRUE(SetSheetValuta(d.priceDb, kName, sheet, 7));
    EXPECT_TRUE(SetSheetNacen(d.priceDb, kName, sheet, -10));
    EXPECT_TRUE(SetSheetPriceSet(d.priceDb, kName, sheet, 6));
    EXPECT_TRUE(SetSheetPrefix(d.priceDb, kName, sheet, QStringLiteral("\"Ёлка\"")));
    EXPECT_FALSE(SetSheetNacen(d.priceDb, kName, QStringLiteral("Нет листа"), 1));

    const SheetSettings a = *ReadSheet(d.priceDb, kName, sheet);
    EXPECT_EQ(a.spec(SheetField::Description), 100000004);
    EXPECT_EQ(a.spec(SheetField::Art), 305);
    EXPECT_EQ(a.spec(SheetField::Tovar), 2);
    EXPECT_EQ(a.Valuta, 7);
    EXPECT_EQ(a.Nacen, -10);
    EXPECT_EQ(a.PriceSet, 6);
    EXPECT_EQ(a.TovarPrefiks, "\"Ёлка\"");
    const SheetSettings b = *ReadSheet(d.priceDb, kName, QStringLiteral("Лист B"));
    EXPECT_EQ(b.spec(SheetField::Art), 0);
    EXPECT_EQ(b.Valuta, 1);
    EXPECT_EQ(SheetFieldColumn(SheetField::TextNoName), "Column_TextNoName");
}

TEST(SheetRename, RefusesEmptyAndTakenNames)
{
    SupplierDatabases d;
    d.addList(1, kName);
    d.addSheet(kName, QStringLiteral("S1"), 3);
    d.addSheet(kName, QStringLiteral("S2"));
    EXPECT_EQ(RenameSheet(d.priceDb, kName, "S1", ""), SheetRenameResult::EmptyName);
    EXPECT_EQ(RenameSheet(d.priceDb, kName, "S1", "s2"), SheetRenameResult::NameTaken);
    EXPECT_EQ(RenameSheet(d.priceDb, kName, "S1", "S1"), SheetRenameResult::Unchanged);
    EXPECT_EQ(RenameSheet(d.priceDb, kName, "S9", "S8"), SheetRenameResult::NoSuchSheet);
    EXPECT_EQ(RenameSheet(d.priceDb, kName, "S1", "[прайс]"), SheetRenameResult::Renamed);
    EXPECT_EQ(ReadSheet(d.priceDb, kName, "[прайс]")->spec(SheetField::Art), 3);
    EXPECT_TRUE(IsSheetNamePattern("[прайс]"));
    EXPECT_FALSE(IsSheetNamePattern("прайс]"));
}

TEST(ColumnSelectors, SpecsShowAsTheirItem)
{
    const struct {
        qint64 spec;
        int index;
        const char* extra;
    } cases[] = {
        {0, 0, ""}, {3, 3, ""}, {26, 26, ""}, {27, 27, "AA"}, {305, 27, "C+E"},
        {30506, 27, "C+E+F"}, {100000003, 27, "C (Hiper)"},
    };
    for (const auto& c : cases) {
        const SelectorChoice choice = SelectorChoiceForSpec(c.spec);
        EXPECT_EQ(choice.index, c.index) << c.spec;
        EXPECT_EQ(choice.extraText, QString::fromUtf8(c.extra)) << c.spec;
    }
    EXPECT_EQ(ColumnSelectorItems().size(), 27);
    EXPECT_EQ(ColumnSelectorItems().first(), "Нет");
    EXPECT_EQ(ColumnSelectorItems().last(), "Z");

    EXPECT_EQ(SelectorChoiceForValuta(7).index, kCurrencyColumnItem);
    EXPECT_EQ(SelectorChoiceForValuta(7).extraText, "B");
    EXPECT_EQ(SelectorChoiceForValuta(3).index, 3);
    EXPECT_EQ(CurrencySelectorItems().size(), 5);
}

TEST(ColumnSelectors, JoiningStopsAtThreeColumns)
{
    JoinResult r = JoinColumnSpec(0, 3);
    EXPECT_EQ(r.spec, 3);
    r = JoinColumnSpec(r.spec, 5);
    EXPECT_EQ(r.spec, 305);
    r = JoinColumnSpec(r.spec, 6);
    EXPECT_EQ(r.spec, 30506);
    EXPECT_FALSE(r.refused);
    r = JoinColumnSpec(r.spec, 7);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.spec, 30506);
    EXPECT_EQ(JoinColumnSpec(100000003, 4).spec, 4);
    EXPECT_EQ(JoinColumnSpec(27, 2).spec, 2702);
    EXPECT_EQ(JoinRefusedText(), "Можно объединить только 3 колонки!");
}

TEST(ColumnSelectors, PickedCellLinks)
{
    EXPECT_EQ(PickedCellLink("http://a/1", "=HYPERLINK(\"http://b\")"), "http://a/1");
    EXPECT_EQ(PickedCellLink("", "=HYPERLINK(\"http://b/2\",\"текст\")"), "http://b/2");
    EXPECT_EQ(PickedCellLink("", "=ГИПЕРССЫЛКА(\"http://c/3\";\"текст\")"), "http://c/3");
    EXPECT_EQ(PickedCellLink("", "=SUM(A1:A2)"), "");
    EXPECT_EQ(PickedCellLink("", ""), "");
}

struct SaveTest : ::testing::Test {
    SupplierDatabases d;
    PriceListSettingsInput input;

    void SetUp() override
    {
        d.addList(1, QStringLiteral("Альфа"));
        d.addList(2, QStringLiteral("Бета"));
        d.addSheet(QStringLiteral("Альфа"), QStringLiteral("Лист1"));
        d.exec(d.priceDb, QStringLiteral("UPDATE AllPostavSetup SET PriceConversion = 2.5, PostavVisible = 0"));
        input.id = 1;
        input.name = QStringLiteral("Альфа");
        input.path = QStringLiteral("/data/альфа.xls");
        input.sheet = QStringLiteral("Лист1");
        input.columnTexts = {"C+E", "B", "Нет", "AA", "", "F", "D (Hiper)", "G+H+I"};
    }
};

TEST_F(SaveTest, StoresPathFactorAndTheEightSpecs)
{
    input.conversionText = QStringLiteral("");
    const SaveOutcome out = SavePriceListSettings(d.priceDb, d.orderDb, input);
    EXPECT_TRUE(out.saved);
    EXPECT_TRUE(out.message.isEmpty());
    const PriceListRow row = *FindPriceListById(d.priceDb, 1);
    EXPECT_EQ(row.Path, "/data/альфа.xls");
    EXPECT_EQ(row.PriceConversion, 1.0);
    EXPECT_TRUE(row.PostavVisible);
    const SheetSettings s = *ReadSheet(d.priceDb, "Альфа", "Лист1");
    const std::array<qint64, kSheetFieldCount> expected{305, 2, 0, 27, 0, 6, 100000004, 70809};
    EXPECT_EQ(s.columns, expected);
}

TEST_F(SaveTest, DecimalCommaAndBadFactor)
{
    input.conversionText = QStringLiteral("1,25");
    EXPECT_TRUE(SavePriceListSettings(d.priceDb, d.orderDb, input).saved);
    EXPECT_EQ(FindPriceListById(d.priceDb, 1)->PriceConversion, 1.25);
    input.conversionText = QStringLiteral("abc");
    const SaveOutcome out = SavePriceListSettings(d.priceDb, d.orderDb, input);
    EXPECT_TRUE(out.saved);
    EXPECT_FALSE(out.message.isEmpty());
    EXPECT_EQ(FindPriceListById(d.priceDb, 1)->PriceConversion, 1.25);
}

TEST_F(SaveTest, ARefusedRenameStoresNothing)
{
    input.name = QStringLiteral("бета");
    const SaveOutcome out = SavePriceListSettings(d.priceDb, d.orderDb, input);
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.rename, RenameResult::NameTaken);
    EXPECT_FALSE(out.message.isEmpty());
    EXPECT_EQ(FindPriceListById(d.priceDb, 1)->Path, "/p/x.xlsx");
    EXPECT_EQ(ReadSheet(d.priceDb, "Альфа", "Лист1")->spec(SheetField::Art), 0);
}

TEST_F(SaveTest, ARenameCarriesTheSheetSettings)
{
    input.name = QStringLiteral("Гамма");
    EXPECT_TRUE(SavePriceListSettings(d.priceDb, d.orderDb, input).saved);
    EXPECT_EQ(ReadSheet(d.priceDb, "Гамма", "Лист1")->spec(SheetField::Art), 305);
    EXPECT_FALSE(ReadSheet(d.priceDb, "Альфа", "Лист1"));
}

TEST(PriceListView, InfoTextAndConversionFactor)
{
    const QString none = PriceListInfoText("А", GoodsSummary{}, 2);
    EXPECT_TRUE(none.contains("Дата обновления:     \n")) << none.toStdString();
    EXPECT_FALSE(none.contains("1899"));
    const QString some = PriceListInfoText("А", GoodsSummary{5, 46001}, 2);
    EXPECT_TRUE(some.contains("Кол-во товаров:        5")) << some.toStdString();
    EXPECT_TRUE(some.contains("Дата обновления:     " + db::dateFromDayNumber(46001).toString("dd.MM.yyyy")));
    EXPECT_EQ(ParseConversionFactor(""), 1.0);
    EXPECT_EQ(ParseConversionFactor("0.5"), 0.5);
    EXPECT_FALSE(ParseConversionFactor("x"));
}

} // namespace
