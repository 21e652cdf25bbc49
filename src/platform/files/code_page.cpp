#include "code_page.h"

#include <cstdint>
#include <cstring>

namespace velmora {
namespace {

// Windows-1251; 0x98, unassigned, maps to itself.
constexpr char16_t kWindows1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// DOS Cyrillic (866): letters, box drawing, Ё and the Ukrainian letters.
constexpr char16_t kDos866[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

} // namespace

SingleByteCodePage::SingleByteCodePage(const char16_t (&highHalf)[128])
{
    for (int i = 0; i < 128; ++i) {
        forward_[std::size_t(i)] = char16_t(i);
        forward_[std::size_t(0x80 + i)] = highHalf[i];
        reverse_[highHalf[i]] = quint16(0x80 + i + 1);
        // No unit of a page is a surrogate: two or three bytes each.
        const char16_t u = highHalf[i];
        std::array<char, 4>& utf8 = upperUtf8_[std::size_t(i)];
        if (u < 0x800) {
            utf8 = {2, char(0xC0 | (u >> 6)), char(0x80 | (u & 0x3F)), 0};
        } else {
            utf8 = {3, char(0xE0 | (u >> 12)), char(0x80 | ((u >> 6) & 0x3F)), char(0x80 | (u & 0x3F))};
        }
    }
}

char* SingleByteCodePage::toUtf8(const char* bytes, std::size_t size, char* out) const
{
    std::size_t i = 0;
    while (i < size) {
        // Eight ASCII bytes at a time stand as they are.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                std::memcpy(out, &word, 8);
                out += 8;
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(bytes[i++]);
        if (b < 0x80) {
            *out++ = char(b);
            continue;
        }
        const std::array<char, 4>& utf8 = upperUtf8_[b - 0x80];
        // Three bytes written, the length kept: the room is there.
        out[0] = utf8[1];
        out[1] = utf8[2];
        out[2] = utf8[3];
        out += utf8[0];
    }
    return out;
}

int SingleByteCodePage::byteOf(char16_t unit) const
{
    if (unit < 0x80)
        return unit;
    return reverse_[unit] == 0 ? -1 : reverse_[unit] - 1;
}

QString SingleByteCodePage::decode(const char* bytes, qsizetype size) const
{
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < size; ++i)
        out[i] = forward_[static_cast<unsigned char>(bytes[i])];
    return text;
}

QByteArray SingleByteCodePage::encode(const QString& text) const
{
    QByteArray bytes;
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar ch : text) {
        const int b = byteOf(ch.unicode());
        *out++ = b < 0 ? '?' : char(b);
    }
    return bytes;
}

QByteArray SingleByteCodePage::encode(const QString& text, const std::function<QByteArray(char32_t)>& replace) const
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* end = p + text.size();
    while (p < end) {
        const int b = byteOf(*p);
        if (b >= 0) {
            bytes.append(char(b));
            ++p;
            continue;
        }
        char32_t code = *p++;
        if (QChar::isHighSurrogate(code) && p < end && QChar::isLowSurrogate(*p))
            code = QChar::surrogateToUcs4(char16_t(code), *p++);
        bytes.append(replace(code));
    }
    return bytes;
}

const SingleByteCodePage& SingleByteCodePage::windows1251()
{
    static const SingleByteCodePage page(kWindows1251);
    return page;
}

const SingleByteCodePage& SingleByteCodePage::dos866()
{
    static const SingleByteCodePage page(kDos866);
    return page;
}

} // namespace velmora
