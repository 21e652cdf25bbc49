// The start-up upgrade from databases in the state before it.

#include "storage_test_support.h"

#include "platform/db/db_error.h"
#include "storage/goods_search_index.h"
#include "storage/schema.h"

#include <QFile>

#include <unistd.h>

using namespace velmora;

namespace {

QStringList columnNamesOf(const TableDef& table)
{
    QStringList names;
    for (const ColumnDef& c : table.columns)
        names << c.name;
    return names;
}

class SchemaUpgradeTest : public StorageTest {
protected:
    // A price database from before price histories and the search index,
    // holding one offer.
    void makeOldPriceDatabase()
    {
        createPriceDatabase(pricePath());
        db::Connection c(pricePath());
        dropSupplierGoodsIndex(c);
        c.exec(QStringLiteral("DROP TABLE AllPriceHistory; DROP TABLE AllTovarValuta; DROP TABLE BrendPriory;"
                              "INSERT INTO AllTovarPostav (Postavshik, Tovar, Price) VALUES ('Поставщик', 'Монитор', 99.5)"));
    }

    // An order database from before offer references: two order lines, no
    // TovarNumber, no selection templates.
    void makeOldOrderDatabase()
    {
        db::Connection c(orderPath(), db::OpenMode::Create);
        const TableDef& settings = settingsTableDef();
        createTable(c, settings);
        c.exec(QStringLiteral(
            "CREATE TABLE AllZakazFull (ID INTEGER PRIMARY KEY AUTOINCREMENT, ZakazNumber INTEGER, ClientName TEXT,"
            " Art TEXT NOT NULL DEFAULT '', Tovar TEXT NOT NULL DEFAULT '', Quantity REAL NOT NULL DEFAULT 1);"
            "CREATE TABLE AllClientZakaz (ID INTEGER PRIMARY KEY AUTOINCREMENT, ClientName TEXT NOT NULL DEFAULT '');"
            "INSERT INTO AllZakazFull (ZakazNumber, ClientName, Tovar) VALUES (1, 'Иванов', 'Монитор'), (1, 'Иванов', 'Мышь');"));
    }

    QString pricePath() const { return path(QStringLiteral("PRICE.vdb")); }
    QString orderPath() const { return path(QStringLiteral("BaseZakaz.vdb")); }

    void upgrade(bool brendPrioryOn)
    {
        db::Connection price(pricePath());
        db::Connection order(orderPath());
        UpgradeSchema(price, order, brendPrioryOn);
    }
};

TEST_F(SchemaUpgradeTest, OldPriceDatabaseGainsPriceHistoryAndQuotedPrices)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    upgrade(false);

    db::Connection price(pricePath());
    EXPECT_EQ(price.columnNames(QStringLiteral("AllPriceHistory")), columnNamesOf(priceTable("AllPriceHistory")));
    EXPECT_EQ(price.columnNames(QStringLiteral("AllTovarValuta")), columnNamesOf(priceTable("AllTovarValuta")));
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='AllTovarValuta_ID_Tovar'")).toInt(), 1);

    price.exec(QStringLiteral("INSERT INTO AllTovarValuta (ID_Tovar) VALUES (7)"));
    db::Statement s = price.prepare(QStringLiteral("SELECT Price, Valuta, Nacen, Dates FROM AllTovarValuta"));
    ASSERT_TRUE(s.step());
    EXPECT_EQ(s.number(0), 0);
    EXPECT_EQ(s.text(1), QString());
    EXPECT_EQ(s.integer(2), 0);
    EXPECT_NEAR(s.number(3), price.scalar(QStringLiteral("SELECT Now()")).toDouble(), 1.0 / 24 / 60);

    EXPECT_EQ(price.scalar(QStringLiteral("SELECT Tovar FROM AllTovarPostav WHERE Postavshik='ПОСТАВЩИК'")).toString(),
              QStringLiteral("Монитор"));
}

