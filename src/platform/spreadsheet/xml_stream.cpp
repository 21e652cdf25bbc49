#include "platform/spreadsheet/xml_stream.h"

#include "platform/spreadsheet/sheet_error.h"

#include <expat.h>

namespace velmora::sheet {

XmlStream::XmlStream(const QString& fileName, const std::string& partName)
    : fileName_(fileName), partName_(partName), parser_(XML_ParserCreate("UTF-8"))
{
    if (!parser_)
        throw SheetError(QStringLiteral("Недостаточно памяти для чтения \"%1\"").arg(fileName));
    auto* p = static_cast<XML_Parser>(parser_);
    XML_SetUserData(p, this);
    XML_SetElementHandler(p, &XmlStream::onStart, &XmlStream::onEnd);
    XML_SetCharacterDataHandler(p, &XmlStream::onText);
}

XmlStream::~XmlStream()
{
    XML_ParserFree(static_cast<XML_Parser>(parser_));
}

void XmlStream::feed(const char* data, std::size_t size, bool isFinal)
{
    if (stopped_)
        return;
    auto* p = static_cast<XML_Parser>(parser_);
    if (XML_Parse(p, data, int(size), isFinal ? 1 : 0) == XML_STATUS_ERROR) {
        if (stopped_)
            return;
        throw SheetError(QStringLiteral("Книга \"%1\" повреждена: ошибка XML в части %2, строка %3: %4")
                             .arg(fileName_, QString::fromStdString(partName_))
                             .arg(XML_GetCurrentLineNumber(p))
                             .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(p)))));
    }
}

void XmlStream::stop()
{
    stopped_ = true;
    XML_StopParser(static_cast<XML_Parser>(parser_), XML_FALSE);
}

const char* XmlStream::attribute(const char** attributes, const char* name)
{
    return xmlAttribute(attributes, name);
}

const char* xmlAttribute(const char** attributes, const char* name)
{
    for (const char** a = attributes; *a; a += 2)
        if (std::strcmp(localName(a[0]), name) == 0)
            return a[1];
    return nullptr;
}

void XmlStream::onStart(void* self, const char* name, const char** attributes)
{
    static_cast<XmlStream*>(self)->startElement(localName(name), attributes);
}

void XmlStream::onEnd(void* self, const char* name)
{
    static_cast<XmlStream*>(self)->endElement(localName(name));
}

void XmlStream::onText(void* self, const char* data, int length)
{
    auto* stream = static_cast<XmlStream*>(self);
    if (stream->collectText)
        appendCellText(stream->text, data, std::size_t(length));
}

void appendCellText(std::string& text, const char* data, std::size_t size)
{
    if (text.size() >= kMaxCellTextBytes)
        return;
    const std::size_t room = kMaxCellTextBytes - text.size();
    if (size <= room) {
        text.append(data, size);
        return;
    }
    // Never half a character: back off over continuation bytes.
    std::size_t keep = room;
    while (keep > 0 && (static_cast<unsigned char>(data[keep]) & 0xC0) == 0x80)
        --keep;
    text.append(data, keep);
}

static int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString decodeXlsxString(const std::string& utf8)
{
    if (utf8.find("_x") == std::string::npos)
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '_' && i + 6 < utf8.size() && utf8[i + 1] == 'x' && utf8[i + 6] == '_') {
            int v = 0;
            bool ok = true;
            for (int k = 2; k < 6; ++k) {
                const int h = hexValue(utf8[i + std::size_t(k)]);
                ok = ok && h >= 0;
                v = v * 16 + h;
            }
            if (ok) {
                const QByteArray enc = QString(QChar(char16_t(v))).toUtf8();
                out.append(enc.constData(), std::size_t(enc.size()));
                i += 6;
                continue;
            }
        }
        out += utf8[i];
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

} // namespace velmora::sheet
