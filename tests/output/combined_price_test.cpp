// The combined price list by category on the shipped template, each
// workbook read back by openpyxl.
#include "pricing_fixture.h"
#include "xlsx_dump.h"

#include "output/combined_price/combined_price_list.h"

#include "storage/settings_store.h"

#include <QDir>
#include <QFile>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::SheetDump;
using velmora::output::test::sheetOf;
using velmora::output::test::writeBytes;

namespace {

class CombinedPriceTest : public PricingTest {
protected:
    void SetUp() override
    {
        PricingTest::SetUp();
        ASSERT_TRUE(program.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/Svod_Price_Kat.xlsx"),
                                program.filePath(QStringLiteral("Svod_Price_Kat.xlsx"))));
        input.programFolder = program.path();
        input.today = kToday;
        input.roundDigits = 2;
    }
    // Cat1 [Альфа, Бета] > Sub1 [Гамма, Дельта], then Cat2 without goods;
    // suppliers S1 and S2.
    void makeShop()
    {
        addSupplier(QStringLiteral("S1"));
        addSupplier(QStringLiteral("S2"));
        addGroup(1, 0, 1, QStringLiteral("Cat1"));
        addGroup(2, 1, 1, QStringLiteral("Sub1"));
        addGroup(3, 0, 2, QStringLiteral("Cat2"));
        addGood(11, 1, QStringLiteral("Альфа"), 100, 10, false, QStringLiteral("A-1"));
        addGood(12, 1, QStringLiteral("Бета"), 100, 10, false, QStringLiteral("B-2"));
        addGood(13, 2, QStringLiteral("Гамма"), 0, 10, false, QStringLiteral("G-3"));
        addGood(14, 2, QStringLiteral("Дельта"), 200, 0, false, QStringLiteral("D-4"));
        addOffer(11, QStringLiteral("S1"), 99);
        addOffer(11, QStringLiteral("s2"), 121); // names match without case
        addOffer(13, QStringLiteral("S1"), 50);
        addOffer(14, QStringLiteral("S1"), 90);
        addOffer(14, QStringLiteral("S1"), 100);
        addOffer(14, QStringLiteral("S2"), 0);
        addOffer(14, QStringLiteral("S9"), 1); // no column of its own: not counted
    }
    CombinedPriceResult run() { return ExportCombinedPriceList(priceDb, orderDb, input); }
    SheetDump sheet(const CombinedPriceResult& result)
    {
        return sheetOf(result.savedPath, QStringLiteral("Сводный прайс-лист"));
    }

    QTemporaryDir program;
    CombinedPriceInput input;
};