TEST_F(SchemaUpgradeTest, PriceHistoryOfEarlierBuildsGainsItsLoadsIndex)
{
    createPriceDatabase(pricePath());
    makeOldOrderDatabase();
    {
        db::Connection c(pricePath());
        c.exec(QStringLiteral("DROP INDEX AllPriceHistory_Postav_Dates;"
                              "INSERT INTO AllPriceHistory (Postavshik, Tovar, Dates) VALUES ('А', 'Монитор', 45000.5)"));
    }
    upgrade(false);
    db::Connection price(pricePath());
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT count(*) FROM AllPriceHistory")).toInt(), 1);
    // The loads list reads the index alone.
    db::Statement explain = price.prepare(QStringLiteral(
        "EXPLAIN QUERY PLAN SELECT Dates, count(ID) FROM AllPriceHistory WHERE Postavshik = 'А' GROUP BY Dates"));
    QString details;
    while (explain.step())
        details += explain.text(3) + u'\n';
    EXPECT_TRUE(details.contains(QStringLiteral("COVERING INDEX AllPriceHistory_Postav_Dates"))) << details.toStdString();
}

TEST_F(SchemaUpgradeTest, OldPriceDatabaseGainsTheCatalogueAndMatchingTablesWithTheirIndexes)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    const QStringList added = {"Tovar_tree_history", "price_main_history", "New_tovar",     "krit",
                               "kritiskl",           "price_all",          "price_one",     "musor",
                               "sootv",              "Sootv_All",          "Sootv_temp",    "Price_temp",
                               "MinPrice_Nacen",     "MinPrice_Group",     "Price_Out"};
    {
        // As earlier builds made it: the goods and groups without their
        // newer look-up indexes, no matching tables.
        db::Connection c(pricePath());
        for (const QString& table : added)
            c.exec(QStringLiteral("DROP TABLE \"%1\"").arg(table));
        c.exec(QStringLiteral("DROP INDEX price_main_Art; DROP INDEX price_main_Kategor_Tovar;"
                              "INSERT INTO price_main (Code, Kategor, Tovar) VALUES (1, '5', 'Ёлка');"
                              "INSERT INTO Tovar_tree (Code, Parent, Pos, Comment) VALUES (5, 0, 1, 'Праздник')"));
    }
    upgrade(false);

    db::Connection price(pricePath());
    for (const QString& table : added)
        EXPECT_EQ(price.columnNames(table), columnNamesOf(priceTable(table))) << table.toStdString();
    for (const char* index : {"price_main_Art", "price_main_Kategor_Tovar", "krit_Code_krit", "sootv_Postav_Tovar",
                              "MinPrice_Group_Kategor_Postav"})
        EXPECT_EQ(price.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index' AND name=?1"),
                               {QString::fromLatin1(index)})
                      .toInt(),
                  1)
            << index;
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT Tovar FROM price_main WHERE Kategor='5'")).toString(),
              QStringLiteral("Ёлка"));
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT Comment FROM Tovar_tree WHERE Code=5")).toString(),
              QStringLiteral("Праздник"));
}

TEST_F(SchemaUpgradeTest, OldPriceDatabaseGainsTheOrderListAndItsSuppliersUnits)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    {
        db::Connection c(pricePath());
        c.exec(QStringLiteral("DROP TABLE Zakaz; DROP TABLE ZakazPostav;"
                              "INSERT INTO svod (Code_sootv, Postavshik, Obrab) VALUES (3, 'Альфа', 'True')"));
    }
    upgrade(false);

    db::Connection price(pricePath());
    for (const char* table : {"Zakaz", "ZakazPostav"})
        EXPECT_EQ(price.columnNames(QString::fromLatin1(table)), columnNamesOf(priceTable(QString::fromLatin1(table))))
            << table;
    // One row per good and supplier, the supplier compared without case.
    price.exec(QStringLiteral("INSERT INTO ZakazPostav (Code, Postavshik, Obrab) VALUES (3, 'Альфа', '4')"));
    EXPECT_THROW(price.exec(QStringLiteral("INSERT INTO ZakazPostav (Code, Postavshik, Obrab) VALUES (3, 'АЛЬФА', '1')")),
                 db::DbError);
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT Obrab FROM svod")).toString(), QStringLiteral("True"));
}

