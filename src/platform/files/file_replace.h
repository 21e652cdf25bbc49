#pragma once

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

} // namespace velmora
