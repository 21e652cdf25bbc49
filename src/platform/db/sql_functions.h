#pragma once

#include "text_functions.h"

struct sqlite3;

namespace velmora::db {

// Registers the program's text semantics and Jet functions on a connection:
// the UNOCASE collation and like() with Unicode case folding
// (text_functions.h), Int(), First(), Now() and Date().
void registerSqlFunctions(sqlite3* db);

} // namespace velmora::db
