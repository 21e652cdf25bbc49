#pragma once

namespace velmora::loader {

enum class LoadStage {
    Reading, // rows read from the file so far
    Storing, // offers written so far
};

// How a load reports progress and learns that it should stop. The loader
// calls step() every few hundred rows and at the end of each stage; a false
// result abandons the load, leaving the supplier's goods as they were.
// Called on the loading thread.
class LoadProgress {
public:
    virtual ~LoadProgress() = default;
    virtual bool step(LoadStage stage, int count) = 0;
};

} // namespace velmora::loader
