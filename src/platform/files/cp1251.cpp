#include "cp1251.h"

#include <QHash>

namespace velmora {
namespace {

// Code points of the bytes 0x80..0xFF; 0x98, unassigned, maps to itself.
constexpr char16_t kHighHalf[128] = {
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

} // namespace

QString decodeCp1251(const QByteArray& bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b < 0x80 ? char16_t(b) : kHighHalf[b - 0x80]);
    }
    return text;
}

QByteArray encodeCp1251(const QString& text)
{
    static const QHash<char16_t, char> reverse = [] {
        QHash<char16_t, char> map;
        for (int i = 0; i < 128; ++i)
            map.insert(kHighHalf[i], char(0x80 + i));
        return map;
    }();
    QByteArray bytes;
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            *out++ = char(u);
        } else {
            const auto it = reverse.constFind(u);
            *out++ = it == reverse.constEnd() ? '?' : *it;
        }
    }
    return bytes;
}

bool isValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int extra = (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : (*p & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || *p == 0xC0 || *p == 0xC1 || end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += extra + 1;
    }
    return true;
}

QString decodeText(const QByteArray& bytes, TextEncoding* found)
{
    TextEncoding encoding = TextEncoding::Cp1251;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = TextEncoding::Utf8Bom;
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else if (isValidUtf8(bytes)) {
        // Plain ASCII is valid UTF-8 too; it is kept as Windows-1251 then.
        bool ascii = true;
        for (const char c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        encoding = ascii ? TextEncoding::Cp1251 : TextEncoding::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        text = decodeCp1251(bytes);
    }
    if (found)
        *found = encoding;
    return text;
}

QByteArray encodeText(const QString& text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom: return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf8: return text.toUtf8();
    case TextEncoding::Cp1251: break;
    }
    return encodeCp1251(text);
}

} // namespace velmora
