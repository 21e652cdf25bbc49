#pragma once

#include <QString>

namespace velmora::db {

// Translates the Jet SQL forms that the program's query texts use into
// SQLite's: "DELETE * FROM", UPDATE of two tables named together, "<> ALL",
// "+" joining a quoted text, and in DDL the types COUNTER, YESNO, CURRENCY,
// MEMO, DATE/DATETIME with their YES/NO and now defaults (text columns
// compare without case). Index names are made unique per database by
// prefixing their table. Plain SQLite text passes through unchanged.
QString translateJetSql(const QString& sql);

// The name an index of a table gets in the database: "<table>_<index>".
QString uniqueIndexName(const QString& table, const QString& index);

} // namespace velmora::db