// Offers found through the search index, as the search asks it.
int indexedOffers(const db::Connection& price, const QString& text)
{
    return price
        .scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav_SearchText WHERE AllTovarPostav_SearchText MATCH ?1"),
                {supplierGoodsIndexTerm(text, QString())})
        .toInt();
}

TEST_F(SchemaUpgradeTest, SearchIndexIsBuiltOverTheOffersAlreadyThere)
{
    // Each: how the index stands before the upgrade.
    struct Case {
        const char* name;
        const char* prepare;
    };
    const Case cases[] = {
        {"missing", ""},
        {"of an older definition",
         "CREATE VIRTUAL TABLE AllTovarPostav_SearchText USING fts5(Art, Tovar, content='AllTovarPostav', "
         "content_rowid='Number', tokenize='trigram');"},
        {"without its triggers", "#"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(pricePath());
        QFile::remove(orderPath());
        makeOldPriceDatabase();
        makeOldOrderDatabase();
        {
            db::Connection price(pricePath());
            const QString prepare = QString::fromUtf8(c.prepare);
            if (prepare == u"#") {
                ensureSupplierGoodsIndex(price);
                price.exec(QStringLiteral("DROP TRIGGER AllTovarPostav_SearchText_ai"));
                price.exec(QStringLiteral("INSERT INTO AllTovarPostav (Postavshik, Tovar) VALUES ('Б', 'Мышь')"));
            } else if (!prepare.isEmpty()) {
                price.exec(prepare);
            }
            EXPECT_FALSE(supplierGoodsIndexCurrent(price));
        }
        upgrade(false);
        db::Connection price(pricePath());
        EXPECT_TRUE(supplierGoodsIndexCurrent(price));
        EXPECT_EQ(indexedOffers(price, QStringLiteral("мОНИт")), 1);
        EXPECT_EQ(indexedOffers(price, QStringLiteral("мышь")),
                  price.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE Tovar = 'Мышь'")).toInt());
        EXPECT_NO_THROW(price.exec(
            QStringLiteral("INSERT INTO AllTovarPostav_SearchText(AllTovarPostav_SearchText) VALUES('integrity-check')")));
        // From now on the triggers keep it current.
        price.exec(QStringLiteral("UPDATE AllTovarPostav SET Tovar = 'Монитор X270' WHERE Tovar = 'Монитор'"));
        EXPECT_EQ(indexedOffers(price, QStringLiteral("x270")), 1);
    }
}

TEST_F(SchemaUpgradeTest, TextColumnsOfEarlierBuildsMoveToTheProgramsCollation)
{
    const QString freshPath = path(QStringLiteral("fresh.vdb"));
    createPriceDatabase(freshPath);
    createPriceDatabase(pricePath());
    createOrderDatabase(orderPath());
    QStringList dataBefore;
    {
        db::Connection price(pricePath());
        db::Connection order(orderPath());
        price.exec(QStringLiteral(
            "INSERT INTO AllTovarPostav (Postavshik, Art, Tovar, Price) VALUES"
            " ('Поставщик Альфа', 'a-1', 'Болт М6 ОЦИНК', 1), ('ПОСТАВЩИК альфа', 'A-1', 'болт м6 оцинк', 2),"
            " ('Бета', 'Ё-2', 'Ёлка', 3);"
            "INSERT INTO AllPostavSetup (Id, Postavshik) VALUES (1, 'Поставщик Альфа'), (2, 'Бета');"));
        order.exec(QStringLiteral("INSERT INTO settings (ParName, TypeText) VALUES ('Бета_DataLoad', 'x')"));
        declareOnEarlierNoCase(price);
        declareOnEarlierNoCase(order);
        ASSERT_TRUE(db::schemaDeclaresCollation(price, QStringLiteral("NOCASE")));
        dataBefore = dataOf(price) + dataOf(order);
    }
    upgrade(false);

    db::Connection price(pricePath());
    db::Connection order(orderPath());
    EXPECT_FALSE(db::schemaDeclaresCollation(price, QStringLiteral("NOCASE")));
    EXPECT_FALSE(db::schemaDeclaresCollation(order, QStringLiteral("NOCASE")));
    EXPECT_EQ(schemaOf(price), schemaOf(db::Connection(freshPath))) << "as a new file declares it";
    EXPECT_EQ(dataOf(price) + dataOf(order), dataBefore);
    EXPECT_EQ(price.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(order.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE Postavshik = 'поставщик АЛЬФА'"))
                  .toInt(),
              2);
    EXPECT_EQ(price.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE Tovar = 'ёлка'")).toInt(), 1);
    EXPECT_EQ(order.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = 'БЕТА_dataload'")).toString(),
              QStringLiteral("x"));
}

TEST_F(SchemaUpgradeTest, OrderLinesGainAnEmptyTovarNumber)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    upgrade(false);

    db::Connection order(orderPath());
    EXPECT_TRUE(order.columnExists(QStringLiteral("AllZakazFull"), QStringLiteral("TovarNumber")));
    EXPECT_EQ(order.scalar(QStringLiteral("SELECT count(*) FROM AllZakazFull")).toInt(), 2);
    EXPECT_EQ(order.scalar(QStringLiteral("SELECT count(*) FROM AllZakazFull WHERE TovarNumber IS NULL")).toInt(), 2);
    EXPECT_EQ(order.scalar(QStringLiteral("SELECT type FROM pragma_table_info('AllZakazFull') WHERE name='TovarNumber'"))
                  .toString(),
              QStringLiteral("INTEGER"));
}

TEST_F(SchemaUpgradeTest, SelectionTemplatesGoToTheOrderDatabaseOnly)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    upgrade(false);

    db::Connection price(pricePath());
    db::Connection order(orderPath());
    EXPECT_TRUE(order.tableExists(QStringLiteral("SelectTempPostav")));
    EXPECT_EQ(order.columnNames(QStringLiteral("SelectTempPostav")), columnNamesOf(orderTable("SelectTempPostav")));
    for (const char* table : {"SelectTempPostav", "AllZakazFull", "AllClientZakaz"})
        EXPECT_FALSE(price.tableExists(QString::fromUtf8(table))) << table;
}

TEST_F(SchemaUpgradeTest, OrderDatabaseWithoutOrderTablesGetsThemWithEveryColumn)
{
    makeOldPriceDatabase();
    {
        db::Connection c(orderPath(), db::OpenMode::Create);
        createTable(c, settingsTableDef());
    }
    upgrade(false);

    db::Connection order(orderPath());
    for (const char* table : {"AllZakazFull", "AllClientZakaz", "SelectTempPostav"})
        EXPECT_EQ(order.columnNames(QString::fromUtf8(table)), columnNamesOf(orderTable(QString::fromUtf8(table))))
            << table;
    EXPECT_FALSE(db::Connection(pricePath()).tableExists(QStringLiteral("AllZakazFull")));
}

TEST_F(SchemaUpgradeTest, BrandPrioritiesOnlyWithTheirSwitch)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    upgrade(false);
    EXPECT_FALSE(db::Connection(pricePath()).tableExists(QStringLiteral("BrendPriory")));
    upgrade(true);
    db::Connection price(pricePath());
    EXPECT_EQ(price.columnNames(QStringLiteral("BrendPriory")), (QStringList{"ID", "BrendName"}));
}

TEST_F(SchemaUpgradeTest, SecondRunChangesNothing)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    upgrade(true);
    QStringList schemaBefore, dataBefore;
    {
        db::Connection price(pricePath());
        db::Connection order(orderPath());
        schemaBefore = schemaOf(price) + schemaOf(order);
        dataBefore = dataOf(price) + dataOf(order);
    }
    upgrade(true);
    db::Connection price(pricePath());
    db::Connection order(orderPath());
    EXPECT_EQ(schemaOf(price) + schemaOf(order), schemaBefore);
    EXPECT_EQ(dataOf(price) + dataOf(order), dataBefore);
}

