// Both databases hold every table with its columns in stored order.

#include "storage_test_support.h"

#include "platform/db/db_error.h"
#include "storage/schema.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>
#include <unistd.h>

using namespace velmora;

namespace {

struct TableCase {
    const char* table;
    // Columns in stored order: name and declared type; "*" marks a counter.
    const char* columns;
};

// Column lists as the owning tables give them, written out independently of
// the schema code.
const TableCase kPriceTables[] = {
    {"settings", "ParName VARCHAR(50), TypeText VARCHAR(255), TypeInteger INTEGER, TypeDouble REAL, "
                 "TypeCurrency REAL, TypeDate REAL, TypeBoolean INTEGER"},
    {"AllPostavSetup", "Id INTEGER, Postavshik VARCHAR(50), Path VARCHAR(255), SheetCount INTEGER, Obrab VARCHAR(5), "
                       "PostavVisible INTEGER, Dates INTEGER, PriceConversion REAL, Valuta INTEGER"},
    {"AllPostavPage", "Postavshik VARCHAR(50), SheetName VARCHAR(50), Column_art INTEGER, Column_Tovar INTEGER, "
                      "Column_Price INTEGER, Column_Pricemax INTEGER, Column_Sklad INTEGER, Column_Garant INTEGER, "
                      "Column_Description INTEGER, Column_TextNoName INTEGER, Obrab VARCHAR(5), Nacen INTEGER, "
                      "Valuta INTEGER, PriceSet INTEGER, TovarPrefiks VARCHAR(255)"},
    {"AllTovarPostav", "Number* INTEGER, Art VARCHAR(50), Tovar VARCHAR(200), Price REAL, Pricemax REAL, "
                       "Postavshik VARCHAR(100), Check_sootv VARCHAR(5), Check_obrab VARCHAR(5), Dates INTEGER, "
                       "Garant VARCHAR(50), Sklad VARCHAR(50), Description TEXT, TextNoName VARCHAR(255), PriceOut REAL"},
    {"AllTovarValuta", "ID_Tovar INTEGER, Price REAL, Pricemax REAL, Valuta VARCHAR(5), PriceConversion REAL, "
                       "Nacen INTEGER, Dates REAL"},
    {"AllPriceHistory", "ID* INTEGER, Postavshik VARCHAR(100), Art VARCHAR(50), Tovar VARCHAR(200), Price REAL, "
                        "Pricemax REAL, PriceOut REAL, Dates REAL"},
    {"postav_info", "Postavshik VARCHAR(50), Name_full VARCHAR(250), Address VARCHAR(250), Person VARCHAR(100), "
                    "Phones VARCHAR(100), Mail VARCHAR(100)"},
    {"BrandNamePostav", "Postavshik VARCHAR(100), BrandNamePostav VARCHAR(255), BrandNameEtalon VARCHAR(255)"},
    {"ArtOldtoNew", "ArtOld VARCHAR(50), ArtNew VARCHAR(50), TypeArt INTEGER"},
    {"BrendPriory", "ID* INTEGER, BrendName VARCHAR(255)"},
    {"Zakaz", "Id* INTEGER, Code INTEGER, Art VARCHAR(30), Tovar VARCHAR(200), Price_1 REAL, PriceOut REAL, "
              "Quantity INTEGER, Obrab VARCHAR(5), Postav VARCHAR(100)"},
    {"ZakazPostav", "Code INTEGER, Postavshik VARCHAR(50), Obrab VARCHAR(5)"},
    {"price_main", "Code INTEGER, Art VARCHAR(15), Kategor VARCHAR(50), Tovar VARCHAR(200), PriceBase REAL, "
                   "Nacen INTEGER, Price_1 REAL, Dates INTEGER, Garant VARCHAR(50), Sale INTEGER, SuperPrice INTEGER"},
    {"Tovar_tree", "Code INTEGER, Parent INTEGER, Pos INTEGER, HCh_T INTEGER, Picture INTEGER, Comment VARCHAR(135), "
                   "Nacen INTEGER, Garant VARCHAR(50)"},
    {"Price_Tovar_Info", "Code INTEGER, Art VARCHAR(15), URL VARCHAR(255), pictures VARCHAR(255), Comment VARCHAR(255)"},
    {"Tovar_tree_history", "Code INTEGER, Parent INTEGER, Pos INTEGER, HCh_T INTEGER, Picture INTEGER, "
                           "Comment VARCHAR(135), Nacen INTEGER, Garant VARCHAR(50)"},
    {"price_main_history", "Code INTEGER, Art VARCHAR(15), Kategor VARCHAR(50), Tovar VARCHAR(200), PriceBase REAL, "
                           "Nacen INTEGER, Price_1 REAL, Dates INTEGER, Garant VARCHAR(50), Sale INTEGER, "
                           "SuperPrice INTEGER"},
    {"New_tovar", "id INTEGER, kategoria VARCHAR(135), gr VARCHAR(135), podgr1 VARCHAR(135), podgr2 VARCHAR(135), "
                  "podgr3 VARCHAR(135), art VARCHAR(15), name VARCHAR(200), price1 REAL"},
    {"krit", "Code_krit INTEGER, Krit_1 VARCHAR(60), Krit_2 VARCHAR(50), Krit_3 VARCHAR(50), Krit_4 VARCHAR(50), "
             "Krit_5 VARCHAR(50)"},
    {"kritiskl", "Code_KritIskl INTEGER, KritIskl VARCHAR(50)"},
    {"price_all", "Number* INTEGER, Art VARCHAR(30), Tovar VARCHAR(200), Price REAL, Pricemax REAL, "
                  "Postavshik VARCHAR(50), Check_sootv VARCHAR(5), Check_obrab VARCHAR(5), Dates INTEGER, "
                  "Garant VARCHAR(50), Sklad VARCHAR(50)"},
    {"price_one", "Art VARCHAR(30), Tovar VARCHAR(200), Price REAL, Pricemax REAL, Postavshik VARCHAR(50), "
                  "Check_sootv VARCHAR(5), Check_obrab VARCHAR(5), Dates INTEGER, Garant VARCHAR(50), Sklad VARCHAR(50)"},
    {"musor", "Art VARCHAR(30), Tovar VARCHAR(200), Price REAL, Pricemax REAL, Postavshik VARCHAR(50), "
              "Check_sootv VARCHAR(5), Check_obrab VARCHAR(5), Dates INTEGER, Garant VARCHAR(50), Sklad VARCHAR(50)"},
    {"sootv", "Code INTEGER, Art VARCHAR(30), Tovar VARCHAR(200), Postavshik VARCHAR(50), Art_obrab VARCHAR(5)"},
    {"svod", "Art VARCHAR(30), Tovar VARCHAR(200), Price REAL, Pricemax REAL, Postavshik VARCHAR(50), "
             "Code_sootv INTEGER, Obrab VARCHAR(5), Dates INTEGER, Garant VARCHAR(50), Sklad VARCHAR(50)"},
    {"Sootv_All", "Code INTEGER, Art VARCHAR(30), Tovar VARCHAR(200), Postavshik VARCHAR(50), Check_sootv VARCHAR(5), "
                  "Price REAL, Pricemax REAL, Tovar_main VARCHAR(200), Number_ost INTEGER, Dates INTEGER, "
                  "Garant VARCHAR(50), Sklad VARCHAR(50)"},
    {"Sootv_temp", "Number INTEGER, Tovar VARCHAR(200), Code INTEGER, KritNum VARCHAR(5)"},
    {"Price_temp", "Code INTEGER, Art VARCHAR(30), Tovar VARCHAR(200), Postavshik VARCHAR(50)"},
    {"postavshik", "Postavshik VARCHAR(50), Path VARCHAR(250), Column_art INTEGER, Column_Tovar INTEGER, "
                   "Column_Price INTEGER, Column_Pricemax INTEGER, Column_Garant INTEGER, Column_Sklad INTEGER, "
                   "Sheet INTEGER, Art_obrab VARCHAR(5), Obrab VARCHAR(5), Dates INTEGER, Obrab_Def VARCHAR(5)"},
    {"Price_Sklad", "ID* INTEGER, Sklad VARCHAR(5), Text VARCHAR(50)"},
    {"MinPrice_Nacen", "Kategor INTEGER, Price1 INTEGER, Price2 INTEGER, Price3 INTEGER, Price4 INTEGER, "
                       "Price5 INTEGER, Nacen1 INTEGER, Nacen2 INTEGER, Nacen3 INTEGER, Nacen4 INTEGER, Nacen5 INTEGER"},
    {"MinPrice_Group", "Kategor INTEGER, Postavshik VARCHAR(50), Obrab VARCHAR(5), Dates INTEGER"},
    {"parametr", "Id INTEGER, Name_out VARCHAR(50), Nacen_out INTEGER, Path VARCHAR(250), FileName VARCHAR(50), "
                 "SheetName VARCHAR(50), Dates INTEGER"},
    {"Price_Out", "ID* INTEGER, Code INTEGER, Kategor VARCHAR(50), NameKat0 VARCHAR(50), NameKat1 VARCHAR(50), "
                  "NameKat2 VARCHAR(50), NameKat3 VARCHAR(50), NameKat4 VARCHAR(50), NameKat5 VARCHAR(50), "
                  "NameKat6 VARCHAR(50), NameKat7 VARCHAR(50), NameKat8 VARCHAR(50), NameKat9 VARCHAR(50), "
                  "Art VARCHAR(50), Tovar VARCHAR(200), Nacen INTEGER, PriceBase REAL, Price_1 REAL, Price_2 REAL, "
                  "Price_3 REAL, Price_4 REAL, Dates INTEGER, Garant VARCHAR(50), SuperPrice INTEGER"},
};

const TableCase kOrderTables[] = {
    {"settings", "ParName VARCHAR(50), TypeText VARCHAR(255), TypeInteger INTEGER, TypeDouble REAL, "
                 "TypeCurrency REAL, TypeDate REAL, TypeBoolean INTEGER"},
    {"AllZakazFull", "ID* INTEGER, ZakazNumber INTEGER, ClientName VARCHAR(255), TovarNumber INTEGER, Art VARCHAR(50), "
                     "Tovar VARCHAR(200), Price REAL, Pricemax REAL, Quantity REAL, PriceOut REAL, "
                     "Postavshik VARCHAR(100), Garant VARCHAR(50), Sklad VARCHAR(50), Description VARCHAR(255), "
                     "TextNoName VARCHAR(255), Obrab INTEGER"},
    {"AllClientZakaz", "ID* INTEGER, ClientName VARCHAR(50), ClientPhone VARCHAR(100), ClientAddress VARCHAR(255), "
                       "ClientText VARCHAR(255)"},
    {"AllTovarZakaz", "Code INTEGER, Garant VARCHAR(50), Sklad VARCHAR(50), Description VARCHAR(255), "
                      "TextNoName VARCHAR(255), Price REAL, Pricemax REAL, Price2 REAL"},
    {"SelectTempPostav", "TemplateName VARCHAR(50), Postavshik VARCHAR(50), Obrab INTEGER"},
};

// "Name TYPE, ..." of a table as the database holds it; "*" after a name
// marks an autoincrement key.
QString columnsOf(db::Connection& c, const QString& table)
{
    const QString sql =
        c.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=?1"), {table}).toString();
    QStringList columns;
    db::Statement s = c.prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?1)"));
    s.bindText(1, table);
    while (s.step()) {
        const bool counter = s.integer(2) == 1 && sql.contains(QStringLiteral("AUTOINCREMENT"));
        columns << s.text(0) + (counter ? QStringLiteral("*") : QString()) + u' ' + s.text(1);
    }
    return columns.join(QStringLiteral(", "));
}

