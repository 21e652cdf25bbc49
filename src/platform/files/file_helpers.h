#pragma once

#include <QString>

namespace velmora {

// Copies a file over the destination through a temporary file and a rename,
// so the destination is either the old file or the whole new one. Not for a
// database that may be open: use db::copyDatabase for those.
bool CopyFileShell(const QString& source, const QString& destination);

// The newest file of the folder whose name matches the mask (wildcards, no
// case); equal times are decided by name. Returns folder + "/" + that name,
// or folder + "/" + mask when nothing matches.
QString NewestFileInFolder(const QString& folder, const QString& mask);

// The text after the last "." in upper case; empty when there is none.
QString UpperFileExt(const QString& fileName);

} // namespace velmora
