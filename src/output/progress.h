#pragma once

#include <QString>

namespace velmora::output {

// How a long pricing or export operation shows how far it has come: the
// wait window, the export window's bar or a loading window's bar. Calls
// come on the caller's thread between pieces of work. An exception thrown
// from a call ends the operation as a failure (its transaction rolls back).
class Progress {
public:
    virtual ~Progress() = default;
    // A stretch of `steps` steps begins at 0; `text` says what is done (the
    // wait window shows it; a bar beside a label of its own may ignore it).
    virtual void start(const QString& text, int steps) = 0;
    // Moves on by `count` steps.
    virtual void step(int count = 1) = 0;
    // The operation is over, done or failed: the wait window closes.
    virtual void finish() {}
};

// Calls on a progress that may be absent.
inline void startProgress(Progress* progress, const QString& text, int steps)
{
    if (progress)
        progress->start(text, steps);
}

inline void finishProgress(Progress* progress)
{
    if (progress)
        progress->finish();
}

inline void stepProgress(Progress* progress, int count = 1)
{
    if (progress && count > 0)
        progress->step(count);
}

} // namespace velmora::output
