#include "mariadb_server.h"
#include "odbc_test_support.h"
#include "platform/odbc/data_source.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_error.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace velmora;
using namespace velmora::odbc;
using velmora::test::MariaDbServer;
using velmora::test::SuiteServer;
using velmora::test::ScopedEnvironment;

namespace {

const QString kDataSource = QStringLiteral("VelmoraShopODBCDataAdmin");
const QString kAdoString =
    QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=VelmoraShopODBCDataAdmin");

// One server for the whole program; each test registers the data source in
// its own odbc.ini and works in its own database.
class MariaDbOdbc : public ::testing::Test {
protected:
    // A server that cannot start fails every test with the reason, rather
    // than leaving them skipped.
    static void SetUpTestSuite() { SuiteServer::start(); }
    static void TearDownTestSuite() { SuiteServer::stop(); }
    void SetUp() override
    {
        server_ = SuiteServer::server();
        ASSERT_TRUE(server_) << SuiteServer::startError();
    }

    // Registers the source for `database`, made with `charset`, and connects
    // by the ADO string the parameters keep, or by the source's name with
    // the driver's `options` when given.
    std::unique_ptr<Connection> connect(const QString& database, const QString& charset = QStringLiteral("utf8mb4"),
                                        const QString& options = {})
    {
        server_->createDatabase(database, charset);
        MySqlDataSource source;
        source.name = kDataSource;
        source.server = server_->host();
        source.database = database;
        source.driverPath = MariaDbDriverPath();
        source.port = QString::number(server_->port());
        RegisterMySqlDataSource(source);
        if (!options.isEmpty())
            return std::make_unique<Connection>(QStringLiteral("DSN=") + kDataSource + u';' + options);
        return std::make_unique<Connection>(kAdoString);
    }

    MariaDbServer* server_ = nullptr;
    QTemporaryDir dir_;
    ScopedEnvironment odbcIni_{"ODBCINI", QFile::encodeName(dir_.filePath("odbc.ini"))};
};


struct Good {
    qint64 code;
    QString tovar;
    double price;
};

// Goods of several batches: Cyrillic, Ё, signs of the code page and beyond
// it, an empty text, a NULL price.
std::vector<Good> goods(int count)
{
    std::vector<Good> rows;
    const QString names[] = {QStringLiteral("Ёлка «Зимняя» №5 — 1,5 м"), QStringLiteral("Чайник 2л (€)"),
                             QStringLiteral(""), QStringLiteral("Кабель 'USB' \"A-B\" ∞ 😀")};
    for (int i = 1; i <= count; ++i)
        rows.push_back({i, names[i % 4] + QStringLiteral(" %1").arg(i), i * 1.5 + 0.25});
    return rows;
}

void insertGoods(Connection& connection, const std::vector<Good>& rows, int nullPriceCode = 0)
{
    Statement insert = connection.prepare(QStringLiteral("INSERT INTO goods (Code, Tovar, Price) VALUES (?, ?, ?)"));
    ParameterBatch batch({ParameterType::Integer, ParameterType::Text, ParameterType::Double}, 1000);
    for (const Good& good : rows) {
        batch.setInt(0, good.code).setText(1, good.tovar);
        if (good.code != nullPriceCode)
            batch.setDouble(2, good.price);
        batch.endRow();
        if (batch.isFull()) {
            insert.execute(batch);
            batch.clear();
        }
    }
    insert.execute(batch);
}

} // namespace

