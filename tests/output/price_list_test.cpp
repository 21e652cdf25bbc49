// The shop's spreadsheet price list: the layout settings, the date line and
// the writer, each workbook read back by openpyxl.
#include "pricing_fixture.h"
#include "xlsx_dump.h"

#include "output/output_error.h"
#include "output/price_list/price_excel_settings.h"
#include "output/price_list/price_list_date.h"
#include "output/price_list/price_list_excel.h"

#include "platform/spreadsheet/spreadsheet.h"
#include "storage/settings_store.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::SheetDump;
using velmora::output::test::ToolRun;
using velmora::output::test::readXlsx;
using velmora::output::test::runTool;

namespace {

const QDateTime kMoment(QDate(2007, 1, 1), QTime(12, 0));

// The price list's sheet as openpyxl reads it.
SheetDump sheetOf(const QString& path, const QString& name = QStringLiteral("Прайс-лист"))
{
    return velmora::output::test::sheetOf(path, name);
}

class PriceListTest : public PricingTest {
protected:
    void SetUp() override
    {
        PricingTest::SetUp();
        ASSERT_TRUE(program.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/Price-List.xlsx"),
                                program.filePath(QStringLiteral("Price-List.xlsx"))));
        input.programFolder = program.path();
        input.clock = [] { return kMoment; };
        // A shop pricing in dollars: the columns stand as priced unless
        // a column is set to roubles.
        input.displayCurrency = QStringLiteral("USD");
        input.roubleRate = 30;
        input.roundDigits = 2;
        const int markups[] = {0, 5, 10, 20};
        for (int id = 1; id <= 4; ++id)
            exec(QStringLiteral("UPDATE parametr SET Nacen_out = ?1 WHERE Id = ?2"), {markups[id - 1], id});
    }
    void set(const char* name, int value)
    {
        settings.write(QLatin1String(name), QStringLiteral("TypeInteger"), QString::number(value));
    }
    void set(const char* name, bool value)
    {
        settings.write(QLatin1String(name), QStringLiteral("TypeBoolean"), value ? QStringLiteral("-1") : QStringLiteral("0"));
    }
    void set(const char* name, const QString& value)
    {
        settings.write(QLatin1String(name), QStringLiteral("TypeText"), value);
    }
    // Art A, Tovar B, Presence C, Price1 ... Price4 D ... G, Garant H.
    void placeColumnsAtoH()
    {
        const char* names[] = {"ComboBox_Art", "ComboBox_Tovar", "ComboBox_Presence", "ComboBox_Price1",
                               "ComboBox_Price2", "ComboBox_Price3", "ComboBox_Price4", "ComboBox_Garant"};
        for (int i = 0; i < 8; ++i)
            set(names[i], i + 1);
    }
    PriceExcelResult write()
    {
        PriceExcelResult result = ExportPriceExcel(priceDb, orderDb, input);
        EXPECT_TRUE(result.saved) << result.message.toStdString();
        return result;
    }
    QString outputFolder() const { return program.filePath(QStringLiteral("Прайс-лист Excel")); }
    QStringList settingRows()
    {
        return queryRows(orderDb, QStringLiteral("SELECT * FROM settings ORDER BY ParName"));
    }

    QTemporaryDir program;
    SettingsStore settings{orderDb};
    PriceExcelInput input;
};

// ---- the settings ------------------------------------------------------

