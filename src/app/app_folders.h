#pragma once

#include <QString>

namespace velmora {

// The folder of the program's own executable, with a trailing "/".
QString programFolderOfExecutable();

// The per-user data folder with a trailing "/": $APPDATA/Velmora/ when
// APPDATA is set, otherwise $XDG_DATA_HOME/Velmora/ (by default
// ~/.local/share/Velmora/). The folder is not created here.
QString dataFolderFromEnvironment();

// The login name of the process; "Unknown" when it cannot be had.
QString currentUserName();

// Joins a folder (with or without its trailing "/") and a file name.
QString pathInFolder(const QString& folder, const QString& fileName);

} // namespace velmora
