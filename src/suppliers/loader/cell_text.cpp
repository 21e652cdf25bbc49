#include "suppliers/loader/cell_text.h"

#include "storage/value_helpers.h"

#include <QChar>

#include <cstdint>
#include <cstring>
#include <utility>

namespace velmora::loader {

QString StoredCellText(QString text) { return NulsAsBlanks(std::move(text)).trimmed(); }

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// A code point that QString::fromUtf8 might not keep as it is: a
// noncharacter, or a byte order mark. Such texts take the long way.
bool mayBeAltered(char32_t c)
{
    return c == 0xFEFF || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

} // namespace

bool StoresAsItStands(std::string_view utf8, int maxLength)
{
    const auto* b = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t units = 0; // UTF-16 units
    char32_t first = 0;
    char32_t last = 0;
    std::size_t i = 0;
    while (i < n) {
        // Eight plain ASCII bytes, none of them NUL, at a time.
        if (i + 8 <= n && i > 0) {
            std::uint64_t word;
            std::memcpy(&word, b + i, 8);
            const std::uint64_t high = 0x8080808080808080ull;
            if ((word & high) == 0 && ((word - 0x0101010101010101ull) & ~word & high) == 0) {
                i += 8;
                units += 8;
                last = b[i - 1];
                continue;
            }
        }
        const unsigned char c = b[i];
        const bool atStart = i == 0;
        char32_t code = 0;
        if (c < 0x80) {
            if (c == 0)
                return false;
            code = c;
            i += 1;
            units += 1;
        } else if (c < 0xC2) {
            return false; // a stray continuation byte, or an overlong form
        } else if (c < 0xE0) {
            if (i + 1 >= n || !isContinuation(b[i + 1]))
                return false;
            code = char32_t(c & 0x1F) << 6 | char32_t(b[i + 1] & 0x3F);
            i += 2;
            units += 1;
        } else if (c < 0xF0) {
            if (i + 2 >= n || !isContinuation(b[i + 1]) || !isContinuation(b[i + 2]))
                return false;
            code = char32_t(c & 0x0F) << 12 | char32_t(b[i + 1] & 0x3F) << 6 | char32_t(b[i + 2] & 0x3F);
            if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF) || mayBeAltered(code))
                return false;
            i += 3;
            units += 1;
        } else if (c < 0xF5) {
            if (i + 3 >= n || !isContinuation(b[i + 1]) || !isContinuation(b[i + 2]) || !isContinuation(b[i + 3]))
                return false;
            code = char32_t(c & 0x07) << 18 | char32_t(b[i + 1] & 0x3F) << 12 | char32_t(b[i + 2] & 0x3F) << 6 |
                   char32_t(b[i + 3] & 0x3F);
            if (code < 0x10000 || code > 0x10FFFF || mayBeAltered(code))
                return false;
            i += 4;
            units += 2;
        } else {
            return false;
        }
        if (atStart)
            first = code;
        last = code;
    }
    if (n == 0)
        return true;
    if (maxLength >= 0 && units > std::size_t(maxLength))
        return false;
    // Trimming goes by UTF-16 unit: a character beyond the basic plane is
    // two surrogates, and no surrogate is a blank.
    auto blank = [](char32_t c) { return c < 0x10000 && QChar::isSpace(c); };
    return !blank(first) && !blank(last);
}

} // namespace velmora::loader
