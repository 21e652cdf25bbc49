#pragma once

#include <QString>

#include <string_view>

struct sqlite3;

namespace velmora::db {

// Registers the program's text semantics and Jet functions on a connection:
// the NOCASE collation and like() with Unicode case folding, Int(), First(),
// Now() and Date().
void registerSqlFunctions(sqlite3* db);

// Compares two UTF-8 texts with case folded (Cyrillic as Latin); <0, 0, >0.
int compareNoCase(std::string_view a, std::string_view b);

// SQL LIKE with case folding: "%" any run, "_" any one character, an
// optional escape character.
bool likeNoCase(std::string_view pattern, std::string_view text, char32_t escape = 0);

// The case-folded form of a text, as NOCASE and LIKE compare it.
QString foldCase(const QString& text);

} // namespace velmora::db
