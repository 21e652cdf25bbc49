#include "cp1251.h"

#include "code_page.h"

namespace velmora {

QString decodeCp1251(const QByteArray& bytes) { return SingleByteCodePage::windows1251().decode(bytes); }

QByteArray encodeCp1251(const QString& text) { return SingleByteCodePage::windows1251().encode(text); }

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
