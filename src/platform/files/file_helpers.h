#pragma once

#include <QString>

class QFile;

namespace velmora {

// Copies a file over the destination: the copy is written and synced under a
// temporary name beside it and then renamed over it, so the destination is
// either the old file or the whole new one and is never removed first. The
// copy takes the source's permissions. Not for a database that may be open:
// use db::copyDatabase for those.
bool CopyFileShell(const QString& source, const QString& destination);

// Writes the rest of the open `source` into `destination` (made, or emptied
// first) a megabyte at a time; false when a read or a write fails. Neither
// synced nor renamed: for a file in the making.
bool copyFileContent(QFile& source, const QString& destination);

// The newest file of the folder whose name matches the mask (wildcards, no
// case); equal times are decided by name. Returns folder + "/" + that name,
// or folder + "/" + mask when nothing matches.
QString NewestFileInFolder(const QString& folder, const QString& mask);

// The text after the last "." in upper case; empty when there is none.
QString UpperFileExt(const QString& fileName);

// The name with each character a file name cannot hold (/ \ : * ? " < > |
// and control characters) made "_", and with `blanksToo` each blank as well.
QString ReplaceFileNameCharacters(const QString& name, bool blanksToo = false);

// The first name of folder + stem + suffix + extension that no file has yet,
// the suffix being "", then "_2", "_3" and so on: a second output of the same
// name never replaces the first. Returns the path; `suffix` receives the
// suffix taken.
QString FreeNumberedFileName(const QString& folder, const QString& stem, const QString& extension,
                             QString* suffix = nullptr);

} // namespace velmora
