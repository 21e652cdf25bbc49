// The export run: the output price table, price.dbf, the managers'
// database and the catalogue workbook, each file read back by its own
// independent reader; the run's switches, dates and failures.
#include "output_test_support.h"
#include "pricing_fixture.h"

#include "output/export/export_run.h"
#include "output/output_error.h"
#include "output/dbase/tdbf.h"
#include "platform/files/leftovers.h"

#include "../common/leftovers.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/file.h>

#include <stdexcept>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::ToolRun;
using velmora::output::test::readBytes;
using velmora::output::test::runTool;

namespace {

QJsonObject readJson(const QString& script, const QString& path)
{
    const ToolRun run = runTool(QStringLiteral("/usr/bin/python3"), {script, path});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    return QJsonDocument::fromJson(run.output).object();
}

QJsonObject readDbf(const QString& path)
{
    return readJson(QStringLiteral(VELMORA_TEST_DATA "/../output/dbf_dump.py"), path);
}

QJsonObject readXlsx(const QString& path)
{
    return readJson(QStringLiteral(VELMORA_TEST_DATA "/../spreadsheet/dump_xlsx.py"), path);
}

class FailingBar : public Progress {
public:
    explicit FailingBar(int failAt) : failAt_(failAt) {}
    void start(const QString&, int) override {}
    void step(int) override
    {
        if (++calls_ == failAt_)
            throw std::runtime_error("stopped");
    }

private:
    int failAt_;
    int calls_ = 0;
};

class ExportRunTest : public PricingTest {
protected:
    void SetUp() override
    {
        PricingTest::SetUp();
        ASSERT_TRUE(program.isValid());
        input.programFolder = program.path();
        input.today = kToday;
        input.switches.recalcPrices = false;
        input.notify = [this](const QString& text) { notices << text; };
        input.phase = [this](const QString& text) { phases << text; };
        const int markups[] = {0, 5, 10, 20};
        for (int id = 1; id <= 4; ++id)
            exec(QStringLiteral("UPDATE parametr SET Name_out = ?1, Nacen_out = ?2 WHERE Id = ?3"),
                 {QStringLiteral("Цена %1").arg(id), markups[id - 1], id});
    }
    // A > B > C and A > D, with goods in C and D.
    void makeCatalogue()
    {
        addGroup(1, 0, 1, QStringLiteral("Бытовая техника"));
        addGroup(2, 1, 1, QStringLiteral("Кухня"));
        addGroup(3, 2, 1, QStringLiteral("Чайники"));
        addGroup(4, 1, 2, QStringLiteral("Уборка"));
        addGroup(5, 0, 2, QStringLiteral("Пустая"));
        int code = 10;
        for (const char* name : {"яблоко", "Арбуз", "ёлка", "банан"})
            addGood(++code, 3, QString::fromUtf8(name), 100, 10);
        addGood(20, 4, QStringLiteral("Пылесос"), 100, 10, false, QStringLiteral("ABCDEFGHIJKL"));
    }
    ExportRunResult run() { return RunExport(priceDb, input, nullptr); }
    QString dates() { return queryRows(priceDb, QStringLiteral("SELECT Dates FROM parametr ORDER BY Id")).join(u','); }

    QTemporaryDir program;
    ExportRunInput input;
    QStringList notices;
    QStringList phases;
};

TEST_F(ExportRunTest, OutputPricesCarryBothMarkupsRounded)
{
    makeCatalogue();
    const ExportRunResult result = run();
    EXPECT_EQ(result.priceOut.groups, 5);
    EXPECT_EQ(result.priceOut.goods, 5);
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT DISTINCT Price_1, Price_2, Price_3, Price_4 FROM Price_Out")),
              QStringList{QStringLiteral("110.0|115.5|121.0|132.0")});
    EXPECT_EQ(phases, QStringList{kPhasePrepare});
    EXPECT_TRUE(notices.isEmpty());

