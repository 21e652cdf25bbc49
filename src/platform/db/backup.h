#pragma once

#include <QString>

namespace velmora::db {

// Copies a database that may be open elsewhere through SQLite's backup API:
// a consistent snapshot is written to a temporary file beside the target,
// which then replaces the target. Throws DbError; the target is untouched
// on failure.
void copyDatabase(const QString& source, const QString& destination);

// Writes a compacted copy of the source into a new file (which must not
// exist). Throws DbError.
void compactDatabase(const QString& source, const QString& destination);

} // namespace velmora::db