TEST_F(SchemaUpgradeTest, CurrentDatabasesAreLeftAsTheyAre)
{
    createPriceDatabase(pricePath());
    createOrderDatabase(orderPath());
    QStringList before;
    {
        db::Connection price(pricePath());
        db::Connection order(orderPath());
        before = schemaOf(price) + schemaOf(order);
    }
    upgrade(true);
    db::Connection price(pricePath());
    db::Connection order(orderPath());
    EXPECT_EQ(schemaOf(price) + schemaOf(order), before);
}

TEST_F(SchemaUpgradeTest, ReadOnlyDatabaseReportsTheFailure)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    db::Connection price(pricePath(), db::OpenMode::ReadOnly);
    db::Connection order(orderPath());
    try {
        UpgradeSchema(price, order, false);
        FAIL() << "the upgrade reported success";
    } catch (const SchemaError& e) {
        EXPECT_TRUE(e.message().contains(pricePath())) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("AllPriceHistory"))) << e.what();
    }
    EXPECT_FALSE(price.tableExists(QStringLiteral("AllPriceHistory")));
}

TEST_F(SchemaUpgradeTest, ReadOnlyDatabaseWithItsTablesIsSearchedWithoutTheIndex)
{
    createPriceDatabase(pricePath());
    createOrderDatabase(orderPath());
    QStringList before;
    {
        db::Connection price(pricePath());
        dropSupplierGoodsIndex(price);
        before = schemaOf(price);
    }
    db::Connection price(pricePath(), db::OpenMode::ReadOnly);
    db::Connection order(orderPath());
    EXPECT_NO_THROW(UpgradeSchema(price, order, true));
    EXPECT_EQ(schemaOf(price), before);
    EXPECT_FALSE(supplierGoodsIndexExists(price));
}

