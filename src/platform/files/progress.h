#pragma once

#include <QString>

namespace velmora {

// How a long operation shows how far it has come: a window's own progress
// bar, or the wait window. Calls come on the operation's thread between
// pieces of work; the window decides how often it repaints. An exception
// thrown from a call ends the operation as a failure (its transaction
// rolls back).
class Progress {
public:
    virtual ~Progress() = default;
    // A stretch of `steps` steps begins at 0; `text` says what is done (a
    // bar beside a label of its own may ignore it).
    virtual void start(const QString& text, int steps) = 0;
    // Moves on by `count` steps.
    virtual void step(int count = 1) = 0;
    // The operation is over, done or failed (the wait window closes).
    virtual void finish() {}
};

// Calls on a progress that may be absent.
inline void startProgress(Progress* progress, const QString& text, int steps)
{
    if (progress)
        progress->start(text, steps);
}

inline void stepProgress(Progress* progress, int count = 1)
{
    if (progress && count > 0)
        progress->step(count);
}

inline void finishProgress(Progress* progress)
{
    if (progress)
        progress->finish();
}

} // namespace velmora