TEST_F(CombinedPriceTest, EachGoodStandsBesideItsSuppliersPrices)
{
    makeShop();
    const CombinedPriceResult result = run();
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(result.savedPath, program.filePath(QStringLiteral("Сводные прайс-листы/Svod_Price_05.03.2024.xlsx")));
    EXPECT_TRUE(result.message.isEmpty());
    const SheetDump s = sheet(result);

    EXPECT_EQ(s.value("C1").toString(), QStringLiteral("05.03.2024"));
    EXPECT_EQ(s.row(5, u'K'), QStringLiteral("Артикул|Название товара|Цена|S1|Откл.|S2|Откл.|Мин. цена|Откл.|"
                                             "Средняя цена|Откл."));
    EXPECT_EQ(s.row(6, u'C'), QStringLiteral("1|Cat1|"));
    EXPECT_EQ(s.row(7, u'K'), QStringLiteral("A-1|Альфа|110|99|-0.1|121|0.1|99|-0.1|110|0"));
    // No svod row: no supplier, cheapest or average.
    EXPECT_EQ(s.row(8, u'K'), QStringLiteral("B-2|Бета|110||||||||"));
    EXPECT_EQ(s.row(9, u'C'), QStringLiteral("2|Sub1|"));
    // Price_1 0: no differences.
    EXPECT_EQ(s.row(10, u'K'), QStringLiteral("G-3|Гамма| - |50||||50||50|"));
    // Two rows of S1: the later stands, both count; S2's 0 is no price.
    EXPECT_EQ(s.row(11, u'K'), QStringLiteral("D-4|Дельта|200|100|-0.5|0|-1|90|-0.55|95|-0.525"));
    EXPECT_EQ(s.row(12, u'C'), QStringLiteral("1|Cat2|"));
    EXPECT_EQ(s.row(13, u'C'), QStringLiteral("||"));

    // The rows below a header, by depth; the empty group has none.
    const int levels[] = {0, 1, 1, 1, 2, 2, 0, 0};
    for (int row = 6; row <= 13; ++row)
        EXPECT_EQ(s.level(row), levels[row - 6]) << row;

    // Headers by depth over the whole width; goods rows keep the template's format.
    for (const char* a1 : {"A6", "K6", "B9", "A12"}) {
        EXPECT_EQ(s.font(a1).value("name").toString(), QStringLiteral("Arial")) << a1;
        EXPECT_EQ(s.font(a1).value("size").toDouble(), 12) << a1;
        EXPECT_TRUE(s.font(a1).value("bold").toBool() && s.font(a1).value("italic").toBool()) << a1;
        EXPECT_EQ(s.font(a1).value("color").toString(), QStringLiteral("FFFFFF")) << a1;
    }
    EXPECT_EQ(s.fill("A6"), QStringLiteral("010080"));
    EXPECT_EQ(s.fill("K6"), QStringLiteral("010080"));
    EXPECT_EQ(s.fill("A9"), QStringLiteral("0000FE"));
    EXPECT_EQ(s.fill("L6"), QString());
    for (const char* a1 : {"C7", "F11", "J10"})
        EXPECT_EQ(s.cell(a1).value("numberFormat").toString(), QStringLiteral("0.00")) << a1;
    for (const char* a1 : {"E7", "G11", "K7"})
        EXPECT_EQ(s.cell(a1).value("numberFormat").toString(), QStringLiteral("0.0%")) << a1;
    EXPECT_FALSE(s.font("B7").value("bold").toBool());
}

TEST_F(CombinedPriceTest, TheSuperPriceMarkAndTheGroupsDeeperThanSeven)
{
    SettingsStore settings(orderDb);
    settings.write(QStringLiteral("SuperPrice"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    settings.write(QStringLiteral("SuperPrice"), QStringLiteral("TypeText"), QStringLiteral("(акция)"));
    for (int depth = 1; depth <= 9; ++depth) {
        addGroup(depth, depth - 1, 1, QStringLiteral("Уровень %1").arg(depth));
        addGood(100 + depth, depth, QStringLiteral("Товар %1").arg(depth), 10, 0, depth == 9);
    }
    const CombinedPriceResult result = run();
    ASSERT_TRUE(result.saved) << result.message.toStdString();
    EXPECT_EQ(result.suppliers, 0);
    const SheetDump s = sheet(result);
    // Without suppliers the block is gone: the cheapest follows the price.
    EXPECT_EQ(s.row(5, u'D'), QStringLiteral("Артикул|Название товара|Цена|Мин. цена"));
    EXPECT_EQ(s.row(23, u'C'), QStringLiteral("A109|Товар 9 (акция)|10"));
    EXPECT_EQ(s.level(7), 1);
    EXPECT_EQ(s.level(13), 4);
    EXPECT_EQ(s.level(19), 7);
    EXPECT_EQ(s.level(23), 7);
    EXPECT_EQ(s.fill("A14"), QStringLiteral("99CDFF")); // depths past 5 as 5
}

TEST_F(CombinedPriceTest, AFolderThatCannotBeMadeSavesNothing)
{
    makeShop();
    const QString blocked = program.filePath(QStringLiteral("Сводные прайс-листы"));
    writeBytes(blocked, "a file, not a folder");
    const CombinedPriceResult result = run();
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, QStringLiteral("Невозможно создать директорию ") + blocked + u'/');

    QFile::remove(program.filePath(QStringLiteral("Svod_Price_Kat.xlsx")));
    EXPECT_FALSE(run().saved);
}

} // namespace
