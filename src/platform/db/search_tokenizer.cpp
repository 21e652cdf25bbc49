#include "search_tokenizer.h"

#include "sqlite_api.h"

#include <string>

namespace velmora::db {
namespace {

// Every character the index holds keeps its length in UTF-8 when folded
// (ASCII stays ASCII, the basic Cyrillic block two bytes), so a field is
// folded into a buffer at the offsets it has in the text, and each trigram
// is handed over as a slice of that buffer.

// The folded ASCII byte, or 0 for one the index does not hold.
struct AsciiTable {
    char folded[128];
    constexpr AsciiTable() : folded()
    {
        for (int c = 0; c < 128; ++c)
            folded[c] = searchIndexHolds(char32_t(c)) ? char(c >= 'A' && c <= 'Z' ? c + 32 : c) : 0;
    }
};
constexpr AsciiTable kAscii;

// Folds the two-byte character lead, next (D0 or D1 and a continuation
// byte) into out when the index holds it: А..Я and Ѐ..Џ to а..я and ѐ..џ.
bool foldCyrillic(unsigned char lead, unsigned char next, char* out)
{
    if ((next & 0xC0) != 0x80)
        return false;
    const char32_t c = (char32_t(lead & 0x1F) << 6) | (next & 0x3F);
    if (c > 0x045F)
        return false;
    const char32_t f = c >= 0x0410 && c <= 0x042F ? c + 0x20 : c <= 0x040F ? c + 0x50 : c;
    out[0] = char(0xC0 | (f >> 6));
    out[1] = char(0x80 | (f & 0x3F));
    return true;
}

int createTokenizer(void*, const char**, int argumentCount, Fts5Tokenizer** out)
{
    if (argumentCount != 0)
        return SQLITE_ERROR;
    // The tokenizer keeps no state; any pointer that is not null serves.
    static int instance = 0;
    *out = reinterpret_cast<Fts5Tokenizer*>(&instance);
    return SQLITE_OK;
}

void deleteTokenizer(Fts5Tokenizer*) {}

int tokenize(Fts5Tokenizer*, void* context, int, const char* text, int length,
             int (*token)(void*, int, const char*, int, int, int))
{
    thread_local std::string buffer;
    if (buffer.size() < size_t(length))
        buffer.resize(size_t(length));
    char* folded = buffer.data();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    // Where the last two characters of the current run start (-1: none).
    int first = -1;
    int second = -1;
    int pos = 0;
    while (pos < length) {
        const unsigned char b = bytes[pos];
        const int start = pos;
        bool held;
        if (b < 0x80) {
            folded[pos] = kAscii.folded[b];
            held = folded[pos] != 0;
            ++pos;
        } else if ((b == 0xD0 || b == 0xD1) && pos + 1 < length && foldCyrillic(b, bytes[pos + 1], folded + pos)) {
            held = true;
            pos += 2;
        } else {
            // Any other byte ends the run, a lead byte and its continuation
            // bytes one by one.
            held = false;
            ++pos;
        }
        if (!held) {
            first = second = -1;
            continue;
        }
        if (first >= 0) {
            const int rc = token(context, 0, folded + first, pos - first, first, pos);
            if (rc != SQLITE_OK)
                return rc;
        }
        first = second;
        second = start;
    }
    return SQLITE_OK;
}

fts5_api* fullTextApi(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return api;
}

} // namespace

int registerSearchTokenizer(sqlite3* db)
{
    fts5_api* api = fullTextApi(db);
    if (!api)
        return SQLITE_ERROR;
    fts5_tokenizer tokenizer{createTokenizer, deleteTokenizer, tokenize};
    return api->xCreateTokenizer(api, kSearchTokenizer, nullptr, &tokenizer, nullptr);
}

} // namespace velmora::db