QStringList tablesOf(db::Connection& c)
{
    QStringList out;
    db::Statement s = c.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name <> 'sqlite_sequence' ORDER BY name COLLATE NOCASE"));
    while (s.step())
        out << s.text(0);
    return out;
}

template <size_t N>
QStringList namesOf(const TableCase (&cases)[N])
{
    QStringList out;
    for (const TableCase& c : cases)
        out << QString::fromUtf8(c.table);
    out.sort(Qt::CaseInsensitive);
    return out;
}

// The offers' full-text index, the tables the engine keeps it in and its
// catch-up watermark.
const QStringList kSearchIndexTables = {
    QStringLiteral("AllTovarPostav_SearchPending"), QStringLiteral("AllTovarPostav_SearchText"), QStringLiteral("AllTovarPostav_SearchText_config"),
    QStringLiteral("AllTovarPostav_SearchText_data"), QStringLiteral("AllTovarPostav_SearchText_idx")};

TEST_F(StorageTest, PriceDatabaseHoldsEveryTableWithItsColumnsInOrder)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    db::Connection c(path(QStringLiteral("PRICE.vdb")));
    QStringList expected = namesOf(kPriceTables) + kSearchIndexTables;
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(tablesOf(c), expected);
    for (const TableCase& t : kPriceTables)
        EXPECT_EQ(columnsOf(c, QString::fromUtf8(t.table)), QString::fromUtf8(t.columns)) << t.table;
}

