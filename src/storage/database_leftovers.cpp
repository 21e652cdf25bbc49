#include "database_leftovers.h"

#include "database_compaction.h"
#include "platform/archive/unpack.h"
#include "platform/files/leftovers.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

void removeDatabaseLeftovers(const QString& workingPath)
{
    const QString folder = QFileInfo(workingPath).absolutePath();
    removeLeftoversBeside(workingPath);
    removeCompactionLeftovers(folder);
    removeLeftover(QFileInfo(workingPath).absoluteDir().filePath(QStringLiteral("BaseTemp.vdb")));
    archive::removeUnpackLeftovers(folder);
}

} // namespace velmora
