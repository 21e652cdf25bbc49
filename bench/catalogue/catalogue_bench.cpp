// Times the own catalogue on a generated price database: 2,000 groups four
// levels deep, 100,000 goods (5,000 in the largest group), 1,000,000
// combined-price rows with criteria and correspondences beside them.
//
//   catalogue_bench [--database PATH]   (keeps the generated file at PATH)
//
// Each figure is the median of its runs, beside its target and, where the
// program had a plainer way, that way timed in the same run.
#include "catalogue/goods_list.h"
#include "catalogue/goods_search.h"
#include "catalogue/group_tree_walk.h"

#include "platform/db/connection.h"
#include "platform/db/query.h"
#include "storage/schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace velmora;
using namespace velmora::catalogue;

namespace {

constexpr int kBranching[] = {8, 6, 6, 6}; // 8 + 48 + 288 + 1,728 = 2,072 groups
constexpr int kGoods = 100000;
constexpr int kLargestGroupGoods = 5000;
constexpr int kSvodRows = 1000000;
constexpr int kFirstScreenRows = 40;

const char* const kWords[] = {"Кабель", "кабель", "Мышь",   "Клавиатура", "Монитор", "Ноутбук", "Принтер", "Картридж",
                              "Ёлка",   "Лампа",  "Розетка", "удлинитель", "Адаптер", "Флешка",  "Диск",    "Колонки",
                              "Наушники", "Роутер", "Коврик", "Батарейка"};
const char* const kQualities[] = {"чёрный", "белый", "USB", "HDMI", "2м", "беспроводная", "игровой", "Pro", "mini",
                                  "O'Neil"};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds of one run of the work.
double timeMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeMs(work));
    return median(times);
}

struct Generated {
    qint64 largestGroup = 0;
    std::vector<qint64> largestGroupGoods;
    int groups = 0;
};

Generated generate(db::Connection& priceDb)
{
    Generated g;
    std::mt19937 random(20261210);
    db::Transaction tx(priceDb);

    // Groups, level by level.
    db::Statement group = priceDb.prepare(QStringLiteral(
        "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant) VALUES (?1, ?2, ?3, ?4, 5, ?5, 0, '')"));
    std::vector<qint64> level{0};
    std::vector<qint64> leaves;
    qint64 code = 0;
    for (size_t depth = 0; depth < std::size(kBranching); ++depth) {
        std::vector<qint64> next;
        for (qint64 parent : level)
            for (int pos = 1; pos <= kBranching[depth]; ++pos) {
                ++code;
                const bool leaf = depth + 1 == std::size(kBranching);
                group.bindInt(1, code).bindInt(2, parent).bindInt(3, pos).bindInt(4, leaf ? 0 : 1);
                group.bindText(5, QStringLiteral("Группа %1-%2").arg(depth + 1).arg(code)).execute();
                group.reset();
                next.push_back(code);
            }
        level = next;
        if (depth + 1 == std::size(kBranching))
            leaves = next;
    }
    g.groups = int(code);
    g.largestGroup = leaves.front();

    // Goods: the largest group first, the rest spread over the other leaves.
    db::Statement good = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_main VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 46000, '1 год', 0, ?8)"));
    std::uniform_int_distribution<int> word(0, int(std::size(kWords)) - 1);
    std::uniform_int_distribution<int> quality(0, int(std::size(kQualities)) - 1);
    std::uniform_real_distribution<double> price(10, 20000);
    for (int n = 1; n <= kGoods; ++n) {
        const qint64 kategor = n <= kLargestGroupGoods ? g.largestGroup : leaves[size_t(1 + n % (leaves.size() - 1))];
        if (kategor == g.largestGroup)
            g.largestGroupGoods.push_back(n);
        const double base = std::round(price(random) * 100) / 100;
        good.bindInt(1, n).bindText(2, QStringLiteral("A-%1").arg(n, 6, 10, QChar(u'0')));
        good.bindText(3, QString::number(kategor));
        good.bindText(4, QStringLiteral("%1 %2 %3 модель %4")
                             .arg(QString::fromUtf8(kWords[word(random)]), QString::fromUtf8(kQualities[quality(random)]),
                                  QString::fromUtf8(kQualities[quality(random)]))
                             .arg(n));
        good.bindDouble(5, base).bindInt(6, n % 30).bindDouble(7, n % 17 ? base * 1.1 : 0).bindInt(8, n % 50 == 0);
        good.execute();
        good.reset();
    }

    // Criteria, exclusions and correspondences of the goods; the combined
    // price, ten offers per good on average from 50 suppliers.
    db::Statement krit = priceDb.prepare(QStringLiteral("INSERT INTO krit VALUES (?1, 'кабель', 'usb', '', '', '')"));
    db::Statement iskl = priceDb.prepare(QStringLiteral("INSERT INTO kritiskl VALUES (?1, 'удлин')"));
    db::Statement sootv = priceDb.prepare(QStringLiteral("INSERT INTO sootv VALUES (?1, ?2, ?3, ?4, 'false')"));
    db::Statement svod = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod VALUES (?1, ?2, ?3, ?3, ?4, ?5, 'false', 46000, '', 'есть')"));
    std::uniform_int_distribution<int> anyGood(1, kGoods);
    for (int n = 1; n <= kGoods; ++n) {
        krit.bindInt(1, n).execute();
        krit.reset();
        if (n % 2 == 0) {
            iskl.bindInt(1, n).execute();
            iskl.reset();
        }
        for (int s = 0; s < 3; ++s) {
            sootv.bindInt(1, n).bindText(2, QStringLiteral("S%1").arg(n * 3 + s)).bindText(3, QStringLiteral("Предложение %1").arg(n));
            sootv.bindText(4, QStringLiteral("Поставщик %1").arg((n + s) % 50)).execute();
            sootv.reset();
        }
    }
    for (int n = 0; n < kSvodRows; ++n) {
        const int owner = anyGood(random);
        svod.bindText(1, QStringLiteral("S%1").arg(n)).bindText(2, QStringLiteral("Предложение %1").arg(owner));
        svod.bindDouble(3, std::round(price(random) * 100) / 100).bindText(4, QStringLiteral("Поставщик %1").arg(n % 50));
        svod.bindInt(5, owner).execute();
        svod.reset();
    }
    tx.commit();
    priceDb.exec(QStringLiteral("ANALYZE"));
    return g;
}

