#include "auto_match.h"

#include "auto_match_index.h"
#include "criteria_match.h"
#include "item_lists.h"

#include "catalogue/group_tree.h"
#include "catalogue/group_tree_walk.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace velmora::catalogue {
namespace {

// A group's rows run on worker threads from this many on.
constexpr size_t kRowsWorthThreads = 8;
// Groups' rows matched together by one set of workers.
constexpr size_t kRowsPerBatch = 4000;
// Hits written by one INSERT statement (three parameters each).
constexpr size_t kHitsPerInsert = 256;

struct CriteriaRowOfGood {
    qint64 code = 0;
    CriteriaWords words;
    std::vector<int> parts; // its literal parts in the run's index
};

// The criteria rows (in the order they were made) and exclusions of every
// good.
struct AllCriteria {
    std::vector<CriteriaRowOfGood> rows;
    QHash<qint64, QStringList> exclusions;
};

AllCriteria readAllCriteria(db::Connection& priceDb)
{
    AllCriteria all;
    db::Statement rows = priceDb.prepare(
        QStringLiteral("SELECT Code_krit, Krit_1, Krit_2, Krit_3, Krit_4, Krit_5 FROM krit ORDER BY rowid"));
    while (rows.step()) {
        CriteriaRowOfGood row;
        row.code = rows.integer(0);
        for (int w = 0; w < 5; ++w)
            row.words.at(size_t(w)) = rows.text(w + 1);
        all.rows.push_back(std::move(row));
    }
    db::Statement exclusions =
        priceDb.prepare(QStringLiteral("SELECT Code_KritIskl, KritIskl FROM kritiskl ORDER BY rowid"));
    while (exclusions.step())
        all.exclusions[exclusions.integer(0)] << exclusions.text(1);
    return all;
}

// One group of the run: its name and the criteria rows of its goods.
struct RunGroup {
    qint64 code = 0;
    QString name;
    std::vector<size_t> rows;
};

// The goods of each group: price_main's codes by Kategor (as text).
QHash<QString, QSet<qint64>> goodsByGroup(db::Connection& priceDb)
{
    QHash<QString, QSet<qint64>> goods;
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT Code, Kategor FROM price_main"));
    while (select.step())
        goods[select.text(1)].insert(select.integer(0));
    return goods;
}

std::vector<RunGroup> groupsOfRun(db::Connection& priceDb, const MatchingRun& run)
{
    std::vector<RunGroup> groups;
    if (run.groupCode != 0) {
        for (const qint64 code : groupWithSubgroups(loadGroupTree(priceDb), run.groupCode))
            groups.push_back({code, groupName(priceDb, code), {}});
        if (groups.empty()) // a group the walk does not reach is still run alone
            groups.push_back({run.groupCode, groupName(priceDb, run.groupCode), {}});
    } else {
        db::Statement select = priceDb.prepare(QStringLiteral("SELECT Code, Comment FROM Tovar_tree ORDER BY rowid"));
        while (select.step())
            groups.push_back({select.integer(0), select.text(1), {}});
    }
    return groups;
}

// The items one criteria row takes, by position in the run's items.
void matchRow(const CriteriaRowOfGood& row, const AllCriteria& criteria, const MatchingItems& items,
              const LiteralPartIndex& index, std::vector<uint32_t>& hits)
{
    const CriteriaMatcher matcher({row.words}, criteria.exclusions.value(row.code));
    std::vector<uint32_t> candidates;
    index.itemsHoldingAll(row.parts, candidates);
    hits.clear();
    for (const uint32_t item : candidates)
        if (matcher.matchesFolded(items.folded(item)))
            hits.push_back(item);
}

// The hits of a group's rows, in row order, side by side.
std::vector<std::vector<uint32_t>> matchRows(const std::vector<size_t>& rows, const AllCriteria& criteria,
                                             const MatchingItems& items, const LiteralPartIndex& index)
{
    std::vector<std::vector<uint32_t>> hits(rows.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t r = next++; r < rows.size(); r = next++)
            matchRow(criteria.rows[rows[r]], criteria, items, index, hits[r]);
    };
    const size_t threads =
        rows.size() < kRowsWorthThreads ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 6);
    std::vector<std::thread> workers;
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    return hits;
}

