// The automatic matching over all groups killed with SIGKILL at staggered
// moments: the database stays whole with the old proposals or all the new
// ones, the remainder as it was, and the next run succeeds and leaves
// nothing beside the database.
#include "../common/kill_runs.h"

#include "platform/db/connection.h"

#include <memory>

using namespace velmora;
using namespace velmora::testing;

namespace {

constexpr int kItems = 300000;

const QString kHelper = QStringLiteral(MATCHING_KILL_HELPER);

// The database the cases start from, made once per test program.
const HelperTemplate& matchingTemplate()
{
    static const auto made =
        std::make_unique<HelperTemplate>(kHelper, QStringList{QStringLiteral("PRICE.vdb")}, QStringList{QString::number(kItems)});
    return *made;
}

qint64 count(const db::Connection& db, const char* sql) { return db.scalar(QString::fromLatin1(sql)).toLongLong(); }

TEST(MatchingKill, RunOverAllGroups)
{
    KillCase c;
    c.program = kHelper;
    c.kills = 8;
    c.prepare = [](const QString& folder) {
        copyTestFile(matchingTemplate().path(QStringLiteral("PRICE.vdb")), folder + QStringLiteral("/PRICE.vdb"));
    };
    c.arguments = [](const QString& folder) { return QStringList{QStringLiteral("run"), folder + QStringLiteral("/PRICE.vdb")}; };
    // Every item names one good through its criteria row.
    c.check = [](const QString& folder, bool done) {
        const db::Connection priceDb(folder + QStringLiteral("/PRICE.vdb"));
        EXPECT_EQ(priceDb.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(count(priceDb, "SELECT count(*) FROM price_all"), kItems);
        const qint64 proposals = count(priceDb, "SELECT count(*) FROM Sootv_All");
        const qint64 old = count(priceDb, "SELECT count(*) FROM Sootv_All WHERE Code = -1");
        if (done || old == 0) {
            EXPECT_EQ(old, 0);
            EXPECT_EQ(proposals, kItems);
            EXPECT_EQ(count(priceDb, "SELECT count(*) FROM Sootv_temp"), kItems);
        } else {
            EXPECT_EQ(proposals, 1) << "the old proposal alone, or the new ones alone";
        }
    };
    c.files = QStringList{QStringLiteral("PRICE.vdb")};
    runKillCase(c);
}

} // namespace
