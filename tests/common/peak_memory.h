#pragma once

#include <fstream>
#include <string>

#include <malloc.h>

namespace velmora::testing {

// The peak resident memory of the test process in MB since the last
// resetPeakMemory (Linux keeps the figure and resets it on request); -1 when
// it cannot be read.
inline double peakMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

// The peak counts from here on, after the memory freed so far went back to
// the system.
inline void resetPeakMemory()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace velmora::testing