// Closes the wait window however the run ends.
class WaitScope {
public:
    explicit WaitScope(const MatchingWait* wait) : wait_(wait) {}
    ~WaitScope()
    {
        if (wait_ && wait_->close)
            wait_->close();
    }
    void show(int steps) const
    {
        if (wait_ && wait_->show)
            wait_->show(steps);
    }
    void step(const QString& text) const
    {
        if (wait_ && wait_->step)
            wait_->step(text);
    }

private:
    const MatchingWait* wait_;
};

struct Hit {
    uint32_t item = 0;
    qint64 code = 0;
};

} // namespace

QString clearProposalsQuestion() { return QStringLiteral("Очистить таблицу автоматического соответствия товаров?"); }

QString groupStepText(const QString& groupName) { return QStringLiteral("   Обрабатывается группа  -  ") + groupName; }

QString exclusionStepText() { return QStringLiteral("   Удаляются товары по критериям исключения"); }

void MarkSupplierForMatching(db::Connection& priceDb, const QString& supplier, const QString& flag)
{
    const bool all = supplier == allSuppliersEntry();
    db::Statement update = priceDb.prepare(
        all ? QStringLiteral("UPDATE price_all SET Check_obrab = ?1 WHERE Check_obrab IS NOT ?1")
            : QStringLiteral("UPDATE price_all SET Check_obrab = ?1 WHERE Postavshik = ?2 AND Check_obrab IS NOT ?1"));
    update.bindText(1, flag);
    if (!all)
        update.bindText(2, supplier);
    update.execute();
}

QList<MatchingSupplier> readMatchingSuppliers(db::Connection& priceDb)
{
    QList<MatchingSupplier> suppliers;
    db::Statement groups = priceDb.prepare(
        QStringLiteral("SELECT Postavshik, count(Number) FROM price_all GROUP BY Postavshik ORDER BY Postavshik"));
    db::Statement flag =
        priceDb.prepare(QStringLiteral("SELECT Check_obrab FROM price_all WHERE Postavshik IS ?1 LIMIT 1"));
    while (groups.step()) {
        MatchingSupplier supplier{groups.text(0), false, groups.integer(1)};
        flag.bindText(1, supplier.name);
        if (groups.isNull(0))
            flag.bindNull(1);
        supplier.ticked = flag.step() && flag.text(0).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        flag.reset();
        suppliers << supplier;
    }
    return suppliers;
}

