// The web shop's tables uploaded into a MariaDB server the test starts, read
// back through MariaDB's ODBC driver and the server's own client.
#include "../odbc/odbc_test_support.h"
#include "mariadb_server.h"
#include "pricing_fixture.h"

#include "output/shop_upload/shop_data_source.h"
#include "output/shop_upload/shop_upload.h"

#include "platform/odbc/data_source.h"
#include "platform/odbc/odbc_connection.h"

#include <QFile>

#include <memory>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::test::MariaDbServer;
using velmora::test::SuiteServer;
using velmora::test::ScopedEnvironment;

namespace {

class ShopUploadTest : public PricingTest {
protected:
    static void SetUpTestSuite() { SuiteServer::start(); }
    static void TearDownTestSuite() { SuiteServer::stop(); }
    void SetUp() override
    {
        server_ = SuiteServer::server();
        ASSERT_TRUE(server_) << SuiteServer::startError();
        PricingTest::SetUp();
    }

    // The shop's database, its data source registered by the wizard's code
    // and its connection string in parametr row 6.
    void useDatabase(const QString& database, const QString& charset = QStringLiteral("utf8mb4"))
    {
        database_ = database;
        server_->createDatabase(database, charset);
        RegisterShopDataSource(server_->host(), database, odbc::MariaDbDriverPath(), QString::number(server_->port()));
        exec(QStringLiteral("UPDATE parametr SET Path = ?1 WHERE Id = 6"), {u' ' + shopConnectionString() + u' '});
    }
    QString client(const QString& sql) const { return server_->clientQuery(sql, database_); }
    QString tables() const { return client(QStringLiteral("SHOW TABLES")); }

    void addPriceOut(qint64 code, const QString& art, const QString& tovar, double price1)
    {
        exec(QStringLiteral("INSERT INTO Price_Out (Code, Kategor, NameKat0, Art, Tovar, Nacen, PriceBase, Price_1, "
                            "Price_2, Price_3, Price_4, Dates, Garant, SuperPrice) "
                            "VALUES (?1, '1', 'Группа', ?2, ?3, 10, 80.5, ?4, ?4 * 1.05, ?4 * 1.1, ?4 * 1.2, 45000, "
                            "'1 год', 0)"),
             {code, art, tovar, price1});
    }
    // A small shop: groups, its output price table, offers with stock texts.
    void makeShop()
    {
        addGroup(1, 0, 1, QStringLiteral("Бытовая техника"));
        addGroup(2, 1, 1, QStringLiteral("Чайники «Ёлка»"));
        addPriceOut(11, QStringLiteral("А-1"), QStringLiteral("Чайник «Витязь» 2л"), 110);
        addPriceOut(12, QStringLiteral("B-2"), QStringLiteral("Тостер ∞"), 55.5);
        addOffer(11, QStringLiteral("Поставщик Ё"), 99.5, today(), QStringLiteral("есть"));
        addOffer(12, QStringLiteral("Поставщик Ё"), 50, today(), QStringLiteral("нет"));
        exec(QStringLiteral("UPDATE parametr SET Name_out = 'Розница', Nacen_out = 5 WHERE Id = 1"));
    }

