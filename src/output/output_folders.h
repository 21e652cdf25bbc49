#pragma once

#include <QString>

namespace velmora::output {

// The export run's folders under the program folder.
inline constexpr char kDbfFolderName[] = "База DBF";
inline constexpr char kManagersFolderName[] = "База Access";
inline constexpr char kCatalogueFolderName[] = "Каталог Excel";

// programFolder + name + "/", created when missing. Throws OutputError
// "Невозможно создать директорию " + the folder when it cannot be made.
QString ensureOutputFolder(const QString& programFolder, const QString& name);

// The name a file the user named in the export parameters is saved under:
// the stem of `fileName` (an extension in `oldExtensions`, compared without
// case, is dropped) followed by `extension`; `defaultStem` + `extension`
// when the name is blank. Characters a file name cannot hold become "_".
QString outputFileName(const QString& fileName, const QStringList& oldExtensions, const QString& defaultStem,
                       const QString& extension);

} // namespace velmora::output