MatchingRunResult RunCriteriaMatching(db::Connection& priceDb, const MatchingRun& run)
{
    const bool byGroups = run.groupCode != 0 || run.withWait;
    bool clearAll = run.groupCode == 0 && run.withWait;
    if (run.groupCode != 0)
        clearAll = run.ask && run.ask(clearProposalsQuestion());

    WaitScope wait(run.withWait ? &run.wait : nullptr);
    AllCriteria criteria = readAllCriteria(priceDb);
    std::vector<RunGroup> groups;
    if (byGroups) {
        groups = groupsOfRun(priceDb, run);
        const QHash<QString, QSet<qint64>> goods = goodsByGroup(priceDb);
        QHash<qint64, std::vector<size_t>> rowsOfGood;
        for (size_t r = 0; r < criteria.rows.size(); ++r)
            rowsOfGood[criteria.rows[r].code].push_back(r);
        for (RunGroup& group : groups) {
            for (const qint64 code : goods.value(QString::number(group.code))) {
                const auto rows = rowsOfGood.constFind(code);
                if (rows != rowsOfGood.constEnd())
                    group.rows.insert(group.rows.end(), rows->begin(), rows->end());
            }
            std::sort(group.rows.begin(), group.rows.end());
        }
    } else {
        RunGroup everyGood;
        for (size_t r = 0; r < criteria.rows.size(); ++r)
            everyGood.rows.push_back(r);
        groups.push_back(std::move(everyGood));
    }
    wait.show(int(groups.size()) + 1);

    // The literal parts of every row taking part, each indexed once.
    std::vector<std::string> parts;
    std::map<std::string, int> partIds;
    std::vector<bool> inRun(criteria.rows.size(), false);
    for (const RunGroup& group : groups)
        for (const size_t r : group.rows)
            inRun[r] = true;
    for (size_t r = 0; r < criteria.rows.size(); ++r) {
        if (!inRun[r])
            continue;
        for (std::string& part : literalPartsOfRow(criteria.rows[r].words)) {
            const auto [at, added] = partIds.try_emplace(part, int(parts.size()));
            if (added)
                parts.push_back(std::move(part));
            criteria.rows[r].parts.push_back(at->second);
        }
    }
    const MatchingItems items = MatchingItems::read(priceDb);
    const LiteralPartIndex index(items, std::move(parts));

    // Groups are matched a batch at a time, so that the workers stay busy
    // across the many small groups; the hits keep the groups' order.
    std::vector<Hit> hits;
    std::vector<size_t> batch;
    auto matchBatch = [&] {
        const std::vector<std::vector<uint32_t>> found = matchRows(batch, criteria, items, index);
        for (size_t r = 0; r < found.size(); ++r)
            for (const uint32_t item : found[r])
                hits.push_back({item, criteria.rows[batch[r]].code});
        batch.clear();
    };
    for (const RunGroup& group : groups) {
        if (byGroups)
            wait.step(groupStepText(group.name));
        batch.insert(batch.end(), group.rows.begin(), group.rows.end());
        if (batch.size() >= kRowsPerBatch)
            matchBatch();
    }
    matchBatch();
    if (byGroups)
        wait.step(exclusionStepText());

    MatchingRunResult result;
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM Sootv_temp"));
    if (clearAll) {
        priceDb.exec(QStringLiteral("DELETE FROM Sootv_All"));
    } else if (byGroups) {
        db::Statement drop = priceDb.prepare(
            QStringLiteral("DELETE FROM Sootv_All WHERE Code IN (SELECT Code FROM price_main WHERE Kategor = ?1)"));
        for (const RunGroup& group : groups) {
            drop.bindText(1, QString::number(group.code));
            drop.execute();
            drop.reset();
        }
    } else {
        // A load's run replaces the proposals of the suppliers it ran for.
        priceDb.exec(QStringLiteral("DELETE FROM Sootv_All WHERE Postavshik IN "
                                    "(SELECT DISTINCT Postavshik FROM price_all WHERE Check_obrab = 'true')"));
    }
    // Many hits per statement: one statement run per hit costs more than
    // the row it writes.
    auto insertOf = [&priceDb](size_t rows) {
        QString sql = QStringLiteral("INSERT INTO Sootv_temp (Number, Tovar, Code, KritNum) VALUES ");
        for (size_t r = 0; r < rows; ++r)
            sql += QStringLiteral("%1(?%2, ?%3, ?%4, '5')").arg(r == 0 ? "" : ", ").arg(3 * r + 1).arg(3 * r + 2).arg(3 * r + 3);
        return priceDb.prepare(sql);
    };
    db::Statement insertFull = insertOf(kHitsPerInsert);
    std::vector<bool> itemHit(items.size(), false);
    for (size_t first = 0; first < hits.size(); first += kHitsPerInsert) {
        const size_t count = std::min(kHitsPerInsert, hits.size() - first);
        std::optional<db::Statement> insertRest;
        db::Statement& insert = count == kHitsPerInsert ? insertFull : insertRest.emplace(insertOf(count));
        for (size_t r = 0; r < count; ++r) {
            const Hit& hit = hits[first + r];
            const int at = int(3 * r);
            insert.bindInt(at + 1, items.number(hit.item)).bindUtf8(at + 2, items.name(hit.item)).bindInt(at + 3, hit.code);
            itemHit[hit.item] = true;
        }
        insert.execute();
        insert.reset();
    }
    // One proposal per good and item: the same item and good through
    // several criteria rows (or goods of one code and name) give one.
    priceDb.exec(QStringLiteral(
        "INSERT INTO Sootv_All (Code, Art, Tovar, Postavshik, Check_sootv, Price, Pricemax, Tovar_main, Number_ost, "
        "Dates, Garant, Sklad) "
        "SELECT t.Code, p.Art, p.Tovar, p.Postavshik, 'true', p.Price, p.Pricemax, m.Tovar, p.Number, p.Dates, "
        "p.Garant, p.Sklad "
        "FROM (SELECT DISTINCT Number, Code FROM Sootv_temp) AS t "
        "JOIN price_all AS p ON p.Number = t.Number "
        "JOIN (SELECT DISTINCT Code, Tovar FROM price_main) AS m ON m.Code = t.Code"));
    result.proposals = priceDb.changes();
    result.hitItems = qint64(std::count(itemHit.begin(), itemHit.end(), true));
    transaction.commit();
    return result;
}

} // namespace velmora::catalogue
