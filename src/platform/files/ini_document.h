#pragma once

#include "cp1251.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// An INI file held as its lines, so that a change touches one line and
// keeps every other line, comment and unknown section as it was.
class IniDocument {
public:
    // Loads the file; a missing file is an empty document. Throws
    // std::runtime_error when the file cannot be read or is not text.
    static IniDocument load(const QString& path);

    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);

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

    QStringList lines_;
    TextEncoding encoding_ = TextEncoding::Cp1251;
};

} // namespace velmora
