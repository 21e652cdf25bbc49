#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

namespace velmora {

// A single-byte code page whose lower half is ASCII, given by the code
// points of its bytes 0x80..0xFF. Shared, immutable instances below.
class SingleByteCodePage {
public:
    explicit SingleByteCodePage(const char16_t (&highHalf)[128]);

    QString decode(const QByteArray& bytes) const { return decode(bytes.constData(), bytes.size()); }
    QString decode(const char* bytes, qsizetype size) const;
    // Each UTF-16 unit the page lacks becomes "?".
    QByteArray encode(const QString& text) const;
    // Each character the page lacks (a surrogate pair being one character)
    // becomes the bytes `replace` gives for its code point.
    QByteArray encode(const QString& text, const std::function<QByteArray(char32_t)>& replace) const;
    // The byte of a character, or -1 when the page lacks it.
    int byteOf(char16_t unit) const;

    static const SingleByteCodePage& windows1251();
    static const SingleByteCodePage& dos866();

private:
    std::array<char16_t, 256> forward_{}; // every byte's UTF-16 unit
    // Byte + 1 for every UTF-16 unit of the upper half; 0 where the page has none.
    std::array<quint16, 0x10000> reverse_{};
};

} // namespace velmora
