#include "text_functions.h"

#include "search_tokenizer.h"
#include "sqlite_api.h"

#include <QChar>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace velmora::db {
namespace {

// Decodes one code point at pos and advances it; malformed bytes pass
// through one at a time so that nothing is lost.
inline char32_t nextCodePoint(std::string_view s, size_t& pos)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; }
    else { ++pos; return b0; }
    if (pos + extra >= s.size()) {
        ++pos;
        return b0;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += extra + 1;
    return cp;
}

inline char32_t fold(char32_t cp)
{
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    if (cp >= 0x0410 && cp <= 0x042F) // А..Я
        return cp + 0x20;
    if (cp >= 0x0400 && cp <= 0x040F) // Ѐ..Џ, Ё among them
        return cp + 0x50;
    if (cp >= 0x0430 && cp <= 0x045F)
        return cp;
    return QChar::toCaseFolded(cp);
}

int collateNoCase(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return compareNoCase(std::string_view(static_cast<const char*>(a), size_t(lengthA)),
                         std::string_view(static_cast<const char*>(b), size_t(lengthB)));
}

int collateAlphabetic(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return compareAlphabetic(std::string_view(static_cast<const char*>(a), size_t(lengthA)),
                             std::string_view(static_cast<const char*>(b), size_t(lengthB)));
}

// The pattern of a LIKE is the same for every row of a scan: fold it once and
// keep it as auxiliary data of the argument.
struct FoldedPattern {
    std::vector<char32_t> chars;
};

bool likeFolded(const std::vector<char32_t>& p, std::string_view text, char32_t escape)
{
    size_t pi = 0, ti = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (ti < text.size()) {
        size_t next = ti;
        const char32_t tc = fold(nextCodePoint(text, next));
        if (pi < p.size()) {
            char32_t pc = p[pi];
            if (escape && pc == escape && pi + 1 < p.size()) {
                if (p[pi + 1] == tc) {
                    pi += 2;
                    ti = next;
                    continue;
                }
            } else if (pc == U'%') {
                starP = ++pi;
                starT = ti;
                continue;
            } else if (pc == U'_' || pc == tc) {
                ++pi;
                ti = next;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        // Let the last "%" take one more character and try again.
        pi = starP;
        size_t advance = starT;
        nextCodePoint(text, advance);
        starT = advance;
        ti = advance;
    }
    while (pi < p.size() && p[pi] == U'%')
        ++pi;
    return pi == p.size();
}

std::vector<char32_t> foldPattern(std::string_view pattern)
{
    std::vector<char32_t> out;
    out.reserve(pattern.size());
    size_t pos = 0;
    while (pos < pattern.size())
        out.push_back(fold(nextCodePoint(pattern, pos)));
    return out;
}

std::string_view textArg(sqlite3_value* value)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return data ? std::string_view(data, size_t(sqlite3_value_bytes(value))) : std::string_view();
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    char32_t escape = 0;
    if (argc == 3) {
        const std::string_view e = textArg(argv[2]);
        size_t pos = 0;
        if (!e.empty())
            escape = fold(nextCodePoint(e, pos));
    }
    auto* pattern = static_cast<FoldedPattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        pattern = new FoldedPattern{foldPattern(textArg(argv[0]))};
        sqlite3_set_auxdata(context, 0, pattern, [](void* p) { delete static_cast<FoldedPattern*>(p); });
        // set_auxdata may free it at once when the argument is not constant.
        pattern = static_cast<FoldedPattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            const std::vector<char32_t> folded = foldPattern(textArg(argv[0]));
            return sqlite3_result_int(context, likeFolded(folded, textArg(argv[1]), escape) ? 1 : 0);
        }
    }
    sqlite3_result_int(context, likeFolded(pattern->chars, textArg(argv[1]), escape) ? 1 : 0);
}

} // namespace

QString likeContainingLiteral(const QString& text)
{
    QString pattern;
    pattern.reserve(text.size() + 2);
    pattern += u'%';
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    pattern += u'%';
    return pattern;
}

int compareNoCase(std::string_view a, std::string_view b)
{
    // Identical bytes are equal in any case: skip the common prefix (back to
    // the start of its last code point) before folding. Index keys share long
    // prefixes, and equal keys are the rule in a supplier-name index.
    const auto mismatch = std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin());
    size_t common = size_t(mismatch.first - a.begin());
    if (common == a.size() && common == b.size())
        return 0;
    while (common > 0 && ((common < a.size() && (static_cast<unsigned char>(a[common]) & 0xC0) == 0x80)
                          || (common < b.size() && (static_cast<unsigned char>(b[common]) & 0xC0) == 0x80)))
        --common;
    size_t ia = common, ib = common;
    while (ia < a.size() && ib < b.size()) {
        const auto ca = static_cast<unsigned char>(a[ia]);
        const auto cb = static_cast<unsigned char>(b[ib]);
        if (ca < 0x80 && cb < 0x80) {
            const int fa = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
            const int fb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
            if (fa != fb)
                return fa < fb ? -1 : 1;
            ++ia;
            ++ib;
            continue;
        }
        const char32_t fa = fold(nextCodePoint(a, ia));
        const char32_t fb = fold(nextCodePoint(b, ib));
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (ia < a.size())
        return 1;
    if (ib < b.size())
        return -1;
    return 0;
}

