#pragma once

#include "platform/files/message_sink.h"

#include <QString>

#include <chrono>
#include <stdexcept>

namespace velmora {

// Another program has the database open: its write-ahead log stays beside
// it after this program has closed every connection of its own.
class DatabaseHeldError : public std::runtime_error {
public:
    explicit DatabaseHeldError(const QString& path)
        : std::runtime_error(("database in use by another program: " + path).toStdString()) {}
};

// When a write-ahead log is beside the database, opens and closes the
// database, so that what a crash left in the log is folded into the file
// and the log goes. Call it after every connection of this program to the
// file has closed. Throws DatabaseHeldError when the log still stays after
// `patience`; db::DbError when the file does not open.
void foldDatabaseLog(const QString& path, std::chrono::milliseconds patience = std::chrono::seconds(3));

// Removes a database file with its journal and logs, if any.
void removeDatabaseFiles(const QString& path);

// Removes the compaction's temporaries ("mdbXXXXXX" with their journals)
// that killed runs left in the folder and no running program claims.
void removeCompactionLeftovers(const QString& folder);

// Writes a compacted copy of the source (VACUUM INTO) as the new file
// `destination`, which must not exist or be empty; the copy is synced to
// the disk. Throws; on failure nothing is left at `destination`.
void writeCompactedCopy(const QString& source, const QString& destination);

// Puts a complete database file in the place of the working one in one
// rename, after folding the working file's log (the file is never removed
// first, so a kill leaves the old file or the new one). Throws
// DatabaseHeldError when another program holds the working file, and
// std::runtime_error when the rename fails; the successor then stays.
void replaceDatabaseFile(const QString& workingPath, const QString& successorPath);

// Compacts the source into the destination, or, with no destination, into
// a new file "mdbXXXXXX" in the source's folder that then replaces the
// source; what a killed compaction left there is removed first.
// The password has no meaning for these files and is ignored. An existing
// destination is replaced only by the complete copy. False on failure,
// after the error's own text went to `messages`.
bool CompactJetDatabase(const QString& source, const QString& destination, const QString& password,
                        const MessageSink& messages = {});

} // namespace velmora