TEST_F(PriceListTest, OneTableOfDefaultsServesTheWindowAndTheWriter)
{
    const PriceExcelSettings s = readPriceExcelSettings(orderDb, program.path(), QStringLiteral("USD"));
    EXPECT_EQ(s.templatePath, program.filePath(QStringLiteral("Price-List.xlsx")));
    EXPECT_EQ(s.sheetIndex, 0);
    EXPECT_EQ(s.sheetName(), QStringLiteral("Прайс-лист"));
    EXPECT_EQ(s.dateCell, QStringLiteral("A1"));
    EXPECT_TRUE(s.column(GoodsColumn::Art).wanted);
    EXPECT_FALSE(s.column(GoodsColumn::Comment).wanted);
    EXPECT_EQ(s.column(GoodsColumn::Presence).width, 65);
    EXPECT_EQ(s.levels[0].column, QStringLiteral("C"));
    EXPECT_EQ(s.levels[3].column, QStringLiteral("A"));
    EXPECT_EQ(s.levels[3].fillColor, 0xFFFFFFu);
    // The rows were made with those defaults, in their types.
    EXPECT_EQ(settings.readInteger(QStringLiteral("ComboBox_Tovar"), QStringLiteral("7")), 3);
    EXPECT_EQ(settings.readText(QStringLiteral("Panel_Color2"), QStringLiteral("x")), QStringLiteral("$FFFFFF"));
}

// The first row and every goods column default to the places under the
// shipped template's titles, as openpyxl reads them.
TEST_F(PriceListTest, TheDefaultsPutEveryColumnUnderTheShippedTemplatesTitle)
{
    const SheetDump shipped = sheetOf(program.filePath(QStringLiteral("Price-List.xlsx")));
    const PriceExcelSettings s = readPriceExcelSettings(orderDb, program.path(), QStringLiteral("USD"));
    constexpr int kTitleRow = 3;
    EXPECT_EQ(s.startRowIndex, kTitleRow + 1);
    EXPECT_EQ(shipped.row(kTitleRow + 1, u'K'), QStringLiteral("||||||||||"));
    const std::pair<GoodsColumn, const char*> titles[] = {
        {GoodsColumn::Art, "Артикул"},       {GoodsColumn::Tovar, "Наименование"}, {GoodsColumn::Presence, "Наличие"},
        {GoodsColumn::Price1, "Цена 1"},     {GoodsColumn::Price2, "Цена 2"},      {GoodsColumn::Price3, "Цена 3"},
        {GoodsColumn::Price4, "Цена 4"},     {GoodsColumn::Garant, "Гарантия"},    {GoodsColumn::Comment, "Комментарий"},
    };
    for (const auto& [column, title] : titles) {
        const int position = s.column(column).position;
        ASSERT_GE(position, 1) << title;
        EXPECT_EQ(shipped.value(sheet::columnLetters(position) + QString::number(kTitleRow)).toString(),
                  QString::fromUtf8(title));
    }
}

TEST_F(PriceListTest, PriceColumnsAreInTheShopsCurrencyUntilOneIsStored)
{
    // 1 "руб." in a shop that prices in roubles, 0 " $" (as they stand) otherwise.
    const std::pair<const char*, int> cases[] = {{"RUB", 1}, {"USD", 0}, {"EUR", 0}};
    for (const auto& [display, currency] : cases)
        EXPECT_EQ(readPriceExcelSettings(orderDb, program.path(), QLatin1String(display)).priceCurrency,
                  (std::array<int, 4>{currency, currency, currency, currency}))
            << display;
    EXPECT_FALSE(settings.contains(QStringLiteral("CheckBox_Price1Kurs")));

    PriceExcelSettings s = readPriceExcelSettings(orderDb, program.path(), QStringLiteral("RUB"));
    s.priceCurrency = {0, 1, 0, 1};
    storePriceExcelSettings(orderDb, s);
    EXPECT_EQ(readPriceExcelSettings(orderDb, program.path(), QStringLiteral("RUB")).priceCurrency,
              (std::array<int, 4>{0, 1, 0, 1}));
}

