#pragma once

#include "leftovers.h"

#include <QString>

namespace velmora {

// Writing a file so that no crash, kill or power cut leaves half of it under
// its name: the new content goes to a temporary file in the same folder,
// which is synced and then renamed over the old name in one step. The old
// file is never removed first, so a reader always finds the old file or the
// whole new one.

// Flushes the file's data and size to the disk; false when it cannot.
bool syncFile(const QString& path);

// Renames `from` over `to`, replacing a file that is there, then syncs the
// folder so the new name survives a power cut. Both must be on one file
// system (the same folder, in practice). On failure nothing changes and
// `error` (when given) receives the reason.
bool renameOver(const QString& from, const QString& to, QString* error = nullptr);

// A free name for a temporary file beside `path` (same folder, a name that
// starts with the file's own); the file is created empty and left for the
// caller, who removes or renames it. Empty when the folder takes no file.
QString reserveTemporaryBeside(const QString& path);

// A new file for `target`, written beside it under a name the program knows
// ("<name>.XXXXXX.part") and renamed over it when whole. What killed runs
// left beside the same target goes first; the file is claimed while it is
// written, so that another run does not take it for a leftover. Unless it
// was put in place the destructor removes it, with the journals and logs a
// database left beside it.
class ReplacementFile {
public:
    explicit ReplacementFile(const QString& target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Empty when the folder takes no file.
    const QString& path() const { return path_; }
    bool isValid() const { return !path_.isEmpty(); }
    // Syncs the file and renames it over the target. A database written in
    // it must be closed by then (ending the claim would drop the engine's
    // locks). False, with the reason in `error`, when it failed.
    bool replaceTarget(QString* error = nullptr);

private:
    QString target_;
    QString path_;
    TemporaryClaim claim_;
    bool replaced_ = false;
};

} // namespace velmora
