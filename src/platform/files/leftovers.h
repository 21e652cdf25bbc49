#pragma once

#include <QRegularExpression>
#include <QString>

namespace velmora {

// The program's temporary files and folders have names it knows (a file's
// "<name>.XXXXXX.part" beside it, the compaction's "mdbXXXXXX", an unpack's
// "<name>.XXXXXX.unpack"), so that what a killed run left can be found and
// removed by the next run. A run that is still working holds a claim on each
// of its temporaries; a leftover is one that nobody claims.

// A claim on a temporary file or folder while it is being written: a lock
// the system drops when the process ends, however it ends. Take it right
// after the temporary is made and drop it before its final rename.
//
// The lock is flock(2), which the engine's own locks (fcntl) do not see;
// but closing any descriptor of a file drops every fcntl lock this process
// holds on it, so a claim on a database file must end after the last
// connection to that file has closed.
class TemporaryClaim {
public:
    TemporaryClaim() = default;
    explicit TemporaryClaim(const QString& path);
    TemporaryClaim(const TemporaryClaim&) = delete;
    TemporaryClaim& operator=(const TemporaryClaim&) = delete;
    TemporaryClaim(TemporaryClaim&& other) noexcept;
    TemporaryClaim& operator=(TemporaryClaim&& other) noexcept;
    ~TemporaryClaim() { release(); }

    void release();
    bool isHeld() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Removes `path` (a file with the engine's companions "-journal", "-wal" and
// "-shm", or a folder with all it holds) unless a running program claims it.
// True when nothing is left under the name.
bool removeLeftover(const QString& path);

// Removes every entry of the folder whose whole name matches `name`, as
// removeLeftover does; companions whose file is gone go too.
void removeLeftoversIn(const QString& folder, const QRegularExpression& name);

// Removes the temporaries reserveTemporaryBeside made beside `path`
// ("<name>.XXXXXX.part") and that no running program claims.
void removeLeftoversBeside(const QString& path);

// The random part of a temporary name, as QTemporaryFile fills "XXXXXX".
QString temporaryNamePattern();

} // namespace velmora
