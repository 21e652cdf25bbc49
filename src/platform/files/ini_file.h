#pragma once

#include "platform/files/message_sink.h"

#include <QString>

namespace velmora {

// INI files as Windows keeps them: Windows-1251 text with CRLF line ends
// (a file that starts with a UTF-8 byte-order mark or is valid UTF-8 is read
// as UTF-8 and written back the same way), section and key names compared
// without case (Cyrillic too), values trimmed on read with one pair of
// surrounding quotes dropped, the first of duplicate keys winning. A write
// changes one value in place and keeps every other line and comment; the
// file is rewritten through a temporary file and a rename.
//
// The routines check their names first: an empty file name, section or key
// is refused with the message the user sees (through `messages`).

// Writes value under key; true on success.
bool WriteIniString(const QString& file, const QString& section, const QString& value, const QString& key,
                    const MessageSink& messages = {});

// Reads key; the default when the file or key is missing; "Error" when a
// name is empty or the file cannot be read.
QString ReadIniString(const QString& file, const QString& section, const QString& defaultValue,
                      const QString& key, const MessageSink& messages = {});

// Deletes key, or the whole section when key is "AllParametrs"; true on
// success.
bool DeleteIniKey(const QString& file, const QString& section, const QString& key,
                  const MessageSink& messages = {});

// Path.dat: one line, the full path of the shared price database. Reading
// drops line ends; writing writes the path alone, Windows-1251, no line end.
// Both throw std::runtime_error on a file error.
QString ReadPathDat(const QString& file);
void WritePathDat(const QString& file, const QString& path);

} // namespace velmora