    MariaDbServer* server_ = nullptr;
    QTemporaryDir odbcDir_;
    ScopedEnvironment odbcIni_{"ODBCINI", QFile::encodeName(odbcDir_.filePath("odbc.ini"))};
    QString database_;
};


TEST_F(ShopUploadTest, TheWizardsSourceCarriesTheShopsTables)
{
    useDatabase(QStringLiteral("shop"));
    QFile ini(odbcDir_.filePath("odbc.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    for (const QString& line :
         {QStringLiteral("[ODBC Data Sources]"), QStringLiteral("VelmoraShopODBCDataAdmin=MySQL ODBC 3.51 Driver"),
          QStringLiteral("[VelmoraShopODBCDataAdmin]"), QStringLiteral("Database=shop"),
          QStringLiteral("Description=MySQL ODBC 3.51 Driver DSN"), QStringLiteral("Driver=") + odbc::MariaDbDriverPath(),
          QStringLiteral("Option=3"), QStringLiteral("Server=127.0.0.1")})
        EXPECT_TRUE(text.contains(line)) << line.toStdString() << "\n" << text.toStdString();

    makeShop();
    const ShopUploadResult result = UploadShopTables(priceDb);
    ASSERT_TRUE(result.done) << result.message.toStdString();
    EXPECT_EQ(result.message, shopUploadDoneMessage());
    EXPECT_EQ(result.priceMainRows, 2);
    EXPECT_EQ(result.parametrRows, 6);
    EXPECT_EQ(result.svodRows, 2);
    EXPECT_EQ(result.tovarTreeRows, 2);
    EXPECT_EQ(tables(), QStringLiteral("parametr\nprice_main\nsvod\ntovar_tree\n"));

    // Through the driver ...
    odbc::Connection shop(shopConnectionString());
    odbc::Statement goods = shop.query(QStringLiteral(
        "SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Price_2, Price_4, Dates, Garant "
        "FROM price_main ORDER BY Code"));
    ASSERT_TRUE(goods.step());
    EXPECT_EQ(goods.integer(0), 11);
    EXPECT_EQ(goods.text(1), QStringLiteral("А-1"));
    EXPECT_EQ(goods.text(2), QStringLiteral("1"));
    EXPECT_EQ(goods.text(3), QStringLiteral("Чайник «Витязь» 2л"));
    EXPECT_FLOAT_EQ(float(goods.number(4)), 80.5f);
    EXPECT_EQ(goods.integer(5), 10);
    EXPECT_DOUBLE_EQ(goods.number(6), 110);
    EXPECT_DOUBLE_EQ(goods.number(7), 110 * 1.05);
    EXPECT_DOUBLE_EQ(goods.number(8), 110 * 1.2);
    EXPECT_EQ(goods.integer(9), 45000);
    EXPECT_EQ(goods.text(10), QStringLiteral("1 год"));
    ASSERT_TRUE(goods.step());
    EXPECT_EQ(goods.text(3), QStringLiteral("Тостер ∞"));
    EXPECT_FALSE(goods.step());

    // ... and by the server's own client: the stored texts themselves, the
    // combined price without its stock texts, the tree without its markups.
    EXPECT_EQ(client(QStringLiteral("SELECT Postavshik, Price, Code_sootv, Obrab FROM svod ORDER BY Code_sootv")),
              QStringLiteral("Поставщик Ё\t99.5\t11\tTrue\nПоставщик Ё\t50\t12\tTrue\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT Code, Parent, Pos, Comment FROM tovar_tree ORDER BY Code")),
              QStringLiteral("1\t0\t1\tБытовая техника\n2\t1\t1\tЧайники «Ёлка»\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT Id, Name_out, Nacen_out FROM parametr WHERE Id = 1")),
              QStringLiteral("1\tРозница\t5\n"));
    const QString columns = client(QStringLiteral(
        "SELECT table_name, column_name FROM information_schema.columns WHERE table_schema = 'shop' "
        "AND column_name IN ('Sklad', 'Nacen', 'Garant') ORDER BY table_name, column_name"));
    EXPECT_EQ(columns, QStringLiteral("price_main\tGarant\nprice_main\tNacen\nsvod\tGarant\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT DISTINCT engine FROM information_schema.tables WHERE table_schema = 'shop'")),
              QStringLiteral("MyISAM\n"));
}

TEST_F(ShopUploadTest, AnotherUploadReplacesTheTablesAndAnEmptyOneStaysATable)
{
    useDatabase(QStringLiteral("again"));
    makeShop();
    ASSERT_TRUE(UploadShopTables(priceDb).done);
    exec(QStringLiteral("DELETE FROM svod"));
    addPriceOut(13, QStringLiteral("C-3"), QStringLiteral("Миксер"), 10);
    const ShopUploadResult result = UploadShopTables(priceDb);
    ASSERT_TRUE(result.done) << result.message.toStdString();
    EXPECT_EQ(tables(), QStringLiteral("parametr\nprice_main\nsvod\ntovar_tree\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT COUNT(*) FROM svod")), QStringLiteral("0\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT COUNT(*) FROM price_main")), QStringLiteral("3\n"));
}

TEST_F(ShopUploadTest, ACodePage1251DatabaseKeepsCyrillic)
{
    useDatabase(QStringLiteral("shop1251"), QStringLiteral("cp1251"));
    addGroup(1, 0, 1, QStringLiteral("Ёлочные игрушки"));
    addPriceOut(11, QStringLiteral("А-1"), QStringLiteral("чайник"), 110);
    const ShopUploadResult result = UploadShopTables(priceDb);
    ASSERT_TRUE(result.done) << result.message.toStdString();
    EXPECT_EQ(client(QStringLiteral("SELECT HEX(Tovar) FROM price_main")), QStringLiteral("F7E0E9EDE8EA\n"));
    odbc::Connection shop(shopConnectionString());
    EXPECT_EQ(shop.scalar(QStringLiteral("SELECT Comment FROM tovar_tree")).toString(),
              QStringLiteral("Ёлочные игрушки"));
}