// The walk as three statements per step: a group's row by code, the
// number of children of a parent, the group at (Parent, Pos).
class QueryWalk {
public:
    explicit QueryWalk(db::Connection& priceDb)
        : row_(priceDb.prepare(QStringLiteral("SELECT Parent, Pos FROM Tovar_tree WHERE Code = ?1"))),
          children_(priceDb.prepare(QStringLiteral("SELECT count(*) FROM Tovar_tree WHERE Parent = ?1"))),
          at_(priceDb.prepare(QStringLiteral("SELECT Code FROM Tovar_tree WHERE Parent = ?1 AND Pos = ?2")))
    {
    }

    qint64 next(qint64 code, int& depth)
    {
        auto [parent, pos] = rowOf(code);
        qint64 n = childCount(parent);
        if (childCount(code) > 0) {
            ++depth;
            return groupAt(code, 1);
        }
        ++pos;
        while (pos > n) {
            const auto [up, upPos] = rowOf(parent);
            pos = upPos + 1;
            parent = up;
            --depth;
            n = childCount(parent);
        }
        return groupAt(parent, pos);
    }

private:
    std::pair<qint64, qint64> rowOf(qint64 code)
    {
        row_.bindInt(1, code);
        const bool found = row_.step();
        const std::pair<qint64, qint64> r = found ? std::pair(row_.integer(0), row_.integer(1)) : std::pair(0LL, 0LL);
        row_.reset();
        return r;
    }
    qint64 childCount(qint64 parent)
    {
        children_.bindInt(1, parent);
        children_.step();
        const qint64 n = children_.integer(0);
        children_.reset();
        return n;
    }
    qint64 groupAt(qint64 parent, qint64 pos)
    {
        at_.bindInt(1, parent).bindInt(2, pos);
        const qint64 code = at_.step() ? at_.integer(0) : 0;
        at_.reset();
        return code;
    }

    db::Statement row_, children_, at_;
};

