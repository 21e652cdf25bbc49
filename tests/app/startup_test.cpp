// Start-up without a window: databases, role, shared copy, settings.
#include "app/app_globals.h"
#include "app/choose_database.h"
#include "app/shutdown.h"
#include "app/startup_databases.h"
#include "app/startup_settings.h"
#include "../common/leftovers.h"
#include "app_test_support.h"
#include "platform/files/ini_file.h"

#include <QFileInfo>

#include <functional>
#include <optional>

using namespace velmora;
using namespace velmora::testing;

namespace {

const QString CR = QStringLiteral("\r");

QString S1()
{
    return QStringLiteral("Произошла ошибка при подключении к базе данных \"BaseZakaz.vdb\"\rобратитесь к разработчику!");
}
QString S2(const QString& path) { return QStringLiteral("Отсутствует файл базы данных:\r") + path + QStringLiteral("\rзапуск программы невозможен!"); }
QString S3(const QString& path) { return QStringLiteral("Отсутствует база с прайс-листами:\r") + path; }
QString S4(const QString& program) { return QStringLiteral("Подключена база \"по-умолчанию\"!:\r") + program + QStringLiteral("PRICE.vdb"); }
QString S5(const QString& program)
{
    return QStringLiteral("Не удалось скопировать базу \"по-умолчанию\"\r") + program
        + QStringLiteral("PRICE.vdb\r\rзапуск программы невозможен!");
}
QString S6() { return QStringLiteral("Скопирована база \"по-умолчанию\"!"); }
QString S7(const QString& path)
{
    return QStringLiteral("Произошла ошибка при подключении к базе данных \r") + path
        + QStringLiteral("\r\rобратитесь к разработчику!");
}

void writeGarbage(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
}

// One start as the main window's create handler runs it, minus the window.
struct StartupRun {
    AppGlobals globals;
    db::Connection priceDb;
    db::Connection orderDb;
    QStringList messages;
    int chooserCalls = 0;
    DatabaseStartup databases;
    StartupSettings settings;
    bool completed = false;

    void run(const Installation& inst, const QString& user)
    {
        const MessageSink sink = [this](const QString& text) { messages << text; };
        const StartupFolders folders{inst.program, inst.data, user};
        databases = openStartupDatabases(folders, priceDb, orderDb, globals, sink, [this] {
            ++chooserCalls;
            return false;
        });
        if (!databases.connected)
            return;
        settings = loadStartupSettings(folders, databases, priceDb, orderDb, globals, sink);
        completed = true;
    }

