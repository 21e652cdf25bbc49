#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace velmora::db {

// The collation that text columns declare: Unicode case folding, Cyrillic
// as Latin. It has a name of its own so that a client without it fails
// with "no such collation sequence" instead of comparing by SQLite's
// ASCII-only NOCASE and taking the indexes for corrupt.
inline constexpr char kTextCollation[] = "UNOCASE";

// Registers the collation and like() with the same case folding, and the
// tokenizer of the offers' search index (search_tokenizer.h), on a
// connection. The program calls it for each of its connections; the
// loadable extension beside the program (velmora_text) calls it for any
// other SQLite client. Returns the engine's result code.
int registerTextFunctions(sqlite3* db);

// Compares two UTF-8 texts with case folded (Cyrillic as Latin); <0, 0, >0.
int compareNoCase(std::string_view a, std::string_view b);

// SQL LIKE with case folding: "%" any run, "_" any one character, an
// optional escape character.
bool likeNoCase(std::string_view pattern, std::string_view text, char32_t escape = 0);

// The pattern for "LIKE ?n ESCAPE '\'" (kLikeEscapeClause) that finds the
// texts holding `text` as typed: its "%", "_" and "\" stand for themselves.
QString likeContainingLiteral(const QString& text);
inline constexpr char kLikeEscapeClause[] = " ESCAPE '\\'";

// The case-folded form of a text, as the collation and LIKE compare it.
QString foldCase(const QString& text);

// Russian alphabetical order, the order the shop's lists are sorted in:
// case is ignored and Ё stands with Е (of two texts that differ only there,
// the one with Е comes first). Texts UNOCASE holds equal are equal here.
// Registered with the text functions as the collation ALPHABET, for ORDER
// BY: no stored column or index declares it.
int compareAlphabetic(std::string_view a, std::string_view b);
inline constexpr char kAlphabetCollation[] = "ALPHABET";

// A UTF-8 text with every character folded exactly as LIKE and the
// collation fold it. Folding is idempotent, and a folded word is contained
// in a folded text as bytes exactly when LIKE '%word%' matches the original
// text (the word free of "%" and "_").
std::string foldUtf8(std::string_view text);
// The same written into `buffer`, which only ever grows, so that a scan
// folds many texts without allocating; the view is valid until the buffer
// is used again.
std::string_view foldUtf8(std::string_view text, std::string& buffer);

// One LIKE pattern folded once, for testing many texts against it (the
// texts folded or not: folding them again changes nothing).
class LikePattern {
public:
    explicit LikePattern(std::string_view pattern, char32_t escape = 0);
    bool matches(std::string_view text) const;

private:
    std::vector<char32_t> folded_;
    char32_t escape_;
};

} // namespace velmora::db
