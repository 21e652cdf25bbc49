// The catalogue commands over a small price database: the YML catalogue
// (checked by xmllint against the shipped shops.dtd) and the Shop-Script
// file, with their folders, messages and failures.
#include "output_test_support.h"
#include "pricing_fixture.h"

#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "output/shop_script/shop_script_export.h"
#include "output/yml/yml_catalog.h"
#include "output/yml/yml_export.h"

#include "platform/db/db_error.h"
#include "platform/files/cp1251.h"
#include "storage/settings_store.h"

#include <QDir>
#include <QFile>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::ToolRun;
using velmora::output::test::dataFile;
using velmora::output::test::readBytes;
using velmora::output::test::runTool;
using velmora::output::test::writeBytes;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7));

class ShopExportsTest : public PricingTest {
protected:
    void SetUp() override
    {
        PricingTest::SetUp();
        ASSERT_TRUE(program.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_PROGRAM_DIR "/shops.dtd"), program.filePath("shops.dtd")));
        input.programFolder = program.path();
        input.dataFolder = dataFolder();
        input.clock = [] { return kNow; };
    }
    void info(qint64 code, const QString& url, const QString& picture, const QString& comment = QString())
    {
        exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (?1, '', ?2, ?3, ?4)"),
             {code, url, picture, comment});
    }
    void setText(const char* name, const QString& value)
    {
        settings.write(QLatin1String(name), QStringLiteral("TypeText"), value);
    }
    void setInteger(const char* name, int value)
    {
        settings.write(QLatin1String(name), QStringLiteral("TypeInteger"), QString::number(value));
    }
    // A shop with a top-level group, a group below it and three goods, one
    // of them without its description row.
    void makeShop()
    {
        addGroup(1, 0, 1, QStringLiteral("Бытовая техника"));
        addGroup(10, 1, 1, QStringLiteral("Мелкая техника & <кухня>"));
        addGood(101, 10, QStringLiteral("Чайник \"Витязь\""), 100, 10);
        addGood(102, 10, QStringLiteral("Тостер"), 50, 0);
        addGood(103, 1, QStringLiteral("Кабель ∞"), 2.675, 0);
        info(101, QStringLiteral("http://shop.example/101?a=1&b=2"), QStringLiteral("http://shop.example/101.jpg"));
        info(103, QStringLiteral("http://shop.example/103"), QString());
        exec(QStringLiteral("UPDATE parametr SET Nacen_out = 5 WHERE Id = 4"));
        setText("Edit_name", QStringLiteral("Рога и Копыта: лучший магазин"));
        setText("Edit_company", QStringLiteral("ООО \"Рога & Копыта\""));
        setText("Edit_url", QStringLiteral("http://shop.example"));
        setText("ComboBox_USD", QStringLiteral("36,5"));
        setInteger("SpinEdit_USD", 2);
        setText("ComboBox_EUR", QStringLiteral("ЦБРФ"));
        setInteger("SpinEdit_EUR", 2);
        setInteger("ComboBox_Delivery", 1);
        setInteger("ComboBox_Currency", 0);
    }
    QString ymlPath() const { return program.filePath(QStringLiteral("XML каталог/price.xml")); }
    QString csvPath() const { return program.filePath(QStringLiteral("Каталог для Shop-Script/CatalogUpdate.csv")); }

    QTemporaryDir program;
    SettingsStore settings{orderDb};
    YmlExportInput input;
};

TEST_F(ShopExportsTest, YmlCatalogueComesFromTheShopsGoodsAndSettings)
{
    makeShop();
    const YmlExportResult result = ExportYmlCatalogFile(priceDb, settings, input);
    ASSERT_TRUE(result.written) << result.message.toStdString();
    EXPECT_EQ(result.path, ymlPath());
    EXPECT_EQ(result.message, ymlDoneMessage(ymlPath()));

    const QString text = decodeCp1251(readBytes(ymlPath()));
    for (const char* part : {
             "<yml_catalog date=\"2024-03-05 14:07\">\r\r",
             "   <name>Рога и Копыта: лучши</name>\r",
             "   <company>ООО &quot;Рога &amp; Копыта&quot;</company>\r",
             "<currency id=\"USD\" rate=\"36.5\"/>\r",
             "<currency id=\"EUR\" rate=\"CBRF\" plus=\"2\"/>\r",
             "    <category id=\"1\">Бытовая техника</category>\r"
             "    <category id=\"10\" parentId=\"1\">Мелкая техника &amp; &lt;кухня&gt;</category>\r",
             "</categories>\r\r<deliveryIncluded/>\r\r<offers>\r",
             "    <offer id=\"101\">\r      <url>http://shop.example/101?a=1&amp;b=2</url>\r"
             "      <price>115.5</price>\r      <currencyId>RUR</currencyId>\r      <categoryId>10</categoryId>\r"
             "      <picture>http://shop.example/101.jpg</picture>\r"
             "      <name>Чайник &quot;Витязь&quot;</name>\r",
             "<price>2.81</price>",
             "<name>Кабель &#8734;</name>",
         })
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
    EXPECT_FALSE(text.contains(QStringLiteral("Тостер"))) << "a good without its description row is no offer";

    // shops.dtd stands beside the catalogue, which it validates. (xmllint
    // finds a document type beside its file only in the working folder when
    // the folder's name holds a blank or Cyrillic.)
    const ToolRun run = runTool(QStringLiteral("xmllint"),
                                {QStringLiteral("--valid"), QStringLiteral("--noout"), QStringLiteral("price.xml")},
                                QFileInfo(ymlPath()).path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
}

TEST_F(ShopExportsTest, YmlCatalogueNeedsAPathInTheParameters)
{
    makeShop();
    // The data folder's default counts as a path until the user clears it.
    setText("Edit_XML", QStringLiteral("  "));
    YmlExportResult result = ExportYmlCatalogFile(priceDb, settings, input);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, ymlNoPathMessage());
    EXPECT_FALSE(QFileInfo::exists(program.filePath(QStringLiteral("XML каталог"))));

    exec(QStringLiteral("UPDATE parametr SET Path = ' /srv/shop/price.xml ' WHERE Id = 5"));
    result = ExportYmlCatalogFile(priceDb, settings, input);
    EXPECT_TRUE(result.written) << result.message.toStdString();
}

