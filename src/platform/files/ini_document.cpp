#include "ini_document.h"

#include <QFile>
#include <QSaveFile>

#include <stdexcept>

namespace velmora {
namespace {

bool isSectionHeader(const QString& line, QString* name = nullptr)
{
    // Most lines are keys: tell them apart without making a trimmed copy.
    qsizetype first = 0;
    while (first < line.size() && line[first].isSpace())
        ++first;
    if (first == line.size() || line[first] != u'[')
        return false;
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return false;
    const int close = t.indexOf(u']');
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

[[noreturn]] void fail(const QString& message) { throw std::runtime_error(message.toStdString()); }

} // namespace

IniDocument IniDocument::load(const QString& path)
{
    IniDocument document;
    QFile file(path);
    if (!file.exists())
        return document;
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Не удалось открыть файл %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        fail(QStringLiteral("Файл %1 не является текстовым").arg(path));
    QString text = decodeText(bytes, &document.encoding_);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    document.lines_ = text.split(u'\n');
    // A final line end leaves one empty piece behind; it is not a line.
    if (!document.lines_.isEmpty() && document.lines_.last().isEmpty())
        document.lines_.removeLast();
    return document;
}

const QHash<QString, int>& IniDocument::headers() const
{
    if (!headers_) {
        QHash<QString, int> headers;
        for (int i = 0; i < lines_.size(); ++i) {
            QString name;
            if (!isSectionHeader(lines_[i], &name))
                continue;
            const QString key = name.toCaseFolded();
            if (!headers.contains(key)) // the first section of a name is the one read
                headers.insert(key, i);
        }
        headers_ = std::move(headers);
    }
    return *headers_;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    for (int i = 0; i < lines_.size(); ++i) {
        QString name;
        if (isSectionHeader(lines_[i], &name) && headers().value(name.toCaseFolded(), -1) == i)
            names << name;
    }
    return names;
}

std::optional<IniDocument::Range> IniDocument::findSection(const QString& section) const
{
    const auto header = headers().constFind(section.toCaseFolded());
    if (header == headers().constEnd())
        return std::nullopt;
    Range range{*header, int(lines_.size())};
    for (int j = range.header + 1; j < lines_.size(); ++j)
        if (isSectionHeader(lines_[j])) {
            range.end = j;
            break;
        }
    return range;
}

int IniDocument::findKey(const Range& range, const QString& key) const
{
    for (int i = range.header + 1; i < range.end; ++i) {
        const QString& line = lines_[i];
        const int eq = line.indexOf(u'=');
        if (eq < 0 || line.trimmed().startsWith(u';'))
            continue;
        if (sameName(line.left(eq).trimmed(), key))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const int at = findKey(*range, key);
    if (at < 0)
        return std::nullopt;
    const QString& line = lines_[at];
    QString v = line.mid(line.indexOf(u'=') + 1).trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString line = key + u'=' + value;
    const auto range = findSection(section);
    if (!range) {
        headerAppended(section);
        lines_ << line;
        return;
    }
    const int at = findKey(*range, key);
    if (at >= 0) {
        lines_[at] = line;
        return;
    }
    // After the section's last non-empty line, so blank separators stay.
    int insertAt = range->end;
    while (insertAt - 1 > range->header && lines_[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    lines_.insert(insertAt, line);
    linesMoved();
}

void IniDocument::removeKey(const QString& section, const QString& key)
{
    const auto range = findSection(section);
    if (!range)
        return;
    const int at = findKey(*range, key);
    if (at >= 0) {
        lines_.removeAt(at);
        linesMoved();
    }
}

void IniDocument::removeSection(const QString& section)
{
    while (const auto range = findSection(section)) {
        lines_.remove(range->header, range->end - range->header);
        linesMoved();
    }
}

void IniDocument::removeSections(const std::function<bool(const QString& section)>& matches)
{
    QStringList kept;
    kept.reserve(lines_.size());
    bool dropping = false;
    for (const QString& line : std::as_const(lines_)) {
        QString name;
        if (isSectionHeader(line, &name))
            dropping = matches(name);
        if (!dropping)
            kept << line;
    }
    lines_ = std::move(kept);
    linesMoved();
}

void IniDocument::appendSection(const QString& section, const QList<std::pair<QString, QString>>& keys)
{
    headerAppended(section);
    for (const auto& [key, value] : keys)
        lines_ << key + u'=' + value;
}

void IniDocument::headerAppended(const QString& section)
{
    if (headers_ && !headers_->contains(section.toCaseFolded()))
        headers_->insert(section.toCaseFolded(), int(lines_.size()));
    lines_ << (u'[' + section + u']');
}

void IniDocument::save(const QString& path) const
{
    QString text;
    for (const QString& line : lines_)
        text += line + QStringLiteral("\r\n");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Не удалось записать файл %1: %2").arg(path, file.errorString()));
    file.write(encodeText(text, encoding_));
    if (!file.commit())
        fail(QStringLiteral("Не удалось записать файл %1: %2").arg(path, file.errorString()));
}

} // namespace velmora
