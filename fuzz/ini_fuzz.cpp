// The INI reader: a file as the user may have edited it, read, changed in
// one value and written back. Checks that a write keeps every other value
// as it read, and that a value written reads back.
#include "fuzz_input.h"

#include "platform/files/cp1251.h"
#include "platform/files/ini_document.h"

#include <QRegularExpression>

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using velmora::IniDocument;
using velmora::fuzz::broken;

// Section and key names to look up: what the file's lines look like they
// name (the reader decides what they are).
std::vector<std::pair<QString, QString>> namesIn(const QByteArray& bytes)
{
    constexpr std::size_t kMostNames = 64;
    std::vector<std::pair<QString, QString>> names;
    QString section;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : velmora::decodeText(bytes).split(lineEnd)) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.contains(u']'))
            section = t.mid(1, t.indexOf(u']') - 1).trimmed();
        else if (t.contains(u'='))
            names.emplace_back(section, t.left(t.indexOf(u'=')).trimmed());
        if (names.size() == kMostNames)
            break;
    }
    return names;
}

using Values = std::vector<std::optional<QString>>;

Values valuesOf(const IniDocument& document, const std::vector<std::pair<QString, QString>>& names)
{
    Values values;
    for (const auto& [section, key] : names)
        values.push_back(document.value(section, key));
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = velmora::fuzz::inputBytes(data, size);
    const QString path = velmora::fuzz::writeInput(bytes, QStringLiteral("input.ini"));
    const QString copy = velmora::fuzz::inputFolder() + QStringLiteral("/written.ini");
    IniDocument document;
    try {
        document = IniDocument::load(path);
    } catch (const std::runtime_error&) {
        return 0; // not a text file: refused with its message
    }
    const auto names = namesIn(bytes);
    const Values read = valuesOf(document, names);

    document.save(copy);
    if (valuesOf(IniDocument::load(copy), names) != read)
        broken("a value changed by writing the file back");

    const QString section = QStringLiteral("Fuzz");
    const QString key = QStringLiteral("Параметр");
    const QString value = QStringLiteral("Значение 1");
    document.setValue(section, key, value);
    if (document.value(section, key) != value)
        broken("a value written does not read back");
    Values others = read;
    Values changed = valuesOf(document, names);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].first.compare(section, Qt::CaseInsensitive) == 0)
            others[i] = changed[i] = std::nullopt;
    if (changed != others)
        broken("writing one value changed another");
    document.save(copy);
    if (IniDocument::load(copy).value(section, key) != value)
        broken("a value written does not read back from the file");
    return 0;
}
