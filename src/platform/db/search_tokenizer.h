#pragma once

struct sqlite3;

namespace velmora::db {

// The tokenizer of the offers' full-text index, as the index's definition
// names it. The search only ever asks the index for three characters a
// word of the find text may hold together, so the tokenizer hands over only
// such runs: trigrams of characters the index holds, folded as the search
// folds them (ASCII and the basic Cyrillic block). A space, the separators
// the find text turns into wildcards and the wildcards themselves end a run,
// as does any other character; the test on the row sees those.
inline constexpr char kSearchTokenizer[] = "search_trigram";

// True for a character the index keeps in its trigrams.
constexpr bool searchIndexHolds(char32_t c)
{
    if (c >= 0x0400 && c <= 0x045F)
        return true;
    if (c <= 0x20 || c >= 0x7F)
        return false;
    switch (c) {
    case '%': case '_': case '\'': case '.': case ',': case '-': case '|': case '/': case '\\': return false;
    default: return true;
    }
}

// Registers the tokenizer with the connection's full-text engine. Returns
// the engine's result code.
int registerSearchTokenizer(sqlite3* db);

} // namespace velmora::db
