#pragma once

#include "connection.h"

#include <QString>

namespace velmora::db {

// True when a table or index of the database declares the collation.
bool schemaDeclaresCollation(const Connection& connection, const QString& collation);

// Makes every table and index that declares the collation `from` declare
// `to` instead, keeping every row, and rebuilds the indexes on `to` in its
// order. For files whose text columns were declared on a collation that
// other clients read differently. Must run inside the caller's
// transaction, so that a failure leaves the file as it was. Returns
// whether anything changed; throws DbError.
bool renameSchemaCollation(Connection& connection, const QString& from, const QString& to);

} // namespace velmora::db