TEST_F(StorageTest, OrderDatabaseHoldsEveryTableWithItsColumnsInOrder)
{
    createOrderDatabase(path(QStringLiteral("BaseZakaz.vdb")));
    db::Connection c(path(QStringLiteral("BaseZakaz.vdb")));
    EXPECT_EQ(tablesOf(c), namesOf(kOrderTables));
    for (const TableCase& t : kOrderTables)
        EXPECT_EQ(columnsOf(c, QString::fromUtf8(t.table)), QString::fromUtf8(t.columns)) << t.table;
}

TEST_F(StorageTest, EveryTextColumnComparesWithoutCase)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    createOrderDatabase(path(QStringLiteral("BaseZakaz.vdb")));
    for (const QString& file : {path(QStringLiteral("PRICE.vdb")), path(QStringLiteral("BaseZakaz.vdb"))}) {
        db::Connection c(file);
        for (const QString& table : tablesOf(c)) {
            const QString sql =
                c.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name=?1"), {table}).toString();
            db::Statement s = c.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
            s.bindText(1, table);
            while (s.step()) {
                const QString type = s.text(1);
                if (type.startsWith(QStringLiteral("VARCHAR")) || type == QStringLiteral("TEXT")) {
                    const QString declaration = QStringLiteral("\"%1\" %2 COLLATE UNOCASE").arg(s.text(0), type);
                    EXPECT_TRUE(sql.contains(declaration)) << table.toStdString() << "." << s.text(0).toStdString();
                }
            }
        }
    }
}