TEST_F(ShopExportsTest, YmlFailuresKeepThePreviousFilesAndAreReported)
{
    makeShop();
    ASSERT_TRUE(QDir(program.path()).mkdir(QStringLiteral("XML каталог")));
    writeBytes(ymlPath(), "previous catalogue");

    // A shop without any offer is no catalogue.
    exec(QStringLiteral("DELETE FROM Price_Tovar_Info"));
    YmlExportResult result = ExportYmlCatalogFile(priceDb, settings, input);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, noGoodsMessage(QStringLiteral("файл XML не создан")));
    EXPECT_EQ(readBytes(ymlPath()), QByteArray("previous catalogue"));

    // The catalogue is written without its document type file, and says so.
    info(101, QStringLiteral("u"), QStringLiteral("p"));
    ASSERT_TRUE(QFile::remove(program.filePath("shops.dtd")));
    result = ExportYmlCatalogFile(priceDb, settings, input);
    EXPECT_TRUE(result.written);
    EXPECT_TRUE(result.message.startsWith(ymlDoneMessage(ymlPath())));
    EXPECT_TRUE(result.message.contains(QStringLiteral("shops.dtd"))) << result.message.toStdString();

    // A program folder where the catalogue's folder cannot be made.
    QTemporaryDir other;
    writeBytes(other.filePath("blocked"), "a file, not a folder");
    input.programFolder = other.filePath("blocked");
    result = ExportYmlCatalogFile(priceDb, settings, input);
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.message.contains(QStringLiteral("Невозможно создать директорию ") + other.filePath("blocked") +
                                        QStringLiteral("/XML каталог/")))
        << result.message.toStdString();
}

TEST_F(ShopExportsTest, ShopScriptCatalogueMatchesTheGoldenFile)
{
    addGroup(1, 0, 1, QStringLiteral("Cat"));
    addGroup(2, 1, 1, QStringLiteral("Grp"));
    addGroup(3, 2, 1, QStringLiteral("Sub"));
    addGood(11, 1, QStringLiteral("Товар"), 12.5, 10, false, QStringLiteral("A1"));
    info(11, QString(), QString());
    const ShopScriptExportResult result = WriteShopScriptCatalog(priceDb, program.path(), 2);
    EXPECT_EQ(result.path, csvPath());
    EXPECT_EQ(result.groups, 3);
    EXPECT_EQ(readBytes(csvPath()), readBytes(dataFile(QStringLiteral("CatalogUpdate.csv"))));
}

TEST_F(ShopExportsTest, ShopScriptGoodsAreTheDescribedOnesInRussianOrder)
{
    addGroup(1, 0, 1, QStringLiteral("Кабели; провода"));
    addGroup(2, 0, 2, QStringLiteral("Пустая"));
    addGood(11, 1, QStringLiteral("ёлка"), 12.345, 0, false, QStringLiteral("E1"));
    addGood(12, 1, QStringLiteral("Арбуз"), 0, 0, false, QStringLiteral("A1"));
    addGood(13, 1, QStringLiteral("банан"), 5, 0, false, QStringLiteral("B1"));
    addGood(14, 1, QStringLiteral("Без описания"), 5, 0, false, QStringLiteral("N1"));
    addGood(15, 1, QStringLiteral("Выключенный"), -1, 0, false, QStringLiteral("X1"));
    addGood(16, 9, QStringLiteral("Вне дерева"), 5, 0, false, QStringLiteral("T1"));
    for (qint64 code : {11, 12, 13, 15, 16})
        info(code, QString(), QString(), code == 13 ? QStringLiteral("жёлтый; спелый") : QString());
    WriteShopScriptCatalog(priceDb, program.path(), 2);
    EXPECT_EQ(decodeCp1251(readBytes(csvPath())),
              QStringLiteral("Внутренний код (артикул);Наименование;Краткое описание;Цена\r\n"
                             ";\"Кабели; провода\";;\r\n"
                             "A1;Арбуз;;0;\r\n"
                             "B1;банан;\"жёлтый; спелый\";5;\r\n"
                             "E1;ёлка;;12,35;\r\n"
                             ";Пустая;;\r\n"));
}

TEST_F(ShopExportsTest, ShopScriptFailuresKeepThePreviousFile)
{
    addGroup(1, 0, 1, QStringLiteral("Cat"));
    ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral("Каталог для Shop-Script")));
    writeBytes(csvPath(), "previous");
    exec(QStringLiteral("DROP TABLE Price_Tovar_Info"));
    EXPECT_THROW(WriteShopScriptCatalog(priceDb, program.path(), 2), db::DbError);
    EXPECT_EQ(readBytes(csvPath()), QByteArray("previous"));

    QTemporaryDir other;
    writeBytes(other.filePath("blocked"), "a file, not a folder");
    try {
        WriteShopScriptCatalog(priceDb, other.filePath("blocked"), 2);
        FAIL() << "wrote into a file";
    } catch (const OutputError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Невозможно создать директорию ") + other.filePath("blocked/Каталог для Shop-Script/"));
    }
}

} // namespace
