#pragma once

#include "connection.h"
#include "pragma_override.h"

#include <QString>

#include <thread>

namespace velmora::db {

// Copies a database's write-ahead log into the file on a thread and a
// connection of its own, so that the writer of a large transaction is free
// once it has committed: the copy of a few hundred megabytes (and the two
// flushes to disk it takes) would otherwise follow that commit on the
// writer's thread. The copy is passive: it waits for no lock, and frames a
// reader still needs stay in the log for the next copy. The destructor
// waits for it.
class BackgroundCheckpoint {
public:
    BackgroundCheckpoint() = default;
    BackgroundCheckpoint(const BackgroundCheckpoint&) = delete;
    BackgroundCheckpoint& operator=(const BackgroundCheckpoint&) = delete;
    ~BackgroundCheckpoint() { wait(); }

    // Starts a copy of the log of the database at `path`, after waiting for
    // one still running. A failure (the file gone, say) leaves the log for
    // the next commit's automatic copy.
    void start(const QString& path);
    // Returns once no copy runs.
    void wait();

private:
    std::thread thread_;
};

// Stops a connection's automatic copy of the log after its commits while it
// lives (a BackgroundCheckpoint, or the owner's Connection::checkpoint(),
// takes it over); the previous limit comes back after.
class AutoCheckpointPause : public PragmaOverride {
public:
    explicit AutoCheckpointPause(Connection& connection) : PragmaOverride(connection, "wal_autocheckpoint", 0) {}
};

} // namespace velmora::db