TEST_F(PriceListTest, StoringWhatWasReadKeepsEveryKey)
{
    set("Panel_ColorFont2", QStringLiteral("clRed"));
    set("Panel_Color4", QStringLiteral("$00FFFF"));
    set("ComboBox_SheetMaxItems", 2);
    set("ComboBox_SheetItems1", QStringLiteral("Обложка"));
    set("ComboBox_SheetItems2", QStringLiteral("Прайс-лист"));
    set("ComboBox_SheetItemIndex", 1);
    set("Edit_FontName3", QStringLiteral("Times New Roman"));
    set("SpeedButton_FontUline5", true);
    PriceExcelSettings s = readPriceExcelSettings(orderDb, program.path(), QStringLiteral("USD"));
    EXPECT_EQ(s.levels[2].fontColor, 0x0000FFu);
    EXPECT_EQ(s.levels[4].fillColor, 0x00FFFFu);
    EXPECT_EQ(s.sheetNames, (QStringList{"Обложка", "Прайс-лист"}));
    EXPECT_EQ(s.sheetName(), QStringLiteral("Прайс-лист"));

    storePriceExcelSettings(orderDb, s);
    // Colours come back in the form the program writes.
    EXPECT_EQ(settings.readText(QStringLiteral("Panel_ColorFont2")), QStringLiteral("$000000FF"));
    EXPECT_EQ(settings.readText(QStringLiteral("Panel_Color4")), QStringLiteral("$0000FFFF"));
    const QStringList once = settingRows();
    EXPECT_EQ(readPriceExcelSettings(orderDb, program.path(), QStringLiteral("USD")).levels[2].fontColor, 0x0000FFu);
    storePriceExcelSettings(orderDb, readPriceExcelSettings(orderDb, program.path(), QStringLiteral("USD")));
    EXPECT_EQ(settingRows(), once);
    EXPECT_GE(once.size(), 90);
}

TEST_F(PriceListTest, TheSheetIsTheStoredNameOfTheSelectedItem)
{
    PriceExcelSettings s;
    s.sheetNames = QStringList{"Обложка", "Опт", ""};
    const std::pair<int, const char*> cases[] = {{0, "Обложка"}, {1, "Опт"}, {2, "Прайс-лист"}, {3, "Прайс-лист"},
                                                 {-1, "Прайс-лист"}};
    for (const auto& [index, name] : cases) {
        s.sheetIndex = index;
        EXPECT_EQ(s.sheetName(), QString::fromUtf8(name)) << index;
    }
}

// ---- the date line -----------------------------------------------------

TEST(PriceListDate, FormatsAsTheWindowListsThemWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const char* const expected[] = {
        "Прайс от 01.01.2007г. ",        "Прайс от 1 янв 2007г. ",        "Прайс от 1 января 2007г. ",
        "Прайс от 01.01.2007г.  12:00 ", "Прайс от 1 янв 2007г.  12:00 ", "Прайс от 1 января 2007г.  12:00 ",
        "Прайс от  ",
    };
    for (int format = 0; format <= 6; ++format)
        EXPECT_EQ(priceListDateLine(QStringLiteral("Прайс от"), kMoment, format, QString()),
                  QString::fromUtf8(expected[format]))
            << format;
    EXPECT_EQ(priceListDateLine(QString(), QDateTime(QDate(2026, 5, 9), QTime(9, 5)), 4, QStringLiteral("(опт)")),
              QStringLiteral(" 9 май 2026г.  09:05 (опт)"));
    EXPECT_EQ(priceListDateText(QDateTime(QDate(2026, 11, 30), QTime()), 2), QStringLiteral("30 ноября 2026г."));
    EXPECT_EQ(priceListDateFormats(),
              (QStringList{"01.01.2007г.", "1 янв 2007г.", "1 января 2007г.", "01.01.2007г.  12:00",
                           "1 янв 2007г.  12:00", "1 января 2007г.  12:00"}));
    QLocale::setDefault(QLocale::c());
}

// ---- the writer -------------------------------------------------------

