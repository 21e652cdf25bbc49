// The stock sqlite3 shell on a price database that the real loader filled
// with names in mixed case: without the program's extension it reads every
// row and fails loudly where a comparison needs the program's collation;
// with it the file checks, its indexes agree with full scans, also after the
// shell rebuilds them, and the program's search finds what it found before.
// A file as earlier builds left it passes the same after the upgrade.
#include "loader/loader_test_support.h"
#include "storage/storage_test_support.h"

#include "storage/goods_search_index.h"
#include "storage/schema.h"
#include "suppliers/loader/price_list_loader.h"
#include "suppliers/search/supplier_goods_search.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace velmora::loader::test {
namespace {

struct ShellRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// One statement in a fresh shell process, the extension loaded or not.
ShellRun Shell(const QString& file, const QString& sql, bool withExtension)
{
    QStringList arguments;
    if (withExtension)
        arguments << QStringLiteral("-cmd")
                  << QStringLiteral(".load ") + QDir(QStringLiteral(VELMORA_PROGRAM_DIR)).filePath(QStringLiteral("velmora_text"));
    arguments << file << sql;
    QProcess shell;
    shell.start(QStringLiteral(SQLITE3_SHELL), arguments);
    shell.waitForFinished(20000);
    return {shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1,
            QString::fromUtf8(shell.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(shell.readAllStandardError()).trimmed()};
}

void WriteCsv(const QString& path, const QString& lines)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lines.toUtf8());
}

// An indexed "=" on a text in another case than stored, the index it must
// use, and the rows it finds.
struct Probe {
    const char* table;
    const char* index;
    const char* condition;
    int rows;
};

const Probe kProbes[] = {
    {"AllTovarPostav", "AllTovarPostav_Tovar", "Tovar = 'болт м6 оцинк'", 4},
    {"AllTovarPostav", "AllTovarPostav_Art", "Art = 'ё-3'", 2},
    {"AllTovarPostav", "AllTovarPostav_Postav", "Postavshik = 'поставщик альфа'", 6},
    {"AllTovarPostav", "AllTovarPostav_Postav", "Postavshik = 'Поставщик БЕТА'", 2},
    {"AllPostavSetup", "AllPostavSetup_Postav", "Postavshik = 'ПОСТАВЩИК АЛЬФА'", 1},
    {"AllPostavPage", "AllPostavPage_Postav", "Postavshik = 'поставщик бета'", 1},
};

class StockShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString alfa = dbs.dir.filePath(QStringLiteral("alfa.csv"));
        const QString beta = dbs.dir.filePath(QStringLiteral("beta.csv"));
        WriteCsv(alfa, QStringLiteral("a-1;Болт М6 ОЦИНК;10,50\r\nA-1;болт м6 оцинк;11\r\nb-2;БОЛТ м6 Оцинк;12\r\n"
                                      "Ё-3;Ёлка новогодняя;100\r\nё-3;ЁЛКА НОВОГОДНЯЯ;101\r\nx;Гайка М8;5\r\n"));
        WriteCsv(beta, QStringLiteral("c-1;болт М6 оцинк;9\r\nc-2;Шайба;1\r\n"));
        for (const auto& [name, path] : {std::pair{kAlfa, alfa}, std::pair{kBeta, beta}}) {
            AddPriceList(dbs.price, name, path);
            SheetSetup sheet;
            sheet.sheetName = QFileInfo(path).completeBaseName();
            sheet.columnArt = 1;
            sheet.columnTovar = 2;
            sheet.columnPrice = 3;
            sheet.valuta = CurrencyRUB;
            AddSheet(dbs.price, name, sheet);
            LoadRequest request;
            request.name = name;
            request.rates = TestRates();
            const LoadResult result = LoadPriceList(dbs.price, dbs.order, request);
            ASSERT_TRUE(result.loaded) << result.errorText.toStdString();
        }
        catchUpSupplierGoodsIndex(dbs.price);
    }

    // The offers the program's search finds, on the trigram index and on the
    // plain statement.
    std::vector<qint64> Search(const QString& text, search::IndexUse index)
    {
        db::Connection priceDb(dbs.pricePath);
        search::SearchState state;
        search::SearchOptions options;
        options.field = search::SearchField::All;
        options.index = index;
        const search::SearchOutcome outcome = search::SearchSupplierGoods(priceDb, options, text, state);
        EXPECT_EQ(outcome.status, search::SearchStatus::Opened) << outcome.error.toStdString();
        std::vector<qint64> numbers;
        if (!outcome.query)
            return numbers;
        const int column = outcome.query->columnIndex(QStringLiteral("Number"));
        for (const search::GoodsRow& row : outcome.firstChunk.rows)
            numbers.push_back(row.at(column).toLongLong());
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    std::vector<std::vector<qint64>> SearchAll()
    {
        std::vector<std::vector<qint64>> found;
        for (const char* text : {"болт м6", "ЁЛКА", "оцинк", "гайка"})
            for (const search::IndexUse index : {search::IndexUse::Auto, search::IndexUse::Never}) {
                found.push_back(Search(QString::fromUtf8(text), index));
                EXPECT_FALSE(found.back().empty()) << text;
            }
        return found;
    }

    // With the extension: the file checks and every probe counts the same
    // through its index as by a full scan.
    void ExpectSoundWithExtension(const char* stage)
    {
        SCOPED_TRACE(stage);
        const QString file = dbs.pricePath;
        const ShellRun check = Shell(file, QStringLiteral("PRAGMA integrity_check"), true);
        EXPECT_EQ(check.out, QStringLiteral("ok")) << check.err.toStdString();
        for (const Probe& p : kProbes) {
            SCOPED_TRACE(p.condition);
            const ShellRun indexed = Shell(
                file, QStringLiteral("SELECT count(*) FROM %1 INDEXED BY %2 WHERE %3").arg(p.table, p.index, p.condition), true);
            const ShellRun scan =
                Shell(file, QStringLiteral("SELECT count(*) FROM %1 NOT INDEXED WHERE %2").arg(p.table, p.condition), true);
            EXPECT_EQ(indexed.out, QString::number(p.rows)) << indexed.err.toStdString();
            EXPECT_EQ(scan.out, QString::number(p.rows)) << scan.err.toStdString();
        }
    }

    void ExpectRebuildsInTheShellKeepTheOrder()
    {
        const auto before = SearchAll();
        ExpectSoundWithExtension("as the program left it");
        for (const char* rebuild : {"VACUUM", "REINDEX"}) {
            const ShellRun run = Shell(dbs.pricePath, QString::fromLatin1(rebuild), true);
            EXPECT_EQ(run.exitCode, 0) << rebuild << ": " << run.err.toStdString();
            ExpectSoundWithExtension(rebuild);
        }
        EXPECT_EQ(SearchAll(), before);
    }

    const QString kAlfa = QStringLiteral("Поставщик Альфа");
    const QString kBeta = QStringLiteral("ПОСТАВЩИК бета");
    TestDatabases dbs;
};

