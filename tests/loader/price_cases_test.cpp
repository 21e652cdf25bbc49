// The loader's price rules over small workbooks, one table of cases run on
// the same sheets as .xlsx, .xls and .csv.
#include "loader_test_support.h"

#include "suppliers/currency/reprice.h"
#include "suppliers/loader/price_list_loader.h"

#include <gtest/gtest.h>

#include <QFile>

namespace velmora::loader::test {
namespace {

enum Format : unsigned { Xlsx = 1, Xls = 2, Csv = 4, Workbooks = Xlsx | Xls, AllFormats = 7 };

struct Expected {
    QString art;
    QString tovar;
    double price;
    double pricemax;
    double priceOut;
    QString code;        // AllTovarValuta.Valuta
    double quotedPrice;  // AllTovarValuta.Price
};

struct PriceCase {
    const char* label;
    QString worksheet;   // sheet of the workbooks, stem of the CSV file
    SheetSetup sheet;    // sheetName empty: the worksheet's name
    std::vector<Expected> expected;
    double conversion = 1;
    QString degree = QStringLiteral("2");
    bool loadPriceNull = false;
    int display = CurrencyRUB;
    unsigned formats = AllFormats;
    // Extra texts of the first offer, checked when set.
    QString garant, description, textNoName;
};

SheetSetup Columns(qint64 art, qint64 tovar, qint64 price, qint64 pricemax = 0, int valuta = CurrencyRUB, int nacen = 0)
{
    SheetSetup sheet;
    sheet.columnArt = art;
    sheet.columnTovar = tovar;
    sheet.columnPrice = price;
    sheet.columnPricemax = pricemax;
    sheet.valuta = valuta;
    sheet.nacen = nacen;
    return sheet;
}

SheetSetup WithName(SheetSetup sheet, const QString& name)
{
    sheet.sheetName = name;
    return sheet;
}

SheetSetup WithPrefix(SheetSetup sheet, const QString& prefix)
{
    sheet.tovarPrefiks = prefix;
    return sheet;
}

SheetSetup WithTexts(SheetSetup sheet, qint64 garant, qint64 description, qint64 textNoName)
{
    sheet.columnGarant = garant;
    sheet.columnDescription = description;
    sheet.columnTextNoName = textNoName;
    return sheet;
}

std::vector<Expected> LowRows()
{
    std::vector<Expected> rows;
    for (int r = 3; r <= 100; ++r)
        rows.push_back({QStringLiteral("L-%1").arg(r), QStringLiteral("Строка %1").arg(r), double(r), 0, double(r),
                        QStringLiteral("RUB"), double(r)});
    return rows;
}

const std::vector<PriceCase>& Cases()
{
    static const std::vector<PriceCase> cases = {
        {"USD sheet, factor 2, markup 25", "usd", Columns(1, 2, 3, 4, CurrencyUSD, 25),
         {{"U-1", "Товар U", 1890, 1080, 2362.5, "USD", 10.5}}, 2},
        {"negative markup lowers Price, not Pricemax", "usd", Columns(1, 2, 3, 4, CurrencyUSD, -10),
         {{"U-1", "Товар U", 1701, 1080, 1701, "USD", 10.5}}, 2},
        {"display EUR, USD sheet", "eur", Columns(1, 2, 3, 0, CurrencyUSD),
         {{"E-1", "Товар E", 90, 0, 90, "USD", 100}}, 1, "2", false, CurrencyEUR},
        {"EUR sheet in RUB", "eur", Columns(1, 2, 3, 0, CurrencyEUR),
         {{"E-1", "Товар E", 10000, 0, 10000, "EUR", 100}}},
        {"currency per row: words beat the column, codes carry", "rowcur", Columns(1, 2, 3, 0, 5 + 4),
         {{"R-1", "Рубли словом", 1234.5, 0, 1234.5, "RUB", 1234.5},
          {"R-2", "Евро колонкой", 1000, 0, 1000, "EUR", 10},
          {"R-3", "Валюта перенесена", 200, 0, 200, "EUR", 2},
          {"R-4", "Белорусские", 90, 0, 90, "BYN", 3},
          {"R-5", "Неизвестная", 5, 0, 5, "RUB", 5},
          {"R-6", "Доллар знаком", 630, 0, 630, "USD", 7}}},
        {"currency words ignored on a fixed-currency sheet", "rowcur", Columns(1, 2, 3, 0, CurrencyRUB),
         {{"R-1", "Рубли словом", 1234.5, 0, 1234.5, "RUB", 1234.5},
          {"R-2", "Евро колонкой", 10, 0, 10, "RUB", 10},
          {"R-3", "Валюта перенесена", 2, 0, 2, "RUB", 2},
          {"R-4", "Белорусские", 3, 0, 3, "RUB", 3},
          {"R-5", "Неизвестная", 5, 0, 5, "RUB", 5},
          {"R-6", "Доллар знаком", 7, 0, 7, "RUB", 7}}},
        {"rows without a price or name are no offers", "null", Columns(1, 2, 3),
         {{"N-3", "Обычный", 7, 0, 7, "RUB", 7}}},
        {"LoadPriceNull stores priceless rows at 0", "null", Columns(1, 2, 3),
         {{"N-1", "Звоните", 0, 0, 0, "RUB", 0},
          {"N-2", "Пустая цена", 0, 0, 0, "RUB", 0},
          {"N-3", "Обычный", 7, 0, 7, "RUB", 7}},
         1, "2", true},
        {"rounding to whole numbers", "round", Columns(1, 2, 3),
         {{"D-1", "Половина", 11, 0, 11, "RUB", 10.5},
          {"D-2", "Три знака", 10, 0, 10, "RUB", 10.125},
          {"D-3", "Сотни", 1234, 0, 1234, "RUB", 1234}},
         1, "0"},
        {"rounding to hundreds", "round", Columns(1, 2, 3),
         {{"D-1", "Половина", 0, 0, 0, "RUB", 10.5},
          {"D-2", "Три знака", 0, 0, 0, "RUB", 10.125},
          {"D-3", "Сотни", 1200, 0, 1200, "RUB", 1234}},
         1, "-2"},
        {"X switches rounding off", "round", Columns(1, 2, 3),
         {{"D-1", "Половина", 10.5, 0, 10.5, "RUB", 10.5},
          {"D-2", "Три знака", 10.125, 0, 10.125, "RUB", 10.125},
          {"D-3", "Сотни", 1234, 0, 1234, "RUB", 1234}},
         1, "X"},
        {"a non-number rounding setting means 2 places", "round", Columns(1, 2, 3),
         {{"D-1", "Половина", 10.5, 0, 10.5, "RUB", 10.5},
          {"D-2", "Три знака", 10.13, 0, 10.13, "RUB", 10.125},
          {"D-3", "Сотни", 1234, 0, 1234, "RUB", 1234}},
         1, "два"},
        {"name prefix", "round", WithPrefix(Columns(1, 2, 3), QStringLiteral("PFX")),
         {{"D-1", "PFX Половина", 10.5, 0, 10.5, "RUB", 10.5},
          {"D-2", "PFX Три знака", 10.13, 0, 10.13, "RUB", 10.125},
          {"D-3", "PFX Сотни", 1234, 0, 1234, "RUB", 1234}}},
        {"composite columns join first-chosen first", "comp", WithTexts(Columns(305, 2, 4), 30605, 0, 7),
         {{"AB 12", "Составной", 5, 0, 5, "RUB", 5}},
         1, "2", false, CurrencyRUB, AllFormats, "AB  12", "", "x"},
        {"thousands separators", "sep", Columns(1, 2, 3),
         {{"S-1", "Тысячи точкой", 1234.5, 0, 1234.5, "RUB", 1234.5},
          {"S-2", "Тысячи запятой", 1234.5, 0, 1234.5, "RUB", 1234.5},
          {"S-3", "Запятая", 12.5, 0, 12.5, "RUB", 12.5}}},
        {"numbers as articles stay whole, texts keep leading zeros", "arts", Columns(1, 2, 3),
         {{"4601234567890", "Штрихкод числом", 1, 0, 1, "RUB", 1},
          {"007", "Ведущие нули", 2, 0, 2, "RUB", 2}}},
        // Every error value and a date in the price column: no offer, as a
        // row without a price (not the 0 or 15.03 their digits would give).
        // The articles that follow look like numbers and are stored as written.
        {"error and date cells are no price; articles stay as written", "noprice", Columns(1, 2, 3),
         {{"1.10", "Ноль в конце", 1, 0, 1, "RUB", 1},
          {"007", "Ведущие нули", 2, 0, 2, "RUB", 2},
          {"123456789012345678", "Длинный номер", 3, 0, 3, "RUB", 3},
          {"1E5", "Похож на степень", 4, 0, 4, "RUB", 4}}},
        {"hyperlink columns give their links", "links", WithTexts(Columns(1, 2, 3), 0, 100000004, 100000005),
         {{"H-1", "Со ссылкой", 3, 0, 3, "RUB", 3}},
         1, "2", false, CurrencyRUB, Workbooks, "", "http://example.com/a", "http://example.com/f"},
        {"[text] setting finds the sheet containing it", "",
         WithName(Columns(1, 2, 3), QStringLiteral("[прайс]")),
         {{"P-1", "Из прайса", 3, 0, 3, "RUB", 3}},
         1, "2", false, CurrencyRUB, Workbooks},
        {"a used range below row 1 loads to its last row", "low", Columns(1, 2, 3), LowRows()},
        {"a one-sheet file is read whatever the setting", "usd",
         WithName(Columns(1, 2, 3, 4, CurrencyUSD), QStringLiteral("Прайс")),
         {{"U-1", "Товар U", 945, 1080, 945, "USD", 10.5}},
         1, "2", false, CurrencyRUB, Csv},
    };
    return cases;
}

QString FixtureFor(const PriceCase& c, Format format)
{
    switch (format) {
    case Xlsx: return TestDataPath(QStringLiteral("loader_cases.xlsx"));
    case Xls: return TestDataPath(QStringLiteral("loader_cases.xls"));
    default: return TestDataPath(QStringLiteral("csv/") + c.worksheet + QStringLiteral(".csv"));
    }
}

const char* FormatName(Format format)
{
    return format == Xlsx ? "xlsx" : format == Xls ? "xls" : "csv";
}

TEST(PriceCases, StoreTheRulesPrices)
{
    const QString name = QStringLiteral("Поставщик");
    for (const PriceCase& c : Cases()) {
        for (const Format format : {Xlsx, Xls, Csv}) {
            if (!(c.formats & format))
                continue;
            SCOPED_TRACE(std::string(c.label) + " (" + FormatName(format) + ")");
            TestDatabases dbs;
            const QString file = FixtureFor(c, format);
            ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
            AddPriceList(dbs.price, name, file, c.conversion);
            SheetSetup sheet = c.sheet;
            if (sheet.sheetName.isEmpty())
                sheet.sheetName = c.worksheet;
            AddSheet(dbs.price, name, sheet);

            LoadRequest request;
            request.name = name;
            request.switches.degreePricePostav = c.degree;
            request.switches.loadPriceNull = c.loadPriceNull;
            request.rates = TestRates(c.display);
            const LoadResult result = LoadPriceList(dbs.price, dbs.order, request);
            EXPECT_TRUE(result.loaded) << result.errorText.toStdString();
            EXPECT_TRUE(result.errorText.isEmpty()) << result.errorText.toStdString();

            const std::vector<StoredOffer> offers = ReadOffers(dbs.price, name);
            ASSERT_EQ(offers.size(), c.expected.size());
            EXPECT_EQ(result.offerCount, int(offers.size()));
            for (size_t i = 0; i < offers.size(); ++i) {
                const StoredOffer& got = offers[i];
                const Expected& want = c.expected[i];
                SCOPED_TRACE("offer " + want.art.toStdString());
                EXPECT_EQ(got.art, want.art);
                EXPECT_EQ(got.tovar, want.tovar);
                EXPECT_DOUBLE_EQ(got.price, want.price);
                EXPECT_DOUBLE_EQ(got.pricemax, want.pricemax);
                EXPECT_DOUBLE_EQ(got.priceOut, want.priceOut);
                EXPECT_EQ(got.check, QStringLiteral("True/True"));
                ASSERT_EQ(got.rateRows, 1);
                EXPECT_EQ(got.rateCode, want.code);
                EXPECT_DOUBLE_EQ(got.ratePrice, want.quotedPrice);
                EXPECT_DOUBLE_EQ(got.rateConversion, c.conversion);
                EXPECT_EQ(got.rateNacen, sheet.nacen);
            }
            if (!offers.empty()) {
                if (!c.garant.isEmpty())
                    EXPECT_EQ(offers[0].garant, c.garant);
                if (!c.description.isEmpty())
                    EXPECT_EQ(offers[0].description, c.description);
                if (!c.textNoName.isEmpty())
                    EXPECT_EQ(offers[0].textNoName, c.textNoName);
            }
        }
    }
}

// The second price of the USD case: currency row holds the quoted 12.
TEST(PriceCases, CurrencyRowKeepsQuotedSecondPrice)
{
    TestDatabases dbs;
    const QString name = QStringLiteral("П");
    AddPriceList(dbs.price, name, TestDataPath(QStringLiteral("loader_cases.xlsx")), 2);
    AddSheet(dbs.price, name, WithName(Columns(1, 2, 3, 4, CurrencyUSD, 25), QStringLiteral("usd")));
    LoadRequest request;
    request.name = name;
    request.rates = TestRates();
    ASSERT_TRUE(LoadPriceList(dbs.price, dbs.order, request).loaded);
    const std::vector<StoredOffer> offers = ReadOffers(dbs.price, name);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_DOUBLE_EQ(offers[0].ratePricemax, 12);
    EXPECT_EQ(offers[0].rateNacen, 25);
    EXPECT_DOUBLE_EQ(offers[0].rateConversion, 2);
}

// Price texts as suppliers write them, on a sheet whose rows name their
// currency in a column: the loader reads each as written, and re-pricing
// at new rates leaves every offer as a fresh load at those rates stores it.
TEST(PriceCases, PriceTextsReadAlikeByTheLoaderAndTheRepricing)
{
    struct Case {
        const char* text;
        const char* column; // the row's currency cell
        double quoted;
        const char* code;
        double price; // at USD 90, EUR 100, display RUB
    };
    const Case cases[] = {
        {"1 234,50 руб.", "USD", 1234.5, "RUB", 1234.5},
        {"руб. 12,50", "USD", 12.5, "RUB", 12.5},
        {"р.1200", "USD", 1200, "RUB", 1200},
        {"у.е. 15", "USD", 15, "USD", 1350},
        {"10-15", "USD", 10, "USD", 900},
        {"1,234,567", "USD", 1234567, "USD", 111111030},
        {"15 евро", "USD", 15, "EUR", 1500},
        {"€ 20", "USD", 20, "EUR", 2000},
        {"EUR 30", "USD", 30, "EUR", 3000},
        {"$7", "RUB", 7, "USD", 630},
        {"0,125", "USD", 0.125, "USD", 11.25},
        {"83141,22 руб", "USD", 83141.22, "RUB", 83141.22},
    };
    const QString name = QStringLiteral("Поставщик");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("texts.csv"));
    {
        QFile csv(file);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        int row = 0;
        for (const Case& c : cases)
            csv.write(QStringLiteral("T-%1;Товар;%2;%3\r\n")
                          .arg(++row)
                          .arg(QString::fromUtf8(c.text), QString::fromUtf8(c.column))
                          .toUtf8());
        csv.write(QStringLiteral("T-0;Без цены;звоните;USD\r\n").toUtf8());
    }
    auto load = [&](TestDatabases& dbs, const CurrencyTable& rates) {
        AddPriceList(dbs.price, name, file);
        AddSheet(dbs.price, name, WithName(Columns(1, 2, 3, 3, 5 + 4), QStringLiteral("texts")));
        LoadRequest request;
        request.name = name;
        request.rates = rates;
        const LoadResult result = LoadPriceList(dbs.price, dbs.order, request);
        EXPECT_TRUE(result.loaded) << result.errorText.toStdString();
        return ReadOffers(dbs.price, name);
    };

