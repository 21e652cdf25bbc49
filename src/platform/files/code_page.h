#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <functional>

namespace velmora {

// A single-byte code page whose lower half is ASCII, given by the code
// points of its bytes 0x80..0xFF. Shared, immutable instances below.
class SingleByteCodePage {
public:
    explicit SingleByteCodePage(const char16_t (&highHalf)[128]);

    QString decode(const QByteArray& bytes) const { return decode(bytes.constData(), bytes.size()); }
    QString decode(const char* bytes, qsizetype size) const;
    // The same text as UTF-8, written at `out`, which has room for three
    // bytes per byte (no byte takes more); returns the end of what it wrote.
    char* toUtf8(const char* bytes, std::size_t size, char* out) const;
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
    // The UTF-8 of each byte of the upper half: its length, then its bytes.
    std::array<std::array<char, 4>, 128> upperUtf8_{};
    // Byte + 1 for every UTF-16 unit of the upper half; 0 where the page has none.
    std::array<quint16, 0x10000> reverse_{};
};

} // namespace velmora
