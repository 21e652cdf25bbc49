#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// Windows-1251, the code page of the program's text files.
QString decodeCp1251(const QByteArray& bytes);
// Characters the code page lacks become "?".
QByteArray encodeCp1251(const QString& text);

bool isValidUtf8(const QByteArray& bytes);

enum class TextEncoding { Cp1251, Utf8, Utf8Bom };

// Decodes a text file as the program reads them: UTF-8 after a byte-order
// mark or when the bytes are valid UTF-8 holding non-ASCII characters,
// Windows-1251 otherwise. `found` receives the encoding, so that a rewrite
// keeps it.
QString decodeText(const QByteArray& bytes, TextEncoding* found = nullptr);
QByteArray encodeText(const QString& text, TextEncoding encoding);

} // namespace velmora