    bool orderSetting(const QString& name)
    {
        return SettingsStore(orderDb).readBoolean(name, QStringLiteral("0"));
    }
    QString workingMarker()
    {
        return priceDb.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = 'Marker'")).toString();
    }
};

struct StartupCase {
    const char* name;
    QString user;
    std::function<void(const Installation&)> arrange;
    bool completes;
    std::function<QStringList(const Installation&)> expectedMessages;
    std::function<void(const Installation&, StartupRun&)> verify;
};

// A second user's installation: anna is the administrator, the shared
// database and the user's older working copy carry markers.
void arrangeSecondUser(const Installation& inst)
{
    inst.setUserKey(QStringLiteral("UserAdminName"), QStringLiteral("anna"));
    inst.makePriceDatabase(inst.data + QStringLiteral("PRICE.vdb"), QStringLiteral("local"));
    inst.makePriceDatabase(inst.shared + QStringLiteral("PRICE.vdb"), QStringLiteral("shared"));
    // A line end after the path is tolerated and dropped by the rewrite.
    writeCp1251(inst.program + QStringLiteral("Path.dat"), inst.shared + QStringLiteral("PRICE.vdb\r\n"));
}

const std::vector<StartupCase>& startupCases()
{
    static const std::vector<StartupCase> cases = {
        {"FreshInstallation", QStringLiteral("Анна"), [](const Installation&) {}, true,
         [](const Installation&) { return QStringList{S6()}; },
         [](const Installation& inst, StartupRun& run) {
             EXPECT_TRUE(QFileInfo(inst.data + "BaseZakaz.vdb").isFile());
             EXPECT_TRUE(QFileInfo(inst.data + "PRICE.vdb").isFile());
             EXPECT_TRUE(run.globals.IsLoadAdmin);
             EXPECT_TRUE(run.orderSetting("LoadBasePostav"));
             QFile ini(inst.userIni());
             ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
             const QByteArray bytes = ini.readAll();
             EXPECT_TRUE(bytes.contains(encodeCp1251(QStringLiteral("UserAdminName=Анна\r\n"))));
             EXPECT_TRUE(bytes.contains(encodeCp1251(QStringLiteral("\r\nТальверон=0\r\n"))));
             EXPECT_EQ(run.globals.UserIniPath, inst.program + "SetupUser.ini");
             EXPECT_EQ(run.globals.PriceListIniPath, inst.program + "SetupPriceList.ini");
             EXPECT_EQ(run.globals.PathDatFile, inst.program + "Path.dat");
         }},
        {"SecondUserGetsSharedCopy", QStringLiteral("boris"), arrangeSecondUser, true,
         [](const Installation&) { return QStringList{}; },
         [](const Installation& inst, StartupRun& run) {
             EXPECT_FALSE(run.globals.IsLoadAdmin);
             EXPECT_FALSE(run.orderSetting("LoadBasePostav"));
             EXPECT_EQ(run.workingMarker(), "shared");
             EXPECT_EQ(run.databases.sharedDatabasePath, inst.shared + "PRICE.vdb");
             EXPECT_EQ(ReadIniString(inst.userIni(), "SetupUsers", "", "UserAdminName"), "anna");
             QFile pathDat(inst.program + "Path.dat");
             ASSERT_TRUE(pathDat.open(QIODevice::ReadOnly));
             EXPECT_EQ(pathDat.readAll(), encodeCp1251(inst.shared + "PRICE.vdb"));
         }},
        {"AdministratorNameComparesExactly", QStringLiteral("Anna"),
         [](const Installation& inst) { inst.setUserKey("UserAdminName", "anna"); }, true,
         [](const Installation&) { return QStringList{S6()}; },
         [](const Installation&, StartupRun& run) { EXPECT_FALSE(run.globals.IsLoadAdmin); }},
        {"AdministratorIgnoresPathDat", QStringLiteral("anna"),
         [](const Installation& inst) {
             arrangeSecondUser(inst);
         },
         true, [](const Installation&) { return QStringList{}; },
         [](const Installation&, StartupRun& run) {
             EXPECT_TRUE(run.globals.IsLoadAdmin);
             EXPECT_EQ(run.workingMarker(), "local");
         }},
        // The administrator chose a database and restarted: he works on it.
        {"AdministratorsOwnChoiceTakesEffect", QStringLiteral("anna"),
         [](const Installation& inst) {
             arrangeSecondUser(inst);
             inst.makePriceDatabase(inst.shared + "chosen.vdb", "chosen");
             WritePathDat(inst.data + "Path.dat", inst.shared + "chosen.vdb");
         },
         true, [](const Installation&) { return QStringList{}; },
         [](const Installation& inst, StartupRun& run) {
             EXPECT_EQ(run.workingMarker(), "chosen");
             EXPECT_EQ(run.priceDb.path(), inst.shared + "chosen.vdb");
         }},
        {"AdministratorsChosenDatabaseGoneLeavesTheWorkingCopy", QStringLiteral("anna"),
         [](const Installation& inst) {
             arrangeSecondUser(inst);
             WritePathDat(inst.data + "Path.dat", inst.shared + "gone.vdb");
         },
         true, [](const Installation& inst) { return QStringList{S3(inst.shared + "gone.vdb")}; },
         [](const Installation&, StartupRun& run) { EXPECT_EQ(run.workingMarker(), "local"); }},
        {"UserChoiceInDataFolderWins", QStringLiteral("boris"),
         [](const Installation& inst) {
             arrangeSecondUser(inst);
             WritePathDat(inst.program + "Path.dat", inst.shared + "gone.vdb");
             inst.makePriceDatabase(inst.shared + "chosen.vdb", "chosen");
             WritePathDat(inst.data + "Path.dat", inst.shared + "chosen.vdb");
         },
         true, [](const Installation&) { return QStringList{}; },
         [](const Installation&, StartupRun& run) { EXPECT_EQ(run.workingMarker(), "chosen"); }},
        {"PathDatNamesMissingFileWithoutWorkingCopy", QStringLiteral("boris"),
         [](const Installation& inst) {
             inst.setUserKey("UserAdminName", "anna");
             WritePathDat(inst.program + "Path.dat", inst.shared + "gone.vdb");
         },
         true, [](const Installation& inst) { return QStringList{S3(inst.shared + "gone.vdb"), S4(inst.program)}; },
         [](const Installation&, StartupRun& run) { EXPECT_EQ(run.workingMarker(), ""); }},
        {"PathDatNamesMissingFileKeepsWorkingCopy", QStringLiteral("boris"),
         [](const Installation& inst) {
             arrangeSecondUser(inst);
             WritePathDat(inst.program + "Path.dat", inst.shared + "gone.vdb");
         },
         true, [](const Installation& inst) { return QStringList{S3(inst.shared + "gone.vdb")}; },
         [](const Installation&, StartupRun& run) { EXPECT_EQ(run.workingMarker(), "local"); }},
        {"UnreadableSharedDatabaseOffersChoice", QStringLiteral("boris"),
         [](const Installation& inst) {
             inst.setUserKey("UserAdminName", "anna");
             writeGarbage(inst.shared + "PRICE.vdb");
             WritePathDat(inst.program + "Path.dat", inst.shared + "PRICE.vdb");
         },
         true, [](const Installation&) { return QStringList{S6()}; },
         [](const Installation&, StartupRun& run) { EXPECT_EQ(run.chooserCalls, 1); }},
        {"ProgramFolderLacksOrderDatabase", QStringLiteral("anna"),
         [](const Installation& inst) { QFile::remove(inst.program + "BaseZakaz.vdb"); }, false,
         [](const Installation& inst) { return QStringList{S2(inst.program + "BaseZakaz.vdb")}; },
         [](const Installation& inst, StartupRun& run) {
             // The program ends right there: no role, no price database.
             EXPECT_FALSE(run.orderDb.isOpen());
             EXPECT_FALSE(run.priceDb.isOpen());
             EXPECT_FALSE(QFileInfo::exists(inst.data + "PRICE.vdb"));
             EXPECT_EQ(ReadIniString(inst.userIni(), "SetupUsers", "", "UserAdminName"), "");
         }},
        {"CorruptWorkingOrderDatabase", QStringLiteral("anna"),
         [](const Installation& inst) { writeGarbage(inst.data + "BaseZakaz.vdb"); }, false,
         [](const Installation&) { return QStringList{S1()}; },
         [](const Installation&, StartupRun& run) { EXPECT_FALSE(run.priceDb.isOpen()); }},
        {"CorruptWorkingPriceDatabase", QStringLiteral("anna"),
         [](const Installation& inst) { writeGarbage(inst.data + "PRICE.vdb"); }, false,
         [](const Installation& inst) { return QStringList{S7(inst.data + "PRICE.vdb")}; },
         [](const Installation&, StartupRun& run) { EXPECT_FALSE(run.priceDb.isOpen()); }},
        {"ProgramFolderLacksPriceDatabase", QStringLiteral("anna"),
         [](const Installation& inst) { QFile::remove(inst.program + "PRICE.vdb"); }, false,
         [](const Installation& inst) { return QStringList{S5(inst.program)}; },
         [](const Installation&, StartupRun& run) { EXPECT_FALSE(run.priceDb.isOpen()); }},
    };
    return cases;
}

class StartupTable : public ::testing::TestWithParam<StartupCase> {};

TEST_P(StartupTable, OpensDatabasesAndSettlesRole)
{
    const StartupCase& c = GetParam();
    Installation inst;
    c.arrange(inst);
    StartupRun run;
    run.run(inst, c.user);
    EXPECT_EQ(run.completed, c.completes);
    EXPECT_EQ(run.messages, c.expectedMessages(inst));
    c.verify(inst, run);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupTable, ::testing::ValuesIn(startupCases()),
                         [](const auto& info) { return std::string(info.param.name); });

struct SwitchCase {
    const char* name;
    QString key;
    std::optional<QString> value; // nullopt: key missing
    bool on;
};

TEST(SharedDatabase, ACopyOpenElsewhereArrivesWhole)
{
    Installation inst;
    arrangeSecondUser(inst);
    // The administrator's program holds the shared file open; its latest
    // change still sits in the write-ahead log, not in the file itself.
    db::Connection administrator(inst.shared + "PRICE.vdb");
    WritePriceDbSetting(administrator, "Marker", "TypeText", "latest");
    ASSERT_TRUE(QFileInfo(inst.shared + "PRICE.vdb-wal").size() > 0);

    StartupRun run;
    run.run(inst, QStringLiteral("boris"));
    ASSERT_TRUE(run.completed);
    EXPECT_EQ(run.workingMarker(), "latest");
}

TEST(ClientSwitches, OnlyTheExactTextOneTurnsASwitchOn)
{
    const std::vector<SwitchCase> cases = {
        {"one", QStringLiteral("Тальверон"), QStringLiteral("1"), true},
        {"leading zero", QStringLiteral("Тальверон"), QStringLiteral("01"), false},
        {"yes", QStringLiteral("Тальверон"), QStringLiteral("yes"), false},
        {"zero", QStringLiteral("Тальверон"), QStringLiteral("0"), false},
        {"missing", QStringLiteral("Тальверон"), std::nullopt, false},
        {"blanks are trimmed", QStringLiteral("Тальверон"), QStringLiteral(" 1 "), true},
        {"Ormita", QStringLiteral("Ormita-Club"), QStringLiteral("1"), true},
        {"BrendPriory", QStringLiteral("BrendPriory"), QStringLiteral("1"), true},
        {"Quorvel", QStringLiteral("Quorvel"), QStringLiteral("1"), true},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        if (c.value)
            inst.setUserKey(c.key, *c.value);
        else
            inst.removeUserKey(c.key);
        StartupRun run;
        run.run(inst, QStringLiteral("anna"));
        ASSERT_TRUE(run.completed);
        const AppGlobals& g = run.globals;
        const bool switchValue = c.key == QStringLiteral("Тальверон") ? g.ClientModeOrderLayouts
            : c.key == QStringLiteral("Ormita-Club")                  ? g.ClientModeOrmita
            : c.key == QStringLiteral("BrendPriory")                  ? g.BrendPrioryOn
                                                                      : g.ClientModeQuorvel;
        EXPECT_EQ(switchValue, c.on);
        EXPECT_EQ(int(g.ClientModeOrderLayouts) + g.ClientModeOrmita + g.BrendPrioryOn + g.ClientModeQuorvel,
                  c.on ? 1 : 0);
    }
}

TEST(SearchOptions, OfSeveralTrueRadioSettingsTheLastWins)
{
    struct Row {
        bool art, name, all;
        SearchRadio expected;
    };
    for (const Row& row : std::vector<Row>{{true, true, true, SearchRadio::TovarAll},
                                           {true, true, false, SearchRadio::TovarName},
                                           {true, false, false, SearchRadio::TovarArt},
                                           {false, true, true, SearchRadio::TovarAll},
                                           {false, false, false, SearchRadio::None}})
        EXPECT_EQ(chooseSearchRadio(row.art, row.name, row.all), row.expected);

    // A fresh installation holds all three as true.
    Installation inst;
    StartupRun run;
    run.run(inst, QStringLiteral("anna"));
    ASSERT_TRUE(run.completed);
    EXPECT_EQ(run.settings.searchRadio, SearchRadio::TovarAll);
    EXPECT_FALSE(run.settings.findUp);
    EXPECT_TRUE(run.settings.autoSaveIniFile);
}

TEST(CachedSettings, StoredValuesAndColoursAreRead)
{
    Installation inst;
    {
        StartupRun first;
        first.run(inst, QStringLiteral("anna"));
        ASSERT_TRUE(first.completed);
        EXPECT_EQ(first.globals.OldTovarDays, 90);
        EXPECT_EQ(first.globals.OldTovarColorValue, QColor(255, 0, 0)); // "$0000FF" is red
        EXPECT_EQ(first.globals.SaleTovarColorValue, QColor(0, 0, 255));
        EXPECT_DOUBLE_EQ(first.globals.KursRUBRate, 27.0);
        WriteSetting(first.orderDb, "OldTovarDay", "TypeInteger", "30");
        WriteSetting(first.orderDb, "OldTovarColor", "TypeText", "clGreen");
        WriteSetting(first.orderDb, "KursRUB", "TypeCurrency", "31,5");
        WriteSetting(first.orderDb, "RoundingDegree", "TypeInteger", "-1");
        WriteSetting(first.orderDb, "Edit_Sale", "TypeText", "Склад-Юг");
        first.priceDb.exec("INSERT INTO price_main (Code, Tovar, Sale) VALUES (1, 'a', 0), (2, 'b', 1), (3, 'c', 0)");
        first.priceDb.exec("INSERT INTO svod (Code_sootv, Postavshik) VALUES (1, 'склад-юг'), (3, 'Другой')");
    }
    StartupRun second;
    second.run(inst, QStringLiteral("anna"));
    ASSERT_TRUE(second.completed);
    EXPECT_EQ(second.globals.OldTovarDays, 30);
    EXPECT_EQ(second.globals.OldTovarColorValue, QColor(0, 128, 0));
    EXPECT_DOUBLE_EQ(second.globals.KursRUBRate, 31.5);
    EXPECT_EQ(second.globals.RoundDigits, -1);
    EXPECT_EQ(second.globals.SaleSupplierName, "Склад-Юг");
    // Sale marks: only the good the sale supplier offers (names without case).
    db::Statement sale = second.priceDb.prepare("SELECT Code FROM price_main WHERE Sale <> 0 ORDER BY Code");
    QList<qint64> codes;
    while (sale.step())
        codes << sale.integer(0);
    EXPECT_EQ(codes, QList<qint64>{1});
}

TEST(SecondStart, ChangesNothingInTheDatabases)
{
    for (const QString& user : {QStringLiteral("anna"), QStringLiteral("boris")}) {
        SCOPED_TRACE(user.toStdString());
        Installation inst;
        arrangeSecondUser(inst);
        if (user == QStringLiteral("anna"))
            inst.setUserKey("UserAdminName", QString());
        auto startAndDump = [&] {
            StartupRun run;
            run.run(inst, user);
            EXPECT_TRUE(run.completed);
            readShowSettings(run.orderDb, run.priceDb);
            return std::make_pair(dumpDatabase(run.priceDb), dumpDatabase(run.orderDb));
        };
        const auto first = startAndDump();
        const auto second = startAndDump();
        EXPECT_EQ(first.first, second.first);
        EXPECT_EQ(first.second, second.second);
    }
}

TEST(StartupLeftovers, WhatKilledRunsLeftInTheDataFolderGoesAndNothingElse)
{
    Installation inst;
    QDir().mkpath(inst.data);
    auto touch = [&](const QString& name) {
        QDir().mkpath(QFileInfo(inst.data + name).path());
        QFile file(inst.data + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write("left");
    };
    const QStringList leftovers = {
        "PRICE.vdb.AbCdEf.part", "PRICE.vdb.AbCdEf.part-journal", // a restore or a copy
        "BaseZakaz.vdb.GhIjKl.part",                              // a copy
        "mdbMnOpQr", "mdbMnOpQr-journal",                         // a compaction
        "BaseTemp.vdb", "BaseTemp.vdb-journal",                   // a save
        "base.StUvWx.unpack/base/PRICE.vdb",                      // an unpack
    };
    const QStringList others = {"PRICE.vdb.bak", "mdb", "mdbnotes.txt", "notes.part", "base/PRICE.vdb"};
    for (const QString& name : leftovers + others)
        touch(name);

    StartupRun run;
    run.run(inst, QStringLiteral("anna"));
    EXPECT_TRUE(run.completed);
    run.priceDb.close();
    run.orderDb.close();

    QStringList expected = others;
    expected << "BaseZakaz.vdb" << "PRICE.vdb" << "base";
    expected.sort();
    EXPECT_EQ(everythingBelow(inst.data), expected);
}

TEST(CloseDecision, PriceListFileOnlyForAnAdministratorsEditWithAutoSave)
{
    Installation inst;
    StartupRun run;
    run.run(inst, QStringLiteral("anna"));
    ASSERT_TRUE(run.completed);
    for (int bits = 0; bits < 8; ++bits) {
        const bool changed = bits & 1, admin = bits & 2, autoSave = bits & 4;
        SCOPED_TRACE(::testing::Message() << "changed=" << changed << " admin=" << admin << " autosave=" << autoSave);
        WriteSetting(run.orderDb, "CheckBox_AutoSaveIniFile", "TypeBoolean", "-1");
        AppGlobals g;
        g.PriceListSettingsChanged = changed;
        g.IsLoadAdmin = admin;
        g.AutoSaveIni = autoSave;
        g.PriceListIniPath = QStringLiteral("/elsewhere/SetupPriceList.ini");
        const bool due = closeDownSettings(run.orderDb, g, inst.program);
        EXPECT_EQ(due, changed && admin && autoSave);
        EXPECT_EQ(g.PriceListIniPath, due ? inst.program + "SetupPriceList.ini" : "/elsewhere/SetupPriceList.ini");
        EXPECT_EQ(run.orderSetting("CheckBox_AutoSaveIniFile"), admin);
    }
}

struct ChooseCase {
    const char* name;
    std::function<QString(const Installation&)> chosen;
    ChooseOutcome outcome;
    QString markerAfter;
};

TEST(ChooseDatabase, AFailedOrCancelledChoiceKeepsThePreviousDatabase)
{
    const std::vector<ChooseCase> cases = {
        {"cancelled", [](const Installation&) { return QString(); }, ChooseOutcome::NotFound, "local"},
        {"missing", [](const Installation& i) { return i.shared + "gone.vdb"; }, ChooseOutcome::NotFound, "local"},
        {"not a database",
         [](const Installation& i) {
             writeGarbage(i.shared + "junk.vdb");
             return i.shared + "junk.vdb";
         },
         ChooseOutcome::Failed, "local"},
        {"valid", [](const Installation& i) { return i.shared + "PRICE.vdb"; }, ChooseOutcome::Connected, "shared"},
    };
    for (const ChooseCase& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        arrangeSecondUser(inst);
        db::Connection priceDb(inst.data + "PRICE.vdb");
        const QString chosen = c.chosen(inst);
        const ChooseResult result = connectChosenDatabase(priceDb, chosen, inst.data, {});
        EXPECT_EQ(result.outcome, c.outcome);
        ASSERT_TRUE(priceDb.isOpen());
        EXPECT_EQ(priceDb.scalar("SELECT TypeText FROM settings WHERE ParName = 'Marker'").toString(), c.markerAfter);
        const bool remembered = QFileInfo::exists(inst.data + "Path.dat");
        EXPECT_EQ(remembered, c.outcome == ChooseOutcome::Connected);
        if (remembered) {
            EXPECT_EQ(ReadPathDat(inst.data + "Path.dat"), chosen);
        }
    }
}

TEST(ChooseDatabase, ArchiveNamesGoThroughTheResolver)
{
    Installation inst;
    arrangeSecondUser(inst);
    db::Connection priceDb(inst.data + "PRICE.vdb");
    QString asked;
    const ChooseResult result = connectChosenDatabase(priceDb, inst.shared + "base.zip", inst.data, [&](const QString& name) {
        asked = name;
        return inst.shared + "PRICE.vdb";
    });
    EXPECT_EQ(asked, inst.shared + "base.zip");
    EXPECT_EQ(result.outcome, ChooseOutcome::Connected);
    EXPECT_EQ(result.path, inst.shared + "PRICE.vdb");
}

} // namespace
