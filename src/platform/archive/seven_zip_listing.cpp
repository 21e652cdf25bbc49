#include "seven_zip_listing.h"

#include "platform/files/code_page.h"
#include "platform/files/cp1251.h"

namespace velmora::archive {

namespace {

// Unix mode bits as 7-Zip shows them ("-rw-r--r--"), beginning with "l"
// for a link.
bool attributesSayLink(const QByteArray& attributes)
{
    for (const QByteArray& word : attributes.split(' '))
        if (word.size() == 10 && word.startsWith('l'))
            return true;
    return false;
}

QString decodedPath(const QByteArray& raw, const QByteArray& host)
{
    return host == "UNIX" ? decodeText(raw) : SingleByteCodePage::dos866().decode(raw);
}

} // namespace

QList<ListedEntry> parseSevenZipListing(const QByteArray& output)
{
    QList<ListedEntry> entries;
    QByteArray host;
    auto finish = [&] {
        if (!entries.isEmpty())
            entries.last().path = decodedPath(entries.last().rawPath, host);
        host.clear();
    };
    for (QByteArray line : output.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype equals = line.indexOf(" = ");
        const QByteArray key = equals < 0 ? (line.endsWith(" =") ? line.chopped(2) : QByteArray()) : line.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : line.mid(equals + 3);
        if (key == "Path") {
            finish();
            entries.append(ListedEntry{});
            entries.last().rawPath = value; // empty: an entry without a name
            continue;
        }
        if (entries.isEmpty() || key.isEmpty())
            continue;
        ListedEntry& entry = entries.last();
        if (key == "Folder")
            entry.folder = value == "+";
        else if (key == "Size")
            entry.size = value.toLongLong();
        else if (key == "Encrypted")
            entry.encrypted = value == "+";
        else if (key == "Host OS")
            host = value;
        else if (key == "Attributes")
            entry.link = entry.link || attributesSayLink(value);
        else if (key == "Symbolic Link" || key == "Hard Link")
            entry.link = entry.link || !value.isEmpty();
    }
    finish();
    return entries;
}

} // namespace velmora::archive