struct IndexCase {
    const char* index;
    const char* table;
    const char* columns;
};

TEST_F(StorageTest, PriceDatabaseIndexesTheJoinAndFilterKeys)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    db::Connection c(path(QStringLiteral("PRICE.vdb")));
    const IndexCase cases[] = {
        {"AllTovarPostav_Art", "AllTovarPostav", "Art"},
        {"AllTovarPostav_Tovar", "AllTovarPostav", "Tovar"},
        {"AllTovarPostav_Postav", "AllTovarPostav", "Postavshik"},
        {"AllTovarPostav_PriceOut", "AllTovarPostav", "PriceOut"},
        {"AllTovarValuta_ID_Tovar", "AllTovarValuta", "ID_Tovar"},
        {"AllTovarValuta_Valuta", "AllTovarValuta", "Valuta"},
        {"AllPostavSetup_ID_Postav", "AllPostavSetup", "Id"},
        {"AllPostavSetup_Postav", "AllPostavSetup", "Postavshik"},
        {"AllPostavPage_Postav", "AllPostavPage", "Postavshik"},
        {"AllPriceHistory_ID_Tovar", "AllPriceHistory", "ID"},
        {"AllPriceHistory_Postav", "AllPriceHistory", "Postavshik"},
        {"AllPriceHistory_Postav_Art", "AllPriceHistory", "Postavshik,Art"},
        {"AllPriceHistory_Postav_Tovar", "AllPriceHistory", "Postavshik,Tovar"},
        {"settings_ParName", "settings", "ParName"},
        {"svod_Code_sootv_Postav", "svod", "Code_sootv,Postavshik"},
        {"ZakazPostav_Code_Postav", "ZakazPostav", "Code,Postavshik"},
        {"price_main_Code", "price_main", "Code"},
        {"price_main_Kategor_Tovar", "price_main", "Kategor,Tovar"},
        {"price_main_Art", "price_main", "Art"},
        {"Tovar_tree_Code", "Tovar_tree", "Code"},
        {"Tovar_tree_Parent_Pos", "Tovar_tree", "Parent,Pos"},
        {"Price_Tovar_Info_Code", "Price_Tovar_Info", "Code"},
        {"New_tovar_id", "New_tovar", "id"},
        {"krit_Code_krit", "krit", "Code_krit"},
        {"kritiskl_Code_KritIskl", "kritiskl", "Code_KritIskl"},
        {"price_all_Postav_Check_sootv", "price_all", "Postavshik,Check_sootv"},
        {"sootv_Code", "sootv", "Code"},
        {"sootv_Postav_Art", "sootv", "Postavshik,Art"},
        {"sootv_Postav_Tovar", "sootv", "Postavshik,Tovar"},
        {"Sootv_All_Code", "Sootv_All", "Code"},
        {"Sootv_All_Number_ost", "Sootv_All", "Number_ost"},
        {"MinPrice_Group_Kategor_Postav", "MinPrice_Group", "Kategor,Postavshik"},
    };
    for (const IndexCase& i : cases) {
        EXPECT_EQ(c.scalar(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type='index' AND name=?1"),
                           {QString::fromUtf8(i.index)})
                      .toString(),
                  QString::fromUtf8(i.table))
            << i.index;
        EXPECT_EQ(c.scalar(QStringLiteral("SELECT group_concat(name) FROM pragma_index_info(?1)"),
                           {QString::fromUtf8(i.index)})
                      .toString(),
                  QString::fromUtf8(i.columns))
            << i.index;
    }
}

