#pragma once

#include <QString>

namespace velmora::db {

// Copies a database that may be open elsewhere through SQLite's backup API:
// a consistent snapshot is written to a temporary file beside the target,
// which then replaces the target. Throws DbError; the target is untouched
// on failure.
void copyDatabase(const QString& source, const QString& destination);

// Writes a consistent copy of the source into a new file beside the
// destination (same folder, journal mode DELETE, synced) and returns that
// file's name, for a caller that puts it in the destination's place itself
// (or removes it). Throws DbError, leaving nothing behind.
QString copyDatabaseBeside(const QString& source, const QString& destination);

// Writes a compacted copy of the source into a new file (which must not
// exist, or be empty). Throws DbError.
void compactDatabase(const QString& source, const QString& destination);

} // namespace velmora::db