TEST_F(StockShellTest, WithoutTheExtensionEveryRowReadsAndComparisonsFailLoudly)
{
    dbs.price.close();
    dbs.order.close();
    const QString schemaBefore = Shell(dbs.pricePath, QStringLiteral("SELECT group_concat(sql) FROM sqlite_master"), false).out;

    const ShellRun all = Shell(dbs.pricePath, QStringLiteral("SELECT * FROM AllTovarPostav"), false);
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(all.out.split(u'\n').size(), 8);

    QStringList statements{QStringLiteral("PRAGMA integrity_check"), QStringLiteral("VACUUM"), QStringLiteral("REINDEX")};
    for (const Probe& p : kProbes)
        statements << QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(p.table, p.condition);
    for (const QString& sql : statements) {
        SCOPED_TRACE(sql.toStdString());
        const ShellRun run = Shell(dbs.pricePath, sql, false);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_EQ(run.out, QString()) << "no count, no check result";
        EXPECT_TRUE(run.err.contains(QStringLiteral("no such collation sequence: UNOCASE"))) << run.err.toStdString();
    }
    EXPECT_EQ(Shell(dbs.pricePath, QStringLiteral("SELECT group_concat(sql) FROM sqlite_master"), false).out, schemaBefore);
}

TEST_F(StockShellTest, WithTheExtensionTheFileChecksAndIndexesAgreeAlsoAfterShellRebuilds)
{
    dbs.price.close();
    dbs.order.close();
    ExpectRebuildsInTheShellKeepTheOrder();
}

TEST_F(StockShellTest, AFileOfEarlierBuildsPassesTheSameAfterTheUpgrade)
{
    const auto searchedBefore = SearchAll();
    declareOnEarlierNoCase(dbs.price);
    declareOnEarlierNoCase(dbs.order);
    dbs.price.close();
    dbs.order.close();
    // What other clients made of such a file: its indexes looked corrupt.
    const ShellRun check = Shell(dbs.pricePath, QStringLiteral("PRAGMA integrity_check"), false);
    EXPECT_TRUE(check.out.contains(QStringLiteral("missing from index"))) << check.out.toStdString();

    {
        db::Connection price(dbs.pricePath);
        db::Connection order(dbs.orderPath);
        UpgradeSchema(price, order, false);
    }
    EXPECT_EQ(SearchAll(), searchedBefore);
    ExpectRebuildsInTheShellKeepTheOrder();
}

} // namespace
} // namespace velmora::loader::test