TEST_F(ShopUploadTest, AValueTheServerCannotStoreKeepsTheShopsTables)
{
    useDatabase(QStringLiteral("strict"), QStringLiteral("cp1251"));
    makeShop();
    exec(QStringLiteral("UPDATE Price_Out SET Tovar = 'Тостер' WHERE Code = 12")); // "∞" has no place in cp1251
    ASSERT_TRUE(UploadShopTables(priceDb).done);
    // Midway through the combined price, in the second array of rows: a
    // character the server's code page lacks.
    for (int i = 0; i < 1500; ++i)
        addOffer(11, QStringLiteral("Поставщик %1").arg(i), i);
    exec(QStringLiteral("UPDATE svod SET Tovar = 'Кабель ∞' WHERE rowid = (SELECT rowid FROM svod LIMIT 1 OFFSET 1200)"));
    const ShopUploadResult result = UploadShopTables(priceDb);
    EXPECT_FALSE(result.done);
    EXPECT_TRUE(result.message.startsWith(shopUploadFailedMessage(QString()))) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(QStringLiteral("Tovar"))) << result.message.toStdString();
    EXPECT_EQ(tables(), QStringLiteral("parametr\nprice_main\nsvod\ntovar_tree\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT COUNT(*) FROM svod")), QStringLiteral("2\n"));
}

// A name longer than the server's column: the message names the good and
// the column before anything is sent; the shop keeps its tables.
TEST_F(ShopUploadTest, AValueTooLongForItsColumnIsNamedAndNothingIsSent)
{
    useDatabase(QStringLiteral("lengths"));
    makeShop();
    ASSERT_TRUE(UploadShopTables(priceDb).done);
    const QString before = client(QStringLiteral("SELECT Code, Tovar FROM price_main ORDER BY Code"));
    // 203 characters; SQLite's length() alone would stop at the NUL.
    const QString longName = QStringLiteral("Чайник") + QChar(0) + QString(196, u'ё');
    exec(QStringLiteral("UPDATE Price_Out SET Tovar = ?1 WHERE Code = 12"), {longName});
    exec(QStringLiteral("UPDATE Tovar_tree SET Comment = ?1 WHERE Code = 2"), {QString(136, u'я')});
    const auto connections = [this] {
        return client(QStringLiteral("SHOW GLOBAL STATUS LIKE 'Connections'")).section(u'\t', 1).trimmed().toLongLong();
    };
    const qint64 connectionsBefore = connections();

    const ShopUploadResult result = UploadShopTables(priceDb);
    EXPECT_FALSE(result.done);
    EXPECT_EQ(connections(), connectionsBefore + 1) << "only the client's own connection";
    const QStringList lines = result.message.split(u'\r');
    EXPECT_TRUE(result.message.startsWith(shopUploadFailedMessage(QString()))) << result.message.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Товар с кодом 12 \"Чайник ") + QString(53, u'ё') +
                               QStringLiteral("…\": поле Tovar таблицы price_main — 203 знака, на сервере не больше 200")))
        << result.message.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Группа с кодом 2 \"") + QString(60, u'я') +
                               QStringLiteral("…\": поле Comment таблицы tovar_tree — 136 знаков, на сервере не больше 135")))
        << result.message.toStdString();
    EXPECT_EQ(tables(), QStringLiteral("parametr\nprice_main\nsvod\ntovar_tree\n"));
    EXPECT_EQ(client(QStringLiteral("SELECT Code, Tovar FROM price_main ORDER BY Code")), before);

    // Exactly at the column's length it goes.
    exec(QStringLiteral("UPDATE Price_Out SET Tovar = ?1 WHERE Code = 12"), {longName.left(200)});
    exec(QStringLiteral("UPDATE Tovar_tree SET Comment = ?1 WHERE Code = 2"), {QString(135, u'я')});
    const ShopUploadResult fits = UploadShopTables(priceDb);
    EXPECT_TRUE(fits.done) << fits.message.toStdString();
    EXPECT_EQ(client(QStringLiteral("SELECT CHAR_LENGTH(Tovar) FROM price_main WHERE Code = 12")), QStringLiteral("200\n"));
}

TEST_F(ShopUploadTest, WithoutAConnectionStringNothingIsSent)
{
    exec(QStringLiteral("UPDATE parametr SET Path = '   ' WHERE Id = 6"));
    ShopUploadResult result = UploadShopTables(priceDb);
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.message, shopUploadNoConnectionMessage());
    exec(QStringLiteral("DELETE FROM parametr WHERE Id = 6"));
    result = UploadShopTables(priceDb);
    EXPECT_EQ(result.message, shopUploadNoConnectionMessage());

    // A source nobody registered: the driver manager's words, nothing made.
    exec(QStringLiteral("INSERT INTO parametr (Id, Path) VALUES (6, 'DSN=NoSuchSource')"));
    result = UploadShopTables(priceDb);
    EXPECT_FALSE(result.done);
    EXPECT_TRUE(result.message.contains(QStringLiteral("IM002")) || result.message.contains(QStringLiteral("NoSuchSource")))
        << result.message.toStdString();
}

} // namespace
