#include "remainder_scan.h"

#include "side_by_side.h"

#include "storage/schema.h"

#include <QSet>

#include <algorithm>
#include <atomic>
#include <functional>
#include <vector>

namespace velmora::catalogue {
namespace {

// How often a range looks whether an earlier one has found enough.
constexpr int kStopCheckRows = 4096;

// The items kept out of the search. They all stand in the index of
// differing flags, so they are read from there instead of with every row.
QSet<qint64> keptOutItems(db::Connection& priceDb, qint64 afterNumber)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT Number FROM price_all INDEXED BY price_all_Flags_to_reset WHERE (%1) "
                       "AND Check_obrab IS NOT 'true' AND Number > ?1")
            .arg(kPriceAllFlagsToReset));
    select.bindInt(1, afterNumber);
    QSet<qint64> numbers;
    while (select.step())
        numbers.insert(select.integer(0));
    return numbers;
}

// One Number range (from, to] and what its scan found.
struct Range {
    qint64 from = 0;
    qint64 to = 0;
    QList<qint64> numbers;
    qint64 lastNumber = 0;
    bool complete = false; // scanned to its end
};

// Scans one range until it holds `count` matches or ends; `stop` tells it
// that its results are no longer needed.
void scanRange(db::Connection& db, const CriteriaMatcher& matcher, const QSet<qint64>& keptOut, int count,
               Range& range, const std::function<bool()>& stop)
{
    db::Statement scan = db.prepare(QStringLiteral(
        "SELECT Number, Tovar FROM price_all WHERE Number > ?1 AND Number <= ?2 ORDER BY Number"));
    scan.bindInt(1, range.from).bindInt(2, range.to);
    range.lastNumber = range.from;
    std::string buffer;
    for (int rows = 1; range.numbers.size() < count; ++rows) {
        if (rows % kStopCheckRows == 0 && stop())
            return;
        if (!scan.step()) {
            range.complete = true;
            range.lastNumber = range.to;
            return;
        }
        range.lastNumber = scan.integer(0);
        if (scan.isNull(1) || keptOut.contains(range.lastNumber))
            continue;
        if (matcher.matchesFolded(CriteriaMatcher::foldName(scan.utf8(1), buffer)))
            range.numbers << range.lastNumber;
    }
}

} // namespace

RemainderScan scanRemainder(db::Connection& priceDb, const CriteriaMatcher& matcher, qint64 afterNumber, int count)
{
    RemainderScan result;
    result.lastNumber = afterNumber;
    const qint64 maxNumber = priceDb.scalar(QStringLiteral("SELECT max(Number) FROM price_all")).toLongLong();
    if (count <= 0 || maxNumber <= afterNumber) {
        result.atEnd = count > 0;
        return result;
    }
    const QSet<qint64> keptOut = keptOutItems(priceDb, afterNumber);
    std::vector<Range> ranges;
    for (const NumberRange& r : sideBySideRanges(priceDb, afterNumber, maxNumber))
        ranges.push_back({r.from, r.to, {}, 0, false});
    const int n = int(ranges.size());
    // A range that found enough makes every later one stop.
    std::atomic<int> firstFilled{n};
    runSideBySide(priceDb, ranges.size(), [&](db::Connection& connection, size_t index) {
        const int i = int(index);
        Range& range = ranges[index];
        scanRange(connection, matcher, keptOut, count, range, [&] { return firstFilled.load() < i; });
        if (range.numbers.size() >= count) {
            int filled = firstFilled.load();
            while (i < filled && !firstFilled.compare_exchange_weak(filled, i)) {
            }
        }
    });

    // The ranges in order, up to the first that stopped short of its end
    // with enough matches (every earlier one is complete).
    for (const Range& range : ranges) {
        for (const qint64 number : range.numbers) {
            if (result.numbers.size() == count)
                return result;
            result.numbers << number;
            result.lastNumber = number;
        }
        if (!range.complete) {
            // It stopped with `count` matches of its own: all are taken.
            return result;
        }
        result.lastNumber = range.to;
    }
    result.atEnd = true;
    return result;
}

} // namespace velmora::catalogue
