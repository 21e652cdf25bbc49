#pragma once

#include "cp1251.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace velmora {

// An INI file held as its lines, so that a change touches one line and
// keeps every other line, comment and unknown section as it was. Sections
// are found through an index of their headers, so reading every key of a
// file of many sections costs the file's size and not its square. Not for
// use from two threads at once (a read may build the index).
class IniDocument {
public:
    // Loads the file; a missing file is an empty document. Throws
    // std::runtime_error when the file cannot be read or is not text.
    static IniDocument load(const QString& path);

    bool hasSection(const QString& section) const { return findSection(section).has_value(); }
    // The sections' names in file order, once each (the first of a name
    // repeated is the one read).
    QStringList sectionNames() const;
    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);
    // Removes, in one pass, every section whose name `matches` accepts.
    void removeSections(const std::function<bool(const QString& section)>& matches);
    // Appends a section with its keys in this order at the end of the file,
    // in one step (for a writer of many sections; remove an old section of
    // the name first).
    void appendSection(const QString& section, const QList<std::pair<QString, QString>>& keys);

    // Writes the whole file through a temporary file and a rename, CRLF line
    // ends, in the encoding it was read in (Windows-1251 for a new file).
    // Throws std::runtime_error.
    void save(const QString& path) const;

private:
    struct Range {
        int header = -1; // line of "[section]"
        int end = 0;     // one past the section's last line
    };
    std::optional<Range> findSection(const QString& section) const;
    int findKey(const Range& range, const QString& key) const;
    // The header line of each section name (case-folded), built when first
    // needed and dropped by every change that moves lines.
    const QHash<QString, int>& headers() const;
    void linesMoved() { headers_.reset(); }
    void headerAppended(const QString& section); // a new "[section]" line at the end

    QStringList lines_;
    mutable std::optional<QHash<QString, int>> headers_;
    TextEncoding encoding_ = TextEncoding::Cp1251;
};

} // namespace velmora