    // A missing row of parametr is markup 0.
    exec(QStringLiteral("DELETE FROM parametr WHERE Id = 4"));
    run();
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT DISTINCT Price_4 FROM Price_Out")),
              QStringList{QStringLiteral("110.0")});
}

TEST_F(ExportRunTest, GoodsEnterInAlphabeticalOrderWithTheNamesOfTheirLevels)
{
    makeCatalogue();
    run();
    EXPECT_EQ(queryRows(priceDb, QStringLiteral("SELECT Tovar, NameKat0, NameKat1, NameKat2, NameKat3 FROM Price_Out "
                                                "ORDER BY ID")),
              (QStringList{"Арбуз|Бытовая техника|Кухня|Чайники|", "банан|Бытовая техника|Кухня|Чайники|",
                           "ёлка|Бытовая техника|Кухня|Чайники|", "яблоко|Бытовая техника|Кухня|Чайники|",
                           // D follows C: C's name does not carry over.
                           "Пылесос|Бытовая техника|Уборка||"}));
}

TEST_F(ExportRunTest, LevelsBelowTheTenthShareTheLastName)
{
    for (int level = 1; level <= 11; ++level) {
        addGroup(level, level - 1, 1, QStringLiteral("Уровень %1").arg(level));
        addGood(100 + level, level, QStringLiteral("Товар %1").arg(level));
    }
    run();
    const QStringList rows = queryRows(
        priceDb, QStringLiteral("SELECT Tovar, NameKat0, NameKat8, NameKat9 FROM Price_Out ORDER BY ID"));
    ASSERT_EQ(rows.size(), 11);
    EXPECT_EQ(rows.at(0), QStringLiteral("Товар 1|Уровень 1||"));
    EXPECT_EQ(rows.at(8), QStringLiteral("Товар 9|Уровень 1|Уровень 9|"));
    EXPECT_EQ(rows.at(9), QStringLiteral("Товар 10|Уровень 1|Уровень 9|Уровень 10"));
    EXPECT_EQ(rows.at(10), QStringLiteral("Товар 11|Уровень 1|Уровень 9|Уровень 11"));
}