TEST_F(PriceListTest, DefaultsFormatHeadersToTheWarrantyAndFillEveryTitledColumn)
{
    addGroup(1, 0, 1, QStringLiteral("Мыши"));
    addGood(11, 1, QStringLiteral("Мышь"), 100, 10);
    set("Edit_FontName1", QStringLiteral("Verdana"));
    const PriceExcelResult result = write();
    EXPECT_EQ(result.savedPath, outputFolder() + QStringLiteral("/Прайс-лист.xlsx"));
    EXPECT_EQ(result.groups, 1);
    EXPECT_EQ(result.goods, 1);
    EXPECT_TRUE(result.message.isEmpty());

    const SheetDump sheet = sheetOf(result.savedPath);
    EXPECT_EQ(sheet.row(4, u'C'), QStringLiteral("1|1|Мыши"));
    EXPECT_EQ(sheet.font(QStringLiteral("J4")).value(QStringLiteral("name")).toString(), QStringLiteral("Verdana"));
    EXPECT_NE(sheet.font(QStringLiteral("K4")).value(QStringLiteral("name")).toString(), QStringLiteral("Verdana"));
    // Each column of a fresh install under its title: name C, article D ...
    EXPECT_EQ(sheet.row(5, u'K'), QStringLiteral("||Мышь|A11|Есть|110|115.5|121|132|1 год|"));
    // The template's own cells stay.
    EXPECT_EQ(sheet.value(QStringLiteral("C3")).toString(), QStringLiteral("Наименование"));
    EXPECT_EQ(sheet.fill(QStringLiteral("C3")), QStringLiteral("D9E1F2"));
    EXPECT_NEAR(sheet.sheet.value(QStringLiteral("widths")).toObject().value(QStringLiteral("C")).toDouble(), 60, 1);
}

TEST_F(PriceListTest, ChosenColumnsLandWhereTheyArePlaced)
{
    addGroup(1, 0, 1, QStringLiteral("Мыши"));
    addGood(11, 1, QStringLiteral("Мышь"), 100, 10, false, QStringLiteral("M-1"));
    exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (11, 'M-1', '', '', 'беспроводная')"));
    struct Case {
        const char* what;
        std::function<void()> change;
        QChar last;
        const char* goods;
        const char* lastFormatted; // the header's last formatted cell
    };
    const Case cases[] = {
        {"A ... H", [] {}, u'J', "M-1|Мышь|Есть|110|115.5|121|132|1 год||", "I4"},
        {"the comment ticked at K widens the block",
         [this] {
             set("CheckBox_Comment", true);
             set("ComboBox_Comment", 11);
         },
         u'K', "M-1|Мышь|Есть|110|115.5|121|132|1 год|||беспроводная", "K4"},
        {"a column placed past the block widens it",
         [this] {
             set("CheckBox_Comment", false);
             set("ComboBox_Garant", 12);
         },
         u'L', "M-1|Мышь|Есть|110|115.5|121|132|||||1 год", "L4"},
        {"switched-off columns are not written",
         [this] {
             set("CheckBox_Price3", false);
             set("CheckBox_Price4", false);
             set("CheckBox_Garant", false);
         },
         u'H', "M-1|Мышь|Есть|110|115.5|||", "F4"},
    };
    placeColumnsAtoH();
    set("Edit_FontName1", QStringLiteral("Verdana"));
    for (const Case& c : cases) {
        c.change();
        const SheetDump sheet = sheetOf(write().savedPath);
        EXPECT_EQ(sheet.row(5, c.last), QString::fromUtf8(c.goods)) << c.what;
        EXPECT_EQ(sheet.font(QLatin1String(c.lastFormatted)).value(QStringLiteral("name")).toString(),
                  QStringLiteral("Verdana")) << c.what;
        const QString after = QString(QChar(c.lastFormatted[0] + 1)) + u'4';
        EXPECT_NE(sheet.font(after).value(QStringLiteral("name")).toString(), QStringLiteral("Verdana")) << c.what;
    }
}

TEST_F(PriceListTest, PricesCarryBothMarkupsAndTheirColumnsCurrency)
{
    addGroup(1, 0, 1, QStringLiteral("Мыши"));
    addGood(11, 1, QStringLiteral("Мышь"), 100, 10);
    addGood(12, 1, QStringLiteral("Нет в наличии"), 0, 10); // Price_1 0: not listed
    placeColumnsAtoH();
    SheetDump sheet = sheetOf(write().savedPath);
    EXPECT_EQ(sheet.value(QStringLiteral("E5")).toDouble(), 115.5);
    EXPECT_TRUE(sheet.value(QStringLiteral("B6")).isUndefined());

    set("CheckBox_Price2Kurs", 1);
    input.roundDigits = 0;
    sheet = sheetOf(write().savedPath);
    EXPECT_EQ(sheet.value(QStringLiteral("E5")).toDouble(), 3465);
    EXPECT_EQ(sheet.value(QStringLiteral("D5")).toDouble(), 110); // column 1 stays in dollars
}