TEST_F(SchemaUpgradeTest, WriteProtectedFileReportsTheFailure)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    QFile::setPermissions(pricePath(), QFile::ReadOwner);
    EXPECT_THROW(upgrade(false), SchemaError);
    QFile::setPermissions(pricePath(), QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(SchemaUpgradeTest, FailedStatementRollsBackThatDatabasesChanges)
{
    makeOldPriceDatabase();
    makeOldOrderDatabase();
    {
        // An index of another table already holds the name the new table's index needs.
        db::Connection c(pricePath());
        c.exec(QStringLiteral("CREATE INDEX AllTovarValuta_ID_Tovar ON AllTovarPostav (Number)"));
        declareOnEarlierNoCase(c);
    }
    try {
        upgrade(false);
        FAIL() << "the upgrade reported success";
    } catch (const SchemaError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("AllTovarValuta"))) << e.what();
    }
    db::Connection price(pricePath());
    EXPECT_FALSE(price.tableExists(QStringLiteral("AllPriceHistory")));
    EXPECT_FALSE(price.tableExists(QStringLiteral("AllTovarValuta")));
    EXPECT_TRUE(db::schemaDeclaresCollation(price, QStringLiteral("NOCASE")));
}

TEST_F(SchemaUpgradeTest, UnreadableCatalogueIsReportedNotTakenForMissing)
{
    makeOldOrderDatabase();
    db::Connection closed;
    db::Connection order(orderPath());
    EXPECT_THROW(UpgradeSchema(closed, order, false), SchemaError);
    EXPECT_FALSE(order.tableExists(QStringLiteral("SelectTempPostav"))) << "nothing is half done";
}

} // namespace