TEST_F(StorageTest, IndexedLookupsFindEveryCaseOfACyrillicName)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    db::Connection c(path(QStringLiteral("PRICE.vdb")));
    const QStringList names = {"Альфа", "альфа", "Бета", "АЛЬФА", "ёлка", "Ёлка", "ООО Б", "ООО а", "Zeta", "zeta"};
    {
        db::Transaction t(c);
        db::Statement insert =
            c.prepare(QStringLiteral("INSERT INTO AllTovarPostav (Postavshik, Art, Tovar) VALUES (?1, ?1, ?1)"));
        for (int round = 0; round < 30; ++round)
            for (const QString& name : names) {
                insert.bindText(1, name).execute();
                insert.reset();
            }
        t.commit();
    }
    EXPECT_EQ(c.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    struct Lookup {
        const char* name;
        int rows;
    };
    for (const Lookup& l : {Lookup{"альфа", 90}, Lookup{"ЁЛКА", 60}, Lookup{"ооо б", 30}, Lookup{"ZETA", 60}})
        for (const char* column : {"Postavshik", "Art", "Tovar"})
            EXPECT_EQ(c.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav WHERE %1 = ?1").arg(QLatin1String(column)),
                               {QString::fromUtf8(l.name)})
                          .toInt(),
                      l.rows)
                << l.name << " in " << column;
}

TEST_F(StorageTest, SettingNamesAreUniqueWithoutCase)
{
    createOrderDatabase(path(QStringLiteral("BaseZakaz.vdb")));
    db::Connection c(path(QStringLiteral("BaseZakaz.vdb")));
    c.exec(QStringLiteral("INSERT INTO settings (ParName) VALUES ('Поставщик_DataLoad')"));
    EXPECT_THROW(c.exec(QStringLiteral("INSERT INTO settings (ParName) VALUES ('ПОСТАВЩИК_dataload')")), db::DbError);
}

TEST_F(StorageTest, NewRowsGetTheDefaultsOfTheirColumns)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    createOrderDatabase(path(QStringLiteral("BaseZakaz.vdb")));
    db::Connection price(path(QStringLiteral("PRICE.vdb")));
    db::Connection order(path(QStringLiteral("BaseZakaz.vdb")));
    const double now = price.scalar(QStringLiteral("SELECT Now()")).toDouble();

    price.exec(QStringLiteral("INSERT INTO AllTovarValuta (ID_Tovar) VALUES (7)"));
    db::Statement v = price.prepare(
        QStringLiteral("SELECT Price, Pricemax, Valuta, PriceConversion, Nacen, Dates FROM AllTovarValuta"));
    ASSERT_TRUE(v.step());
    EXPECT_EQ(v.value(0), QVariant(0.0));
    EXPECT_EQ(v.value(2), QVariant(QString()));
    EXPECT_EQ(v.value(4), QVariant(qlonglong(0)));
    EXPECT_NEAR(v.number(5), now, 1.0 / 24 / 60);

    order.exec(QStringLiteral("INSERT INTO AllZakazFull (ZakazNumber) VALUES (1)"));
    db::Statement z = order.prepare(QStringLiteral("SELECT ID, TovarNumber, Art, Quantity, Obrab FROM AllZakazFull"));
    ASSERT_TRUE(z.step());
    EXPECT_EQ(z.integer(0), 1);
    EXPECT_TRUE(z.isNull(1));
    EXPECT_EQ(z.text(2), QString());
    EXPECT_EQ(z.value(3), QVariant(1.0));
    EXPECT_EQ(z.value(4), QVariant(qlonglong(0)));
}