TEST_F(ExportRunTest, EachSwitchDatesItsOwnRowOnly)
{
    makeCatalogue();
    run();
    EXPECT_EQ(dates(), QStringLiteral("0,0,0,0,0,0"));
    EXPECT_TRUE(QDir(program.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    const QString day = QString::number(today());
    input.switches.dbf = true;
    run();
    EXPECT_EQ(dates(), QStringLiteral("0,%1,0,0,0,0").arg(day));

    bool writerCalled = false;
    input.switches = {};
    input.switches.recalcPrices = false;
    input.switches.priceList = true;
    input.priceList = [&](Progress*) {
        writerCalled = true;
        return false;
    };
    EXPECT_FALSE(run().priceListSaved);
    EXPECT_TRUE(writerCalled);
    EXPECT_EQ(dates(), QStringLiteral("0,%1,0,0,0,0").arg(day));
    input.priceList = [](Progress*) { return true; };
    EXPECT_TRUE(run().priceListSaved);
    EXPECT_EQ(dates(), QStringLiteral("%1,%1,0,0,0,0").arg(day));

    input.switches.priceList = false;
    input.switches.managersDatabase = true;
    input.switches.recalcPrices = true;
    run();
    EXPECT_EQ(dates(), QStringLiteral("%1,%1,%1,0,0,0").arg(day));
    EXPECT_EQ(phases.mid(phases.size() - 3), (QStringList{kPhaseRecalc, kPhasePrepare, kPhaseManagers}));
}

TEST_F(ExportRunTest, TheRecalculationsReportIsToldBeforeAnyFileIsWritten)
{
    makeCatalogue();
    addSupplier(QStringLiteral("Старый"), true, today() - 30);
    addOffer(11, QStringLiteral("Старый"), 90, today() - 30);
    QStringList events;
    input.phase = [&events](const QString& text) { events << text; };
    input.notify = [&events](const QString& text) { events << text; };
    input.switches.recalcPrices = true;
    input.switches.dbf = true;
    const ExportRunResult result = run();
    ASSERT_TRUE(result.recalc.has_value());
    // The stale offer is dropped; the five goods priced 100 lose their price.
    EXPECT_EQ(events, (QStringList{kPhaseRecalc,
                                   QStringLiteral("Пересчет цен: удалено устаревших предложений поставщиков - 1, "
                                                  "товаров осталось без цены - 5"),
                                   kPhasePrepare, kPhaseDbf, cutArticlesMessage(1)}));
}

TEST_F(ExportRunTest, PriceDbfIsReadBackWithItsOwnCodePage)
{
    makeCatalogue();
    input.switches.dbf = true;
    const ExportRunResult result = run();
    EXPECT_EQ(result.dbfPath, program.path() + QStringLiteral("/База DBF/price.dbf"));
    ASSERT_TRUE(result.dbf.has_value());
    EXPECT_EQ(result.dbf->records, 5);
    EXPECT_EQ(result.dbf->cutArticles, 1);
    EXPECT_EQ(notices, QStringList{cutArticlesMessage(1)});

    const QJsonObject dbf = readDbf(result.dbfPath);
    EXPECT_EQ(dbf.value(QStringLiteral("encoding")).toString(), QStringLiteral("cp1251"));
    const QJsonArray records = dbf.value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 5);
    const QJsonObject first = records.at(0).toObject();
    EXPECT_EQ(first.value(QStringLiteral("ART")).toString(), QStringLiteral("A12"));
    EXPECT_EQ(first.value(QStringLiteral("NAME")).toString(), QStringLiteral("Арбуз"));
    EXPECT_EQ(first.value(QStringLiteral("GROUP1")).toString(), QStringLiteral("Бытовая техника"));
    EXPECT_EQ(first.value(QStringLiteral("GROUP3")).toString(), QStringLiteral("Чайники"));
    const QJsonObject last = records.at(4).toObject();
    EXPECT_EQ(last.value(QStringLiteral("ART")).toString(), QStringLiteral("ABCDEFGHI"));
    EXPECT_EQ(last.value(QStringLiteral("GROUP2")).toString(), QStringLiteral("Уборка"));
    EXPECT_EQ(last.value(QStringLiteral("GROUP3")).toString(), QString());
    EXPECT_EQ(dbf.value(QStringLiteral("fields")).toArray().size(), 12);
}

TEST_F(ExportRunTest, ManagersDatabaseIsReadByTheStockShell)
{
    if (!haveSqliteShell(QStringLiteral(VELMORA_SQLITE3_SHELL)))
        GTEST_SKIP() << "no sqlite3 shell";
    makeCatalogue();
    addOffer(11, QStringLiteral("Альфа"), 99, today(), QStringLiteral("есть"));
    exec(QStringLiteral("UPDATE parametr SET FileName = 'Менеджеры.mdb' WHERE Id = 3"));
    input.switches.managersDatabase = true;
    const ExportRunResult result = run();
    EXPECT_EQ(result.managersPath, program.path() + QStringLiteral("/База Access/Менеджеры.sqlite"));
    const auto shell = [&](const char* sql) {
        return sqliteShell(QStringLiteral(VELMORA_SQLITE3_SHELL), result.managersPath, QString::fromUtf8(sql)).trimmed();
    };
    EXPECT_EQ(shell("PRAGMA integrity_check"), QStringLiteral("ok"));
    EXPECT_EQ(shell("SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE type = 'table' "
                    "AND name <> 'sqlite_sequence' ORDER BY name)"),
              QStringLiteral("Parametr Price_main Svod Tovar_tree Zakaz"));
    EXPECT_EQ(shell("SELECT Tovar, Price_2, Kategor FROM Price_main ORDER BY rowid LIMIT 1"),
              QStringLiteral("Арбуз|115.5|3"));
    EXPECT_EQ(shell("SELECT count(*) FROM Price_main"), QStringLiteral("5"));
    EXPECT_EQ(shell("SELECT Postavshik, Price, Obrab FROM Svod"), QStringLiteral("Альфа|99.0|True"));
    EXPECT_EQ(shell("SELECT count(*) FROM Tovar_tree"), QStringLiteral("5"));
    EXPECT_EQ(shell("SELECT count(*) FROM Zakaz"), QStringLiteral("0"));
    EXPECT_EQ(shell("SELECT Dates FROM Parametr WHERE Id = 3"), QString::number(today()));
    EXPECT_EQ(shell("SELECT count(*) FROM Parametr"), QStringLiteral("6"));
    EXPECT_FALSE(QFileInfo::exists(result.managersPath + QStringLiteral(".part")));

    // A blank name gives the default one.
    exec(QStringLiteral("UPDATE parametr SET FileName = ' ' WHERE Id = 3"));
    EXPECT_EQ(run().managersPath, program.path() + QStringLiteral("/База Access/База для менеджеров.sqlite"));
}

TEST_F(ExportRunTest, CatalogueWorkbookIsReadBackByOpenpyxl)
{
    makeCatalogue();
    exec(QStringLiteral("UPDATE parametr SET FileName = 'Товары.xls' WHERE Id = 1"));
    input.switches.catalogue = true;
    const ExportRunResult result = run();
    EXPECT_EQ(result.cataloguePath, program.path() + QStringLiteral("/Каталог Excel/Товары.xlsx"));
    ASSERT_TRUE(result.catalogue.has_value());
    EXPECT_EQ(result.catalogue->levels, 3);
    const QJsonObject sheet = readXlsx(result.cataloguePath).value(QStringLiteral("sheets")).toArray().at(0).toObject();
    EXPECT_EQ(sheet.value(QStringLiteral("name")).toString(), QStringLiteral("Каталог"));
    const QJsonObject cells = sheet.value(QStringLiteral("cells")).toObject();
    const auto value = [&](const char* cell) { return cells.value(QLatin1String(cell)).toObject().value(QStringLiteral("value")); };
    EXPECT_EQ(value("A1").toString(), QStringLiteral("Каталог от:05.03.2024"));
    EXPECT_EQ(sheet.value(QStringLiteral("merges")).toArray().at(0).toString(), QStringLiteral("A1:J1"));
    QStringList header;
    for (const char* cell : {"A3", "B3", "C3", "D3", "E3", "F3", "G3", "H3", "I3", "J3"})
        header << value(cell).toString();
    EXPECT_EQ(header.join(u'|'),
              QStringLiteral("Категория|Группа|Подгруппа|Артикул|Наименование|Цена 1|Цена 2|Цена 3|Цена 4|Гарантия"));
    EXPECT_EQ(value("E4").toString(), QStringLiteral("Арбуз"));
    EXPECT_EQ(value("G4").toDouble(), 115.5);
    EXPECT_EQ(value("C8").toString(), QString());
    EXPECT_EQ(value("B8").toString(), QStringLiteral("Уборка"));
    EXPECT_EQ(sheet.value(QStringLiteral("autofilter")).toString(), QStringLiteral("A3:J8"));
    const QJsonObject widths = sheet.value(QStringLiteral("widths")).toObject();
    EXPECT_NEAR(widths.value(QStringLiteral("E")).toDouble(), 65, 1); // the writer adds the cell padding
    const QJsonObject price = cells.value(QStringLiteral("G4")).toObject();
    EXPECT_EQ(price.value(QStringLiteral("numberFormat")).toString(), QStringLiteral("@"));
    EXPECT_EQ(price.value(QStringLiteral("font")).toObject().value(QStringLiteral("size")).toDouble(), 8);
}

TEST_F(ExportRunTest, CatalogueWithoutGroupNamesHasOneLevelColumn)
{
    addGroup(1, 0, 1, QString());
    addGood(1, 1, QStringLiteral("Товар"), 10);
    input.switches.catalogue = true;
    const ExportRunResult result = run();
    EXPECT_EQ(result.catalogue->levels, 1);
    EXPECT_EQ(result.cataloguePath, program.path() + QStringLiteral("/Каталог Excel/Каталог.xlsx"));
    const QJsonObject cells = readXlsx(result.cataloguePath)
                                  .value(QStringLiteral("sheets")).toArray().at(0).toObject()
                                  .value(QStringLiteral("cells")).toObject();
    EXPECT_EQ(cells.value(QStringLiteral("B3")).toObject().value(QStringLiteral("value")).toString(),
              QStringLiteral("Артикул"));
}

TEST_F(ExportRunTest, AFolderThatCannotBeMadeStopsTheRunWithItsName)
{
    makeCatalogue();
    QFile blocker(program.filePath(QStringLiteral("База DBF")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    input.switches.dbf = true;
    try {
        run();
        FAIL() << "no error";
    } catch (const OutputError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Невозможно создать директорию ") + program.path()
                                   + QStringLiteral("/База DBF/"));
    }
    EXPECT_EQ(dates(), QStringLiteral("0,0,0,0,0,0"));
}

TEST_F(ExportRunTest, AFileAnotherProgramHoldsIsLeftWhole)
{
    makeCatalogue();
    input.switches.dbf = true;
    const QString path = run().dbfPath;
    exec(QStringLiteral("UPDATE parametr SET Dates = 1 WHERE Id = 2"));
    exec(QStringLiteral("UPDATE price_main SET Tovar = 'Другое'"));
    const QByteArray before = readBytes(path);
    {
        QFile held(path);
        ASSERT_TRUE(held.open(QIODevice::ReadOnly));
        ASSERT_EQ(::flock(held.handle(), LOCK_SH | LOCK_NB), 0);
        try {
            run();
            FAIL() << "no error";
        } catch (const ED& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Файл price.dbf невозможно открыть в монопольном")))
                << e.message().toStdString();
        }
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(dates(), QStringLiteral("0,1,0,0,0,0"));
}

TEST_F(ExportRunTest, AFailureInTheMiddleOfTheCopyKeepsTheOldManagersDatabase)
{
    makeCatalogue();
    input.switches.managersDatabase = true;
    const QString path = run().managersPath;
    const QByteArray before = readBytes(path);
    exec(QStringLiteral("UPDATE parametr SET Dates = 1 WHERE Id = 3"));
    FailingBar bar(2); // after the offers were copied
    EXPECT_THROW(RunExport(priceDb, input, &bar), std::runtime_error);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(everythingBelow(QFileInfo(path).path()), QStringList{QFileInfo(path).fileName()}) << "no temporary left";
    EXPECT_EQ(dates(), QStringLiteral("0,0,1,0,0,0"));
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT count(*) FROM pragma_database_list WHERE name = 'managers'")).toInt(),
              0);
}

// What a killed run left beside its outputs (a temporary of the program's
// name that nobody claims, with the journal of a database) goes with the
// next run; a temporary another run still writes and every file of another
// name stay.
TEST_F(ExportRunTest, ARunRemovesTheLeftoversOfKilledRunsAndNothingElse)
{
    makeCatalogue();
    input.switches.dbf = true;
    input.switches.managersDatabase = true;
    input.switches.catalogue = true;
    const ExportRunResult first = run();
    const QStringList outputs{first.dbfPath, first.managersPath, first.cataloguePath};
    QStringList left, kept;
    std::vector<std::unique_ptr<TemporaryClaim>> writing;
    for (const QString& output : outputs) {
        left << output + QStringLiteral(".AbC123.part") << output + QStringLiteral(".AbC123.part-wal");
        kept << output + QStringLiteral(".Held12.part") << output + QStringLiteral(".bak")
             << output + QStringLiteral(".AbC123.part.old");
        for (const QString& path : left + kept)
            QFile(path).open(QIODevice::WriteOnly);
        writing.push_back(std::make_unique<TemporaryClaim>(output + QStringLiteral(".Held12.part")));
        ASSERT_TRUE(writing.back()->isHeld());
    }
    run();
    for (const QString& path : left)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : kept)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
}

} // namespace
