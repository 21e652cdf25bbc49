#pragma once

namespace velmora::loader {

// How a load reports progress and learns that it should stop. The loader
// calls offersStored() on its own thread every few thousand offers written
// and once at the end; a false result abandons the load, leaving the
// supplier's goods as they were.
class LoadProgress {
public:
    virtual ~LoadProgress() = default;
    virtual bool offersStored(int count) = 0;
};

} // namespace velmora::loader