TEST_F(StorageTest, CriteriaAndExclusionWordsAreNeverNull)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    db::Connection c(path(QStringLiteral("PRICE.vdb")));
    c.exec(QStringLiteral("INSERT INTO krit (Code_krit, Krit_1) VALUES (7, 'ram'); INSERT INTO kritiskl (Code_KritIskl) VALUES (7)"));
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT Krit_1 || '+' || Krit_2 || Krit_3 || Krit_4 || Krit_5 || '+' FROM krit")).toString(),
              QStringLiteral("ram++"));
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT KritIskl = '' FROM kritiskl")).toInt(), 1);
    EXPECT_THROW(c.exec(QStringLiteral("INSERT INTO krit (Code_krit, Krit_2) VALUES (7, NULL)")), db::DbError);
}

TEST_F(StorageTest, ParametersStartWithTheirSixBlankRows)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    db::Connection c(path(QStringLiteral("PRICE.vdb")));
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT group_concat(Id) FROM parametr")).toString(), QStringLiteral("1,2,3,4,5,6"));
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT count(*) FROM parametr WHERE Name_out=' ' AND Nacen_out=0 AND Path=' '"
                                      " AND FileName=' ' AND SheetName=' ' AND Dates=0"))
                  .toInt(),
              6);
}

// Another SQLite client reads every row without the program's extension,
// fails loudly where a comparison needs its collation, and with the
// extension runs everything.
TEST_F(StorageTest, AnotherClientFailsLoudlyWithoutTheExtensionAndWorksWithIt)
{
    createPriceDatabase(path(QStringLiteral("PRICE.vdb")));
    struct Case {
        const char* sql;
        bool needsCollation;
    };
    const Case cases[] = {
        {"SELECT * FROM AllTovarPostav", false},
        {"SELECT * FROM AllPostavSetup ORDER BY Id", false},
        {"SELECT * FROM AllTovarPostav WHERE Postavshik = 'x'", true},
        {"INSERT INTO AllTovarValuta (ID_Tovar) VALUES (1)", true}, // its Valuta index
        {"INSERT INTO AllPriceHistory (Postavshik) VALUES ('x')", true},
        {"PRAGMA integrity_check", true},
    };
    for (const bool withExtension : {false, true}) {
        RawSqlite raw(path(QStringLiteral("PRICE.vdb")));
        if (withExtension)
            ASSERT_EQ(raw.loadTextExtension(), "");
        for (const Case& c : cases) {
            const std::string error = raw.run(c.sql);
            if (withExtension || !c.needsCollation)
                EXPECT_EQ(error, "") << c.sql;
            else
                EXPECT_EQ(error, "no such collation sequence: UNOCASE") << c.sql;
        }
    }
}

TEST_F(StorageTest, NewDatabaseIsOneSelfContainedFile)
{
    const QString file = path(QStringLiteral("PRICE.vdb"));
    createPriceDatabase(file);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("PRICE.vdb")});
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray header = f.read(20);
    EXPECT_TRUE(header.startsWith("SQLite format 3"));
    EXPECT_EQ(int(header[18]), 1) << "rollback journal, not WAL";
}

TEST_F(StorageTest, CreatingNeverReplacesAnExistingFile)
{
    const QString file = path(QStringLiteral("BaseZakaz.vdb"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's orders");
    }
    EXPECT_THROW(createOrderDatabase(file), db::DbError);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("the user's orders"));
}

TEST_F(StorageTest, FolderThatCannotTakeTheFileGivesAClearErrorAndLeavesNothing)
{
    // A "folder" that is a plain file can never hold one, whoever runs the test.
    const QString notAFolder = path(QStringLiteral("data"));
    {
        QFile f(notAFolder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    try {
        createPriceDatabase(notAFolder + QStringLiteral("/PRICE.vdb"));
        FAIL() << "created a file inside a file";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.message().contains(notAFolder)) << e.what();
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("data")});
}

TEST_F(StorageTest, ReadOnlyFolderGivesAClearErrorAndKeepsItsFiles)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind root";
    const QString folder = path(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        QFile f(folder + QStringLiteral("/Path.dat"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_THROW(createPriceDatabase(folder + QStringLiteral("/PRICE.vdb")), db::DbError);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("Path.dat")});
}

TEST(SchemaCode, DefinitionsAreFoundByNameAndUnknownNamesAreRefused)
{
    EXPECT_EQ(priceTable(QStringLiteral("alltovarpostav")).name, QStringLiteral("AllTovarPostav"));
    EXPECT_EQ(orderTable(QStringLiteral("AllZakazFull")).columns.size(), 16);
    EXPECT_THROW(priceTable(QStringLiteral("AllZakazFull")), std::logic_error);
    EXPECT_NE(priceTable(QStringLiteral("settings")).column(QStringLiteral("typeboolean")), nullptr);
}

} // namespace
