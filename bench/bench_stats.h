#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <vector>

namespace velmora::timing {

// The milliseconds `work` takes.
inline double timeMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

// The median of a set of timings (0 for none).
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The whole number after `name` on the command line ("--runs 3"), or
// `fallback` when it is not given.
inline int intOption(const QStringList& args, const char* name, int fallback)
{
    const qsizetype i = args.indexOf(QLatin1String(name));
    return i > 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

} // namespace velmora::timing
