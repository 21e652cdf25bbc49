#include "side_by_side.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <thread>

namespace velmora::catalogue {
namespace {

// Below this many Numbers a scan is too short to share out.
constexpr qint64 kRangeMinimum = 100000;
constexpr int kMaxRanges = 4;

} // namespace

std::vector<NumberRange> sideBySideRanges(const db::Connection& priceDb, qint64 after, qint64 last)
{
    std::vector<NumberRange> ranges;
    if (last <= after)
        return ranges;
    const QString path = priceDb.path();
    int n = 1;
    if (!priceDb.inTransaction() && !path.isEmpty() && QFileInfo(path).isFile() && last - after >= kRangeMinimum)
        n = std::clamp(int(std::thread::hardware_concurrency()) / 2, 1, kMaxRanges);
    const qint64 span = (last - after + n - 1) / n;
    for (int i = 0; i < n; ++i)
        ranges.push_back({after + span * i, std::min(last, after + span * (i + 1))});
    return ranges;
}

void runSideBySide(db::Connection& priceDb, size_t count,
                   const std::function<void(db::Connection& connection, size_t index)>& work)
{
    if (count == 0)
        return;
    if (count == 1) {
        work(priceDb, 0);
        return;
    }
    std::vector<std::exception_ptr> errors(count);
    std::vector<std::thread> workers;
    const QString path = priceDb.path();
    for (size_t i = 0; i < count; ++i) {
        workers.emplace_back([&, i] {
            try {
                db::Connection own(path, db::OpenMode::ReadOnly);
                work(own, i);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

} // namespace velmora::catalogue
