#pragma once

#include <algorithm>
#include <vector>

namespace velmora::timing {

// The median of a set of timings (0 for none).
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace velmora::timing
