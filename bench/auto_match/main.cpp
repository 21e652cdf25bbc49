// Times the automatic matching at full size: 1,000,000 remainder items of
// 50 suppliers, 30,000 own goods in 600 groups with 45,000 criteria rows
// and 5,000 exclusions. The run over all groups (with its peak memory, in a
// process of its own), the run of one group of 1,000 goods and one accept.
// The plain statements of the matching (one cross join through like()) run
// on a 20,000-item, 2,000-row sample in the same run: their time
// extrapolated to full size, the ratio, and a check that both ways store
// the same proposals on the sample.
#include "auto_match_reference.h"
#include "offer_generator.h"

#include "catalogue/matching/auto_match.h"
#include "catalogue/matching/proposals.h"
#include "storage/schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <random>

using namespace velmora;
using namespace velmora::catalogue;

namespace {

constexpr int kSuppliers = 50;
constexpr int kGroups = 600;
constexpr int kBigGroupGoods = 1000; // group 1

struct Size {
    int items;
    int goods; // each has one criteria row, every second a second, every sixth an exclusion
};

constexpr Size kFull{1000000, 30000};
constexpr Size kSample{20000, 1334};

int criteriaRows(const Size& size) { return size.goods + size.goods / 2; }
int exclusions(const Size& size) { return size.goods / 6; }

// The groups, the goods (group 1 holds the first 1,000, the others share
// the rest) and their criteria made of the names' words as users write
// them: a type with an attribute's stem and a size; a type's stem in
// capitals with the size and a brand; an attribute's stem excluded.
void fillCatalogue(db::Connection& db, const Size& size)
{
    using namespace search::bench;
    const QStringList& types = goodsTypes();
    const QStringList& attributes = goodsAttributes();
    const QStringList& sizes = goodsSizes();
    const QStringList& brands = goodsBrands();
    db::Statement group =
        db.prepare(QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, Comment) VALUES (?1, 0, ?1, ?2)"));
    for (int g = 1; g <= kGroups; ++g) {
        group.bindInt(1, g).bindText(2, QStringLiteral("Группа %1").arg(g));
        group.execute();
        group.reset();
    }
    db::Statement good = db.prepare(QStringLiteral(
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase) VALUES (?1, 'G-' || ?1, ?2, ?3, 100)"));
    db::Statement info = db.prepare(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Comment) VALUES (?1, '')"));
    db::Statement krit = db.prepare(QStringLiteral(
        "INSERT INTO krit (Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5) VALUES (?1, ?2, ?3, ?4, '', '')"));
    db::Statement iskl = db.prepare(QStringLiteral("INSERT INTO kritiskl (Code_KritIskl, KritIskl) VALUES (?1, ?2)"));
    const int perGroup = std::max(1, (size.goods - kBigGroupGoods) / (kGroups - 1));
    for (int g = 0; g < size.goods; ++g) {
        const qint64 code = g + 1;
        const int groupCode = g < kBigGroupGoods ? 1 : std::min(kGroups, 2 + (g - kBigGroupGoods) / perGroup);
        const QString type = types.at(g % types.size());
        const QString attribute = attributes.at((g / types.size()) % attributes.size());
        const QString sz = sizes.at((g / (types.size() * attributes.size())) % sizes.size());
        const QString brand = brands.at((g * 7) % brands.size());
        good.bindInt(1, code).bindText(2, QString::number(groupCode)).bindText(3, type + u' ' + attribute + u' ' + sz);
        good.execute();
        good.reset();
        info.bindInt(1, code);
        info.execute();
        info.reset();
        krit.bindInt(1, code).bindText(2, type.toLower()).bindText(3, attribute.left(6)).bindText(4, sz);
        krit.execute();
        krit.reset();
        if (g % 2 == 0) {
            krit.bindInt(1, code).bindText(2, type.left(5).toUpper()).bindText(3, sz).bindText(4, brand);
            krit.execute();
            krit.reset();
        }
        if (g % 6 == 0) {
            iskl.bindInt(1, code).bindText(2, attributes.at((g + 1) % attributes.size()).left(5));
            iskl.execute();
            iskl.reset();
        }
    }
}

void makeDatabase(const QString& path, const Size& size)
{
    createPriceDatabase(path);
    db::Connection db(path);
    db::Transaction transaction(db);
    search::bench::fillRemainder(db, size.items, kSuppliers);
    fillCatalogue(db, size);
    transaction.commit();
}

long peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

double msSince(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

// In a process of its own, so that its peak memory is the run's: the run
// over all groups, as the run window starts it.
int measureAllGroups(const QString& path)
{
    db::Connection db(path);
    MatchingRun run;
    run.withWait = true;
    QElapsedTimer timer;
    timer.start();
    const MatchingRunResult result = RunCriteriaMatching(db, run);
    std::printf("%.1f %ld %lld %lld\n", msSince(timer), peakRssMb(), static_cast<long long>(result.hitItems),
                static_cast<long long>(result.proposals));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--all-groups"))
        return measureAllGroups(args.at(2));

    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("PRICE.vdb"));
    const QString sample = dir.filePath(QStringLiteral("sample.vdb"));
    QElapsedTimer timer;
    timer.start();
    makeDatabase(full, kFull);
    makeDatabase(sample, kSample);
    std::printf("full: %d items of %d suppliers, %d goods in %d groups, %d criteria rows, %d exclusions; "
                "sample: %d items, %d criteria rows; made in %.1f s\n",
                kFull.items, kSuppliers, kFull.goods, kGroups, criteriaRows(kFull), exclusions(kFull), kSample.items,
                criteriaRows(kSample), timer.elapsed() / 1000.0);

    // All groups, in a process of its own.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--all-groups"), full});
    child.waitForFinished(-1);
    const QStringList figures = QString::fromUtf8(child.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    if (figures.size() < 4) {
        std::fprintf(stderr, "the all-groups run failed: %s\n", child.readAllStandardError().constData());
        return 1;
    }
    const double allMs = figures.at(0).toDouble();
    std::printf("all groups:        %8.1f s   peak %5ld MB   (%s items hit, %s proposals)   target <= 15 s, "
                "1.5 GB\n",
                allMs / 1000, figures.at(1).toLong(), qPrintable(figures.at(2)), qPrintable(figures.at(3).trimmed()));

    db::Connection db(full);
    {
        MatchingRun run;
        run.groupCode = 1;
        run.withWait = true;
        run.ask = [](const QString&) { return false; }; // other groups' proposals kept
        timer.restart();
        const MatchingRunResult result = RunCriteriaMatching(db, run);
        std::printf("group of %d goods: %8.1f ms  (%lld proposals)   target <= 3000 ms\n", kBigGroupGoods,
                    msSince(timer), static_cast<long long>(result.proposals));
    }
    {
        prepareReview(db);
        db::Statement first = db.prepare(
            QStringLiteral("SELECT Code, min(rowid) FROM Sootv_All GROUP BY Code ORDER BY count(*) DESC LIMIT 1"));
        if (!first.step()) {
            std::fprintf(stderr, "no proposals to accept\n");
            return 1;
        }
        const qint64 code = first.integer(0);
        const qint64 rowid = first.integer(1);
        const qint64 before = readProposals(db, code).size();
        tickProposal(db, rowid, true);
        timer.restart();
        const AcceptResult result =
            acceptProposals(db, code, [](const QString&) { return true; }, [](const QString&) {});
        std::printf("one accept:        %8.1f ms  (good with %lld proposals, %d accepted)   target <= 100 ms\n",
                    msSince(timer), static_cast<long long>(before), result.accepted);
    }

    // The plain statements against the program on the sample.
    db::Connection small(sample);
    timer.restart();
    testing::runReferenceMatching(small);
    const double plainMs = msSince(timer);
    const QStringList plainRows = testing::matchingTableRows(small, QStringLiteral("Sootv_All"));
    small.exec(QStringLiteral("DELETE FROM Sootv_All; DELETE FROM Sootv_temp; UPDATE price_all SET Check_obrab = 'true'"));
    MatchingRun run; // all goods at once, as the loading window runs it
    timer.restart();
    RunCriteriaMatching(small, run);
    const double programSampleMs = msSince(timer);
    const QStringList programRows = testing::matchingTableRows(small, QStringLiteral("Sootv_All"));
    const double scale = double(kFull.items) / kSample.items * double(criteriaRows(kFull)) / criteriaRows(kSample);
    const double plainFullMs = plainMs * scale;
    std::printf("sample, plain statements: %.1f s; program: %.1f ms; %s proposals (%lld)\n", plainMs / 1000,
                programSampleMs, plainRows == programRows ? "the same" : "DIFFERENT",
                static_cast<long long>(plainRows.size()));
    std::printf("plain statements extrapolated to full size (x%.0f): %.1f hours; the program's all-groups run is "
                "%.0f times faster\n",
                scale, plainFullMs / 3600000, plainFullMs / allMs);
    return plainRows == programRows ? 0 : 1;
}