    TestDatabases loaded;
    const std::vector<StoredOffer> offers = load(loaded, TestRates());
    ASSERT_EQ(offers.size(), std::size(cases));
    for (size_t i = 0; i < offers.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        EXPECT_EQ(offers[i].ratePrice, cases[i].quoted);
        EXPECT_EQ(offers[i].rateCode, QString::fromLatin1(cases[i].code));
        EXPECT_EQ(offers[i].price, cases[i].price);
        EXPECT_EQ(offers[i].pricemax, cases[i].price);
    }

    CurrencyTable moved = TestRates();
    moved.rates[CurrencyUSD] = 91.37;
    moved.rates[CurrencyEUR] = 99.25;
    RepriceForeignGoods(loaded.price, moved, PriceRounding::fromDegreeText(QStringLiteral("2")));
    TestDatabases fresh;
    const std::vector<StoredOffer> expected = load(fresh, moved);
    const std::vector<StoredOffer> repriced = ReadOffers(loaded.price, name);
    ASSERT_EQ(repriced.size(), expected.size());
    for (size_t i = 0; i < repriced.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        EXPECT_EQ(repriced[i].price, expected[i].price);
        EXPECT_EQ(repriced[i].pricemax, expected[i].pricemax);
        EXPECT_EQ(repriced[i].priceOut, expected[i].priceOut);
    }
}

} // namespace
} // namespace velmora::loader::test