void report(const char* what, double ms, double targetMs, const QString& beside = QString())
{
    std::printf("%-58s %9.3f ms  (target %5.1f ms, %s)%s\n", what, ms, targetMs, ms <= targetMs ? "met" : "MISSED",
                beside.isEmpty() ? "" : qPrintable(QStringLiteral("; ") + beside));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString path;
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--database")); at >= 0 && at + 1 < args.size())
        path = args.at(at + 1);
    QTemporaryDir dir;
    if (path.isEmpty())
        path = dir.filePath(QStringLiteral("PRICE.vdb"));
    QFile::remove(path);
    createPriceDatabase(path);
    db::Connection priceDb(path);

    QElapsedTimer clock;
    clock.start();
    const Generated g = generate(priceDb);
    std::printf("generated %d groups, %d goods (%zu in the largest group), %d combined-price rows in %.1f s\n",
                g.groups, kGoods, g.largestGroupGoods.size(), kSvodRows, clock.elapsed() / 1000.0);

    // Whole-tree walk: the snapshot (read included) against three
    // statements per step.
    int depthSeen = 0;
    size_t visited = 0;
    const double walk = medianMs(21, [&] {
        const std::vector<GroupLevel> levels = wholeGroupTree(loadGroupTree(priceDb));
        visited = levels.size();
        depthSeen = groupTreeDepth(levels);
    });
    QueryWalk queries(priceDb);
    const qint64 rows = priceDb.scalar(QStringLiteral("SELECT count(*) FROM Tovar_tree")).toLongLong();
    const double queryWalk = medianMs(5, [&] {
        int depth = 1;
        qint64 group = 1;
        for (qint64 step = 0; step < rows; ++step)
            group = queries.next(group, depth);
    });
    report("whole-tree walk (snapshot)", walk, 5,
           QStringLiteral("%1 groups, depth %2; three statements per step: %3 ms")
               .arg(visited).arg(depthSeen).arg(queryWalk, 0, 'f', 3));

    // The largest group to its first screen: the row order and the first
    // chunk, each shown row's columns computed.
    CatalogueGoodsModel model(priceDb);
    model.setPricing(GoodsPricing{2, 27.0});
    const GoodsListFilter largest{QString::number(g.largestGroup), QString()};
    const double open = medianMs(11, [&] {
        model.reopen(largest);
        for (int row = 0; row < kFirstScreenRows && row < model.rowCount(); ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                model.data(model.index(row, column));
    });
    const double openWhole = medianMs(5, [&] {
        db::Query whole(priceDb);
        whole.setSql(QStringLiteral("select * from price_main where kategor=:kat and (price_1>:Price_Null) order by tovar"));
        whole.setParam(QStringLiteral("kat"), largest.kategor);
        whole.setParam(QStringLiteral("Price_Null"), -1.0);
        whole.open();
    });
    report("largest group to its first screen", open, 50,
           QStringLiteral("%1 goods; every row read at once: %2 ms").arg(model.goodsCount()).arg(openWhole, 0, 'f', 3));

    // Moving the current good with its criteria, exclusions,
    // correspondences and combined-price rows read again.
    model.reopen(largest);
    const char* const dependents[] = {"select * from krit where code_krit=:code",
                                      "select * from kritiskl where code_kritiskl=:code",
                                      "select * from sootv where code=:code",
                                      "select * from svod where code_sootv=:code order by Price"};
    std::mt19937 pick(7);
    std::uniform_int_distribution<size_t> anyInGroup(0, g.largestGroupGoods.size() - 1);
    std::vector<double> moves;
    int dependentRows = 0;
    for (int i = 0; i < 301; ++i) {
        const qint64 goodCode = g.largestGroupGoods[anyInGroup(pick)];
        moves.push_back(timeMs([&] {
            const int row = model.rowOfCode(goodCode);
            if (const Good* good = model.goodAt(row))
                goodPriceTexts(*good, model.pricing());
            for (const char* sql : dependents) {
                db::Query list(priceDb);
                list.setSql(QString::fromLatin1(sql));
                list.setParam(QStringLiteral("code"), goodCode);
                list.open();
                dependentRows += list.rowCount();
            }
        }));
    }
    report("current good moved, its four lists read again (median)", median(moves), 10,
           QStringLiteral("%1 rows per move").arg(double(dependentRows) / moves.size(), 0, 'f', 1));

    // Totals by counting against fetching every row.
    GoodsTotals totals;
    const double counted = medianMs(11, [&] { totals = readGoodsTotals(priceDb); });
    const double fetched = medianMs(3, [&] {
        for (const char* sql : {"select * from price_main", "select * from price_main where Price_1>0"}) {
            db::Query all(priceDb);
            all.setSql(QString::fromLatin1(sql));
            all.open();
        }
    });
    report("goods totals", counted, 30,
           QStringLiteral("%1; fetching the rows: %2 ms").arg(goodsTotalsText(totals)).arg(fetched, 0, 'f', 1));

    // Name searches.
    std::vector<double> searches;
    QStringList found;
    for (const char* text : {"кабель", "ЁЛКА", "беспроводная", "модель 4242", "O'Neil", "нет такого"}) {
        size_t hits = 0;
        searches.push_back(medianMs(5, [&] { hits = findGoods(priceDb, GoodsSearchMode::NamePart, QString::fromUtf8(text)).size(); }));
        found << QStringLiteral("%1: %2").arg(QString::fromUtf8(text)).arg(hits);
    }
    report("name search (median over the texts)", median(searches), 50,
           QStringLiteral("slowest %1 ms; found %2").arg(*std::max_element(searches.begin(), searches.end()), 0, 'f', 1)
               .arg(found.join(QStringLiteral(", "))));
    return 0;
}