TEST_F(PriceListTest, EveryGroupLevelIsOutlinedBelowItsHeader)
{
    // Cat1 [g1] > Sub1 [g2, g3], then an empty Cat2.
    addGroup(1, 0, 1, QStringLiteral("Cat1"));
    addGroup(2, 1, 1, QStringLiteral("Sub1"));
    addGroup(3, 0, 2, QStringLiteral("Cat2"));
    addGood(11, 1, QStringLiteral("g1"), 10);
    addGood(13, 2, QStringLiteral("g3"), 10);
    addGood(12, 2, QStringLiteral("g2"), 10);
    set("SpeedButton_FontBold1", true);
    set("Panel_Color1", QStringLiteral("$00FFFF"));
    set("Panel_ColorFont2", QStringLiteral("$0000FF"));
    set("SpeedButton_FontItalic2", true);
    const SheetDump sheet = sheetOf(write().savedPath);
    // Header rows: the level in A, the code in B and the name in C; goods
    // rows: the name in C.
    QStringList rows;
    for (int row = 4; row <= 9; ++row)
        rows << sheet.row(row, u'C') + QStringLiteral(" @") + QString::number(sheet.level(row));
    EXPECT_EQ(rows, (QStringList{"1|1|Cat1 @0", "||g1 @1", "2|2|Sub1 @1", "||g2 @2", "||g3 @2", "1|3|Cat2 @0"}));
    EXPECT_FALSE(sheet.sheet.value(QStringLiteral("summaryBelow")).toBool());

    const QJsonObject cat = sheet.font(QStringLiteral("B4"));
    EXPECT_TRUE(cat.value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(sheet.fill(QStringLiteral("I4")), QStringLiteral("FFFF00"));
    const QJsonObject sub = sheet.font(QStringLiteral("C6"));
    EXPECT_FALSE(sub.value(QStringLiteral("bold")).toBool());
    EXPECT_TRUE(sub.value(QStringLiteral("italic")).toBool());
    EXPECT_EQ(sub.value(QStringLiteral("color")).toString(), QStringLiteral("FF0000"));
    EXPECT_EQ(sheet.fill(QStringLiteral("C6")), QStringLiteral("FFFFFF"));
}

TEST_F(PriceListTest, LevelsPastTheFifthTakeItsLookAndOutlinesStopAtSeven)
{
    for (int level = 1; level <= 9; ++level) {
        addGroup(level, level - 1, 1, QStringLiteral("Уровень %1").arg(level));
        addGood(100 + level, level, QStringLiteral("Товар %1").arg(level), 10);
    }
    set("Edit_FontName5", QStringLiteral("Courier New"));
    set("Edit_FontSize5", 14);
    set("SpeedButton_FontUline5", true);
    const SheetDump sheet = sheetOf(write().savedPath);
    // Headers are rows 4, 6, 8 ...: level 6's is row 14.
    EXPECT_EQ(sheet.value(QStringLiteral("C14")).toString(), QStringLiteral("Уровень 6"));
    EXPECT_EQ(sheet.value(QStringLiteral("A14")).toDouble(), 6);
    for (const char* cell : {"C12", "C14", "C20"}) {
        const QJsonObject font = sheet.font(QLatin1String(cell));
        EXPECT_EQ(font.value(QStringLiteral("name")).toString(), QStringLiteral("Courier New")) << cell;
        EXPECT_EQ(font.value(QStringLiteral("size")).toDouble(), 14) << cell;
        EXPECT_EQ(font.value(QStringLiteral("underline")).toString(), QStringLiteral("single")) << cell;
    }
    EXPECT_EQ(sheet.font(QStringLiteral("C10")).value(QStringLiteral("name")).toString(), QStringLiteral("Arial"));
    QList<int> levels;
    for (int row = 4; row <= 21; ++row)
        levels << sheet.level(row);
    EXPECT_EQ(levels, (QList<int>{0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 7, 7, 7}));
}

TEST_F(PriceListTest, GoodsComeInRussianAlphabeticalOrderWithTheSuperPriceMark)
{
    addGroup(1, 0, 1, QStringLiteral("Разное"));
    int code = 10;
    for (const char* name : {"яблоко", "Мышь", "ёлка", "Елка", "арбуз", "Ель"})
        addGood(++code, 1, QString::fromUtf8(name), 10, 0, QByteArray(name) == "Мышь");
    set("SuperPrice", true);
    set("SuperPrice", QStringLiteral("Хит"));
    SheetDump sheet = sheetOf(write().savedPath);
    QStringList names;
    for (int row = 5; row <= 10; ++row)
        names << sheet.value(QStringLiteral("C%1").arg(row)).toString();
    EXPECT_EQ(names.join(u','), QStringLiteral("арбуз,Елка,ёлка,Ель,Мышь Хит,яблоко"));

    set("SuperPrice", false);
    sheet = sheetOf(write().savedPath);
    EXPECT_EQ(sheet.value(QStringLiteral("C9")).toString(), QStringLiteral("Мышь"));
}

TEST_F(PriceListTest, TheDateLineGoesIntoTheDateCellOfTheChosenSheet)
{
    // A template with three sheets, made by the layer itself.
    sheet::Workbook book = sheet::Workbook::open(program.filePath(QStringLiteral("Price-List.xlsx")));
    book.addSheet(QStringLiteral("Опт"));
    book.addSheet(QStringLiteral("Розница"));
    book.saveAs(program.filePath(QStringLiteral("Price-List.xlsx")));
    addGroup(1, 0, 1, QStringLiteral("Мыши"));
    addGood(11, 1, QStringLiteral("Мышь"), 10);
    set("ComboBox_SheetMaxItems", 3);
    set("ComboBox_SheetItems1", QStringLiteral("Прайс-лист"));
    set("ComboBox_SheetItems2", QStringLiteral("Опт"));
    set("ComboBox_SheetItems3", QStringLiteral("Розница"));
    set("ComboBox_SheetItemIndex", 2);
    set("Edit_DateCell", QStringLiteral("B2"));
    set("Edit_DatePrefics", QStringLiteral("Прайс от"));
    set("Edit_DateSuffics", QStringLiteral("(розница)"));
    set("ComboBox_DateFormatItemIndex", 5);
    exec(QStringLiteral("UPDATE parametr SET FileName = 'Наш прайс.xls' WHERE Id = 1"));
    const PriceExcelResult result = write();
    EXPECT_EQ(result.savedPath, outputFolder() + QStringLiteral("/Наш прайс.xlsx"));
    const QJsonObject dump = readXlsx(result.savedPath);
    EXPECT_EQ(dump.value(QStringLiteral("active")).toString(), QStringLiteral("Розница"));
    const SheetDump sheet = sheetOf(result.savedPath, QStringLiteral("Розница"));
    EXPECT_EQ(sheet.value(QStringLiteral("B2")).toString(), QStringLiteral("Прайс от 1 января 2007г.  12:00 (розница)"));
    EXPECT_EQ(sheet.value(QStringLiteral("C4")).toString(), QStringLiteral("Мыши"));
    EXPECT_TRUE(sheetOf(result.savedPath).value(QStringLiteral("C4")).isUndefined());

    // The template's date cell keeps its look.
    set("ComboBox_SheetItemIndex", 0);
    set("Edit_DateCell", QStringLiteral("A1"));
    const SheetDump first = sheetOf(write().savedPath);
    EXPECT_EQ(first.value(QStringLiteral("A1")).toString(), QStringLiteral("Прайс от 1 января 2007г.  12:00 (розница)"));
    EXPECT_TRUE(first.font(QStringLiteral("A1")).value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(first.font(QStringLiteral("A1")).value(QStringLiteral("size")).toDouble(), 12);
}

TEST_F(PriceListTest, BadInputIsAMessageWithNothingSavedAndTheSettingsUnchanged)
{
    addGroup(1, 0, 1, QStringLiteral("Мыши"));
    addGood(11, 1, QStringLiteral("Мышь"), 10);
    const QString saved = outputFolder() + QStringLiteral("/Прайс-лист.xlsx");
    write(); // every setting's row made
    QDir(outputFolder()).removeRecursively();
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<QString()> message;
        std::function<void()> undo;
    };
    const Case cases[] = {
        {"start row \"нет\"", [this] { set("ComboBox_StartRowItemIndex", 0); }, [] { return noStartRowMessage(); },
         [this] { set("ComboBox_StartRowItemIndex", 4); }},
        {"ticked columns at \"Нет\"",
         [this] {
             set("ComboBox_Art", 0);
             set("ComboBox_Price2", 0);
             set("CheckBox_Comment", true);
             set("ComboBox_Comment", 0);
         },
         [] { return unplacedColumnsMessage({"Артикул", "Цена 2", "Комментарии"}); },
         [this] {
             set("ComboBox_Art", 4);
             set("ComboBox_Price2", 7);
             set("CheckBox_Comment", false);
         }},
        {"a missing template", [this] { QFile::rename(program.filePath(QStringLiteral("Price-List.xlsx")), program.filePath(QStringLiteral("x.xlsx"))); },
         [this] { return QStringLiteral("Не найден шаблон \"%1\"").arg(program.filePath(QStringLiteral("Price-List.xlsx"))); },
         [this] { QFile::rename(program.filePath(QStringLiteral("x.xlsx")), program.filePath(QStringLiteral("Price-List.xlsx"))); }},
        {"a sheet the template lacks",
         [this] {
             set("ComboBox_SheetMaxItems", 1);
             set("ComboBox_SheetItems1", QStringLiteral("Опт"));
         },
         [this] { return QStringLiteral("Лист \"Опт\" не найден в шаблоне\r") + program.filePath(QStringLiteral("Price-List.xlsx")); },
         [this] { set("ComboBox_SheetMaxItems", 0); }},
        {"a folder that cannot be made",
         [this] {
             QFile blocker(outputFolder());
             ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
         },
         [this] { return QStringLiteral("Невозможно создать директорию ") + outputFolder() + u'/'; },
         [this] { QFile::remove(outputFolder()); }},
        {"an output that cannot be written", [saved] { QDir().mkpath(saved); }, [] { return kFileNotSaved; },
         [saved] { QDir().rmdir(saved); }},
    };
    for (const Case& c : cases) {
        c.arrange();
        const QStringList settingsNow = settingRows();
        const PriceExcelResult result = ExportPriceExcel(priceDb, orderDb, input);
        EXPECT_FALSE(result.saved) << c.what;
        EXPECT_EQ(result.message, c.message()) << c.what;
        EXPECT_EQ(settingRows(), settingsNow) << c.what;
        QStringList left;
        if (QFileInfo(outputFolder()).isDir())
            left = QDir(outputFolder()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_TRUE(left.isEmpty()) << c.what << ": " << left.join(u',').toStdString();
        c.undo();
    }
    write();
    EXPECT_TRUE(QFileInfo(saved).isFile());
}

TEST_F(PriceListTest, GoodsTheSheetHasNoRoomForNameTheirGroup)
{
    addGroup(1, 0, 1, QStringLiteral("Последняя"));
    addGood(11, 1, QStringLiteral("Мышь"), 10);
    addGood(12, 1, QStringLiteral("Клавиатура"), 10);
    set("ComboBox_StartRowItemIndex", sheet::kMaxRows - 1);
    const PriceExcelResult result = write();
    EXPECT_EQ(result.unwrittenGroups, QStringList{QStringLiteral("Последняя")});
    EXPECT_EQ(result.message, unwrittenGroupsMessage({QStringLiteral("Последняя")}));
}

} // namespace
