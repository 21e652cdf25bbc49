#pragma once

#include "unpack.h"

#include <QString>

namespace velmora {

struct ResolveArchiveOptions {
    // Where an archive unpacks when its own folder takes no file (a
    // read-only share): the program's data folder. Empty: such an archive
    // is not unpacked.
    QString fallbackFolder;
    archive::UnpackLimits limits;
};

// Turns a chosen file name into the file to work on. The file part may be a
// mask ("*.vdb"): the newest matching file is taken. When that file is an
// archive (by its extension), it is unpacked into the folder beside it named
// as the archive without its extension ("d/price.zip" into "d/price/"), and
// the newest file written by that unpack, at any depth, is returned. Any
// failure (no such file, a damaged, encrypted or unsafe archive, a limit, a
// disk error, an ARJ archive with no 7-Zip program on the machine) returns
// the name reached so far, with no message, and leaves nothing of the
// unpack behind; an empty name comes back empty.
QString ResolveArchiveFile(const QString& name, const ResolveArchiveOptions& options = {});

// Why an existing archive comes back as it is from ResolveArchiveFile on
// this machine, for the user: an ARJ archive needs 7-Zip's program, which is
// not there. Empty when nothing is missing.
QString archiveReaderMissing(const QString& path, const archive::UnpackLimits& limits = {});

} // namespace velmora