bool likeNoCase(std::string_view pattern, std::string_view text, char32_t escape)
{
    return LikePattern(pattern, escape).matches(text);
}

QString foldCase(const QString& text) { return text.toCaseFolded(); }

int compareAlphabetic(std::string_view a, std::string_view b)
{
    // First by the letters with Ё read as Е, then, when only Ё and Е tell
    // the texts apart, by the letters themselves.
    size_t ia = 0, ib = 0;
    while (ia < a.size() && ib < b.size()) {
        char32_t fa = fold(nextCodePoint(a, ia));
        char32_t fb = fold(nextCodePoint(b, ib));
        if (fa == U'ё')
            fa = U'е';
        if (fb == U'ё')
            fb = U'е';
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (ia < a.size())
        return 1;
    if (ib < b.size())
        return -1;
    return compareNoCase(a, b);
}

std::string_view foldUtf8(std::string_view text, std::string& buffer)
{
    // A folded character takes at most two bytes more than the byte it
    // starts from (a stray byte becomes a two-byte character).
    if (buffer.size() < text.size() * 3)
        buffer.resize(text.size() * 3);
    char* const start = buffer.data();
    char* w = start;
    const char* const in = text.data();
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        // Eight ASCII bytes at a time: capitals have bit 5 set by adding
        // 0x20 where a byte lies in 'A'..'Z'.
        if (pos + 8 <= size) {
            uint64_t chunk;
            std::memcpy(&chunk, in + pos, 8);
            if ((chunk & 0x8080808080808080ULL) == 0) {
                const uint64_t aboveZ = chunk + 0x2525252525252525ULL;  // 0x80 set where byte > 'Z'
                const uint64_t fromA = chunk + 0x3F3F3F3F3F3F3F3FULL;   // 0x80 set where byte >= 'A'
                const uint64_t capitals = (fromA & ~aboveZ) & 0x8080808080808080ULL;
                chunk |= capitals >> 2;
                std::memcpy(w, &chunk, 8);
                w += 8;
                pos += 8;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(in[pos]);
        if (byte < 0x80) {
            *w++ = char(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++pos;
            continue;
        }
        // Cyrillic letters, the bulk of the names, fold byte-wise.
        if ((byte == 0xD0 || byte == 0xD1) && pos + 1 < size) {
            const auto next = static_cast<unsigned char>(in[pos + 1]);
            if (byte == 0xD0 && next >= 0x80 && next <= 0xBF) {
                if (next < 0x90) { // Ѐ..Џ to ѐ..џ
                    *w++ = char(0xD1);
                    *w++ = char(next + 0x10);
                } else if (next < 0xA0) { // А..П to а..п
                    *w++ = char(0xD0);
                    *w++ = char(next + 0x20);
                } else if (next < 0xB0) { // Р..Я to р..я
                    *w++ = char(0xD1);
                    *w++ = char(next - 0x20);
                } else {
                    *w++ = char(0xD0);
                    *w++ = char(next);
                }
                pos += 2;
                continue;
            }
            if (byte == 0xD1 && next >= 0x80 && next <= 0x9F) { // р..я, ѐ..џ: folded already
                *w++ = char(byte);
                *w++ = char(next);
                pos += 2;
                continue;
            }
        }
        const char32_t cp = fold(nextCodePoint(text, pos));
        if (cp < 0x80) {
            *w++ = char(cp);
        } else if (cp < 0x800) {
            *w++ = char(0xC0 | (cp >> 6));
            *w++ = char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *w++ = char(0xE0 | (cp >> 12));
            *w++ = char(0x80 | ((cp >> 6) & 0x3F));
            *w++ = char(0x80 | (cp & 0x3F));
        } else {
            *w++ = char(0xF0 | (cp >> 18));
            *w++ = char(0x80 | ((cp >> 12) & 0x3F));
            *w++ = char(0x80 | ((cp >> 6) & 0x3F));
            *w++ = char(0x80 | (cp & 0x3F));
        }
    }
    return std::string_view(start, size_t(w - start));
}

std::string foldUtf8(std::string_view text)
{
    std::string buffer;
    return std::string(foldUtf8(text, buffer));
}

LikePattern::LikePattern(std::string_view pattern, char32_t escape)
    : folded_(foldPattern(pattern)), escape_(escape ? fold(escape) : 0)
{
}

bool LikePattern::matches(std::string_view text) const { return likeFolded(folded_, text, escape_); }


int registerTextFunctions(sqlite3* db)
{
    const int textFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_collation(db, kTextCollation, SQLITE_UTF8, nullptr, collateNoCase);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation(db, kAlphabetCollation, SQLITE_UTF8, nullptr, collateAlphabetic);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 2, textFlags, nullptr, likeFunction, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 3, textFlags, nullptr, likeFunction, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = registerSearchTokenizer(db);
    return rc;
}

} // namespace velmora::db
