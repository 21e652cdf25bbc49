#pragma once

#include <QString>
#include <cstring>
#include <string>

namespace velmora::sheet {

// A spreadsheet cell holds at most 32767 characters; a text longer than this
// many UTF-8 bytes (four per character at most) is cut there, so a part
// holding one huge text costs no more memory than a full cell.
inline constexpr std::size_t kMaxCellTextBytes = 32767 * 4;

// Appends to a cell's text, cut at kMaxCellTextBytes on a character boundary.
void appendCellText(std::string& text, const char* data, std::size_t size);
inline void appendCellText(std::string& text, const std::string& piece)
{
    appendCellText(text, piece.data(), piece.size());
}

// A SAX parser over expat for the parts of an xlsx file. Subclasses handle
// elements by local name (any namespace prefix removed) and collect text
// only while `collectText` is set, up to kMaxCellTextBytes. Errors throw
// SheetError naming the part.
class XmlStream {
public:
    XmlStream(const QString& fileName, const std::string& partName);
    virtual ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // Feeds a piece of the part; isFinal on the last one.
    void feed(const char* data, std::size_t size, bool isFinal);
    // Stops the parse from inside a handler; feed() then returns quietly.
    void stop();
    bool stopped() const { return stopped_; }

protected:
    virtual void startElement(const char* name, const char** attributes) = 0;
    virtual void endElement(const char* name) = 0;

    // The value of an attribute by local name, or nullptr.
    static const char* attribute(const char** attributes, const char* name);
    static bool is(const char* name, const char* expected) { return std::strcmp(name, expected) == 0; }

    bool collectText = false;
    std::string text; // collected character data

private:
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* data, int length);
    QString fileName_;
    std::string partName_;
    void* parser_;
    bool stopped_ = false;
};

// The local part of a prefixed name ("x:c" -> "c").
inline const char* localName(const char* name)
{
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

// The value of an attribute by local name, or nullptr.
const char* xmlAttribute(const char** attributes, const char* name);

// xlsx escapes "_xHHHH_" of control characters in strings.
QString decodeXlsxString(const std::string& utf8);

} // namespace velmora::sheet
