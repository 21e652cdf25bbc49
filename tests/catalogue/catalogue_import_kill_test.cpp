// The catalogue import killed with SIGKILL at staggered moments: the
// database stays whole with the old catalogue and all that refers to it, or
// with the whole new one and the one before it in the history; the next run
// succeeds and leaves nothing beside the database.
#include "../common/kill_runs.h"

#include "platform/db/connection.h"

#include <memory>

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int kGoods = 100000;

const QString kHelper = QStringLiteral(CATALOGUE_IMPORT_KILL_HELPER);

const QString kDatabase = QStringLiteral("PRICE.vdb");
const QString kWorkbook = QStringLiteral("catalogue.xlsx");

// The database and workbook the cases start from, made once per test
// program.
const HelperTemplate& importTemplate()
{
    static const auto made =
        std::make_unique<HelperTemplate>(kHelper, QStringList{kDatabase, kWorkbook}, QStringList{QString::number(kGoods)});
    return *made;
}

qint64 count(const db::Connection& db, const char* sql) { return db.scalar(QString::fromLatin1(sql)).toLongLong(); }

TEST(CatalogueImportKill, WholeWorkbook)
{
    KillCase c;
    c.program = kHelper;
    c.kills = 8;
    c.prepare = [](const QString& folder) {
        for (const QString& file : {kDatabase, kWorkbook})
            copyTestFile(importTemplate().path(file), folder + u'/' + file);
    };
    c.arguments = [](const QString& folder) {
        return QStringList{QStringLiteral("run"), folder + QStringLiteral("/PRICE.vdb"),
                           folder + QStringLiteral("/catalogue.xlsx")};
    };
    c.check = [](const QString& folder, bool done) {
        const db::Connection priceDb(folder + QStringLiteral("/PRICE.vdb"));
        EXPECT_EQ(priceDb.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        const qint64 old = count(priceDb, "SELECT count(*) FROM price_main WHERE Art LIKE 'OLD-%'");
        if (done || old == 0) {
            EXPECT_EQ(old, 0);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM price_main"), kGoods);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM Price_Tovar_Info"), kGoods);
            // The history holds the catalogue before the last import: the
            // old one, or (after an import the kill came too late for) the
            // same new one.
            const qint64 history = count(priceDb, "SELECT count(*) FROM price_main_history");
            const qint64 oldHistory = count(priceDb, "SELECT count(*) FROM price_main_history WHERE Art LIKE 'OLD-%'");
            EXPECT_TRUE((history == 3 && oldHistory == 3) || (history == kGoods && oldHistory == 0)) << history;
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM Tovar_tree"), 0);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM Tovar_tree_history"), history == 3 ? 1 : 0);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM krit") + count(priceDb, "SELECT count(*) FROM Sootv_All"), 0);
        } else {
            EXPECT_EQ(old, 3);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM price_main"), 3) << "the old catalogue alone";
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM price_main_history"), 0);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM Tovar_tree"), 1);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM krit"), 2);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM Sootv_All"), 1);
        }
    };
    c.files = QStringList{kDatabase, kWorkbook};
    runKillCase(c);
}

} // namespace