TEST_F(MariaDbOdbc, RegisteredSourceCarriesCyrillicAndPricesInBatches)
{
    std::unique_ptr<Connection> db = connect(QStringLiteral("shop"));
    db->exec(QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES'"));
    db->exec(QStringLiteral("CREATE TABLE goods (Code int(11) default NULL, Tovar varchar(200) default NULL,"
                            " Price double default NULL) ENGINE=MyISAM"));
    const std::vector<Good> rows = goods(2500);
    insertGoods(*db, rows, 7);

    // Read back through the driver ...
    Statement select = db->query(QStringLiteral("SELECT Code, Tovar, Price FROM goods ORDER BY Code"));
    ASSERT_EQ(select.columnCount(), 3);
    size_t read = 0;
    while (select.step()) {
        const Good& good = rows[read++];
        ASSERT_EQ(select.integer(0), good.code);
        ASSERT_EQ(select.text(1), good.tovar);
        if (good.code == 7)
            ASSERT_TRUE(select.isNull(2));
        else
            ASSERT_DOUBLE_EQ(select.number(2), good.price);
    }
    EXPECT_EQ(read, rows.size());

    // ... and by the server's own client, so the stored bytes are the texts
    // themselves and not a mistake that reading through the driver undoes.
    const QString stored = server_->clientQuery(
        QStringLiteral("SELECT Tovar, Price FROM goods WHERE Code IN (4, 5, 7) ORDER BY Code"), QStringLiteral("shop"));
    EXPECT_EQ(stored, rows[3].tovar + QStringLiteral("\t6.25\n") + rows[4].tovar + QStringLiteral("\t7.75\n") +
                          rows[6].tovar + QStringLiteral("\tNULL\n"));
}

// A Windows-1251 database, and a session in Windows-1251 (its texts then go
// through the driver's own conversion rather than as UTF-8 bytes): Cyrillic
// arrives whole, stored in the database's character set, and a value too
// long for its column still fails.
TEST_F(MariaDbOdbc, CyrillicKeepsInEveryCharacterSetAndStrictnessHolds)
{
    struct Case {
        const char* database;
        const char* databaseCharset;
        const char* sessionOptions;
        const char* sessionCharset;
        const char* storedHex; // "чайник" as the database holds it
    };
    const Case cases[] = {
        {"shop1251", "cp1251", "", "utf8mb4", "F7E0E9EDE8EA"},
        {"session1251", "utf8mb4", "CHARSET=cp1251", "cp1251", "D187D0B0D0B9D0BDD0B8D0BA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.database);
        const QString database = QLatin1String(c.database);
        std::unique_ptr<Connection> db =
            connect(database, QLatin1String(c.databaseCharset), QLatin1String(c.sessionOptions));
        ASSERT_EQ(db->scalar(QStringLiteral("SELECT @@character_set_client")).toString(),
                  QLatin1String(c.sessionCharset));
        db->exec(QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES'"));
        db->exec(QStringLiteral("CREATE TABLE goods (Code int(11), Tovar varchar(20), Price double) ENGINE=MyISAM"));
        std::vector<Good> rows = {{1, QStringLiteral("Ёлка «Зимняя» №5"), 115.5}, {2, QStringLiteral("чайник"), 2.68}};
        insertGoods(*db, rows);
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT Tovar FROM goods WHERE Code = 1")).toString(), rows[0].tovar);
        EXPECT_EQ(server_->clientQuery(QStringLiteral("SELECT Tovar FROM goods WHERE Code = 1"), database),
                  rows[0].tovar + u'\n');
        EXPECT_EQ(server_->clientQuery(QStringLiteral("SELECT HEX(Tovar) FROM goods WHERE Code = 2"), database),
                  QLatin1String(c.storedHex) + u'\n');
        EXPECT_THROW(insertGoods(*db, {{3, QString(21, u'я'), 1.0}}), OdbcError);
    }
}

TEST_F(MariaDbOdbc, AValueTheServerCannotStoreFailsItsBatch)
{
    std::unique_ptr<Connection> db = connect(QStringLiteral("strict"));
    db->exec(QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES'"));
    db->exec(QStringLiteral("CREATE TABLE goods (Code int(11), Tovar varchar(20), Price double) ENGINE=MyISAM"));
    std::vector<Good> rows;
    for (int i = 1; i <= 1500; ++i)
        rows.push_back({i, QStringLiteral("товар %1").arg(i), double(i)});
    rows[1200].tovar = QString(21, u'я');
    try {
        insertGoods(*db, rows);
        FAIL() << "a text longer than its column was taken";
    } catch (const OdbcError& error) {
        EXPECT_EQ(error.sqlState(), QStringLiteral("22001"));
        EXPECT_TRUE(error.message().contains(QStringLiteral("'Tovar'"))) << error.message().toStdString();
    }
    EXPECT_LE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM goods")).toLongLong(), 1200);
}

TEST_F(MariaDbOdbc, OneRenameSwapsTablesAndErrorsCarryTheServersWords)
{
    std::unique_ptr<Connection> db = connect(QStringLiteral("swap"));
    db->exec(QStringLiteral("CREATE TABLE svod (Art varchar(30)) ENGINE=MyISAM"));
    db->exec(QStringLiteral("CREATE TABLE svod_tmp (Art varchar(30)) ENGINE=MyISAM"));
    db->exec(QStringLiteral("INSERT INTO svod VALUES ('старый')"));
    db->exec(QStringLiteral("INSERT INTO svod_tmp VALUES ('новый')"));
    db->exec(QStringLiteral("RENAME TABLE svod TO svod_old, svod_tmp TO svod"));
    db->exec(QStringLiteral("DROP TABLE svod_old"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT Art FROM svod")).toString(), QStringLiteral("новый"));
    EXPECT_EQ(server_->clientQuery(QStringLiteral("SHOW TABLES"), QStringLiteral("swap")), QStringLiteral("svod\n"));

    try {
        db->exec(QStringLiteral("SELECT * FROM price_main"));
        FAIL() << "a missing table was read";
    } catch (const OdbcError& error) {
        EXPECT_EQ(error.sqlState(), QStringLiteral("42S02"));
        EXPECT_TRUE(error.message().contains(QStringLiteral("price_main"))) << error.message().toStdString();
    }
}

TEST(OdbcConnection, AnUnknownSourceFailsToConnect)
{
    QTemporaryDir dir;
    ScopedEnvironment odbcIni("ODBCINI", QFile::encodeName(dir.filePath("odbc.ini")));
    try {
        Connection connection(QStringLiteral("DSN=NoSuchSource"));
        FAIL() << "connected to a source nobody registered";
    } catch (const OdbcError& error) {
        EXPECT_EQ(error.sqlState(), QStringLiteral("IM002"));
    }
}
