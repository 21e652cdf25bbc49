// The export parameters: the rows of `parametr` and the YML settings as
// the parameters window stores them and the exports read them.
#include "output/parameters/export_parameters.h"
#include "output/parameters/yml_settings.h"
#include "../common/program_databases.h"
#include "parametr_rows.h"
#include "storage/settings_store.h"

#include <QLocale>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;

namespace {

ParameterInput typedInput()
{
    ParameterInput input;
    input.columnNames = {QStringLiteral("Розница"), QStringLiteral("Опт"), QStringLiteral("Дилер"),
                         QStringLiteral("Интернет")};
    input.columnMarkups = {25, 10, 5, 15};
    input.excelFolder = QStringLiteral("/srv/prices/");
    input.excelFileName = QStringLiteral("price.xlsx");
    input.excelSheetName = QStringLiteral("Прайс");
    input.dbfFolder = QStringLiteral("/srv/dbf/");
    input.managersDatabaseFolder = QStringLiteral("/srv/managers/");
    return input;
}

const QString kBlankRow5 = QStringLiteral("5| |0| | | |0");

class ExportParametersTest : public ProgramDatabasesTest {};

TEST_F(ExportParametersTest, FirstStoreMakesTheMissingRowsAndFillsRowsOneToFour)
{
    priceDb.exec(QStringLiteral("DELETE FROM parametr"));
    storeExportParameters(priceDb, typedInput());
    EXPECT_EQ(parametrRows(priceDb), (QStringList{
                                         QStringLiteral("1|Розница|25|/srv/prices/|price.xlsx|Прайс|0"),
                                         QStringLiteral("2|Опт|10|/srv/dbf/| | |0"),
                                         QStringLiteral("3|Дилер|5|/srv/managers/| | |0"),
                                         QStringLiteral("4|Интернет|15| | | |0"),
                                         kBlankRow5,
                                         QStringLiteral("6| |0| | | |0"),
                                     }));
}

TEST_F(ExportParametersTest, ConnectionStringIsStoredOnlyWhenTyped)
{
    struct Case {
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {"DSN=shop", "DSN=shop"},
        {"", "DSN=shop"},    // an empty field keeps the stored string
        {"   ", "DSN=shop"}, // so does a blank one
        {"DSN=other;UID=web", "DSN=other;UID=web"},
    };
    for (const Case& c : cases) {
        ParameterInput input = typedInput();
        input.connectionString = QString::fromUtf8(c.typed);
        storeExportParameters(priceDb, input);
        EXPECT_EQ(readExportParameters(priceDb).connectionString(), QString::fromUtf8(c.stored)) << c.typed;
        EXPECT_EQ(parametrRows(priceDb).value(4), kBlankRow5) << "row 5 is never written";
    }
}

TEST_F(ExportParametersTest, RowFourKeepsTheSettingsDialogsValuesAndDatesStay)
{
    priceDb.exec(QStringLiteral(
        "UPDATE parametr SET Path = 'ООО Распродажа', FileName = '30', SheetName = '255', Dates = 45000 WHERE Id = 4;"
        "UPDATE parametr SET Dates = 45001 WHERE Id = 1"));
    storeExportParameters(priceDb, typedInput());
    const QStringList rows = parametrRows(priceDb);
    EXPECT_EQ(rows.value(0), QStringLiteral("1|Розница|25|/srv/prices/|price.xlsx|Прайс|45001"));
    EXPECT_EQ(rows.value(3), QStringLiteral("4|Интернет|15|ООО Распродажа|30|255|45000"));
}

TEST_F(ExportParametersTest, FailedStoreLeavesTheTableAsItWas)
{
    priceDb.exec(QStringLiteral("DELETE FROM parametr WHERE Id IN (5, 6)"));
    const QStringList before = parametrRows(priceDb);
    priceDb.exec(QStringLiteral("CREATE TRIGGER refuse_row3 BEFORE UPDATE ON parametr WHEN NEW.Id = 3 "
                                "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    EXPECT_ANY_THROW(storeExportParameters(priceDb, typedInput()));
    EXPECT_EQ(parametrRows(priceDb), before);
}

TEST_F(ExportParametersTest, ReaderTrimsTextsAndReadsMissingRowsEmpty)
{
    priceDb.exec(QStringLiteral("UPDATE parametr SET Path = '  /srv/shop.xml ' WHERE Id = 5;"
                                "DELETE FROM parametr WHERE Id = 6"));
    const ExportParameters parameters = readExportParameters(priceDb);
    EXPECT_EQ(parameters.ymlPath(), QStringLiteral("/srv/shop.xml"));
    EXPECT_TRUE(parameters.connectionString().isEmpty());
    for (int k = 1; k <= kPriceColumnCount; ++k) {
        EXPECT_TRUE(parameters.priceColumnName(k).isEmpty()) << k; // the new database's blank rows
        EXPECT_EQ(parameters.priceColumnMarkup(k), 0);
    }
    EXPECT_EQ(parameters.row(6).id, 6);
    EXPECT_EQ(parameters.row(7).id, 0);
}

TEST_F(ExportParametersTest, StockShellReadsTheStoredNamesAndMarkups)
{
    if (!haveSqliteShell(QStringLiteral(VELMORA_SQLITE3_SHELL)))
        GTEST_SKIP() << "no sqlite3 shell";
    priceDb.exec(QStringLiteral("DELETE FROM parametr"));
    storeExportParameters(priceDb, typedInput());
    priceDb.close();
    EXPECT_EQ(sqliteShell(QStringLiteral(VELMORA_SQLITE3_SHELL), dir.filePath(QStringLiteral("PRICE.vdb")),
                          QStringLiteral("SELECT Id, Name_out, Nacen_out FROM parametr WHERE Id <= 4 ORDER BY Id")),
              QStringLiteral("1|Розница|25\n2|Опт|10\n3|Дилер|5\n4|Интернет|15\n"));
}

TEST(StoredRateText, PointOrCommaWhateverTheLocale)
{
    struct Case {
        const char* typed;
        std::optional<QString> stored;
    };
    const Case cases[] = {
        {"36.5", QStringLiteral("36,5")},  {"36,5", QStringLiteral("36,5")}, {" 36.50 ", QStringLiteral("36,5")},
        {"1", QStringLiteral("1")},        {"ЦБРФ", QStringLiteral("ЦБРФ")}, {"abc", std::nullopt},
        {"", std::nullopt},                {"36,5,1", std::nullopt},
    };
    const QLocale before;
    for (const QLocale& locale : {QLocale(QLocale::Russian), QLocale(QLocale::English)}) {
        QLocale::setDefault(locale);
        for (const Case& c : cases)
            EXPECT_EQ(storedRateText(QString::fromUtf8(c.typed)), c.stored) << c.typed;
    }
    QLocale::setDefault(before);
}

class YmlSettingsTest : public ProgramDatabasesTest {};

TEST_F(YmlSettingsTest, FreshDatabaseGivesTheDefaults)
{
    SettingsStore settings(orderDb);
    const YmlSettings yml = readYmlSettings(settings, dataFolder(), QStringLiteral("USD"));
    EXPECT_EQ(yml.xmlPath, dataFolder() + QStringLiteral("price.xml"));
    EXPECT_EQ(yml.shopName, QStringLiteral("Name"));
    EXPECT_EQ(yml.company, QStringLiteral("Company"));
    EXPECT_EQ(yml.url, QStringLiteral("http://example.com"));
    EXPECT_EQ(yml.rub.rate, QStringLiteral("1"));
    EXPECT_EQ(yml.usd.rate, QStringLiteral("ЦБРФ"));
    EXPECT_EQ(yml.eur.rate, QStringLiteral("ЦБРФ"));
    EXPECT_EQ(yml.currency, 1);
    EXPECT_EQ(yml.delivery, 0);
}

TEST_F(YmlSettingsTest, ThePriceCurrencyFollowsTheShopsCurrencyUntilOneIsStored)
{
    SettingsStore settings(orderDb);
    // 0 roubles, 1 dollars, 2 euros; the catalogue names no hryvnia.
    const std::pair<const char*, int> cases[] = {{"RUB", 0}, {"USD", 1}, {"EUR", 2}, {"UAH", 1}};
    for (const auto& [display, currency] : cases)
        EXPECT_EQ(readYmlSettings(settings, dataFolder(), QLatin1String(display)).currency, currency) << display;
    EXPECT_FALSE(settings.contains(QStringLiteral("ComboBox_Currency")));

    YmlSettings yml = readYmlSettings(settings, dataFolder(), QStringLiteral("RUB"));
    yml.currency = 2;
    storeYmlSettings(settings, yml);
    EXPECT_EQ(readYmlSettings(settings, dataFolder(), QStringLiteral("RUB")).currency, 2);
}

TEST_F(YmlSettingsTest, RatesAreStoredWithACommaAndANonNumberKeepsTheOldRate)
{
    SettingsStore settings(orderDb);
    YmlSettings yml = readYmlSettings(settings, dataFolder(), QStringLiteral("USD"));
    yml.usd = {QStringLiteral("36.5"), 7}; // a fixed rate takes no surcharge
    yml.eur = {QStringLiteral("ЦБРФ"), 3};
    yml.rub = {QStringLiteral("1"), 0};
    storeYmlSettings(settings, yml);
    EXPECT_EQ(settings.readText(QStringLiteral("ComboBox_USD")), QStringLiteral("36,5"));
    EXPECT_EQ(settings.readInteger(QStringLiteral("SpinEdit_USD")), 0);
    EXPECT_EQ(settings.readText(QStringLiteral("ComboBox_EUR")), QStringLiteral("ЦБРФ"));
    EXPECT_EQ(settings.readInteger(QStringLiteral("SpinEdit_EUR")), 3);
    EXPECT_EQ(settings.readText(QStringLiteral("ComboBox_RUB")), QStringLiteral("1"));

    yml.usd = {QStringLiteral("abc"), 0};
    storeYmlSettings(settings, yml);
    EXPECT_EQ(settings.readText(QStringLiteral("ComboBox_USD")), QStringLiteral("36,5"));
}

} // namespace
