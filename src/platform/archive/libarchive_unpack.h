#pragma once

#include "unpack_rules.h"

namespace velmora::archive {

// Unpacks the kinds libarchive reads into the folder; returns the regular
// files written, as paths inside the archive, in its order. Fails (throws
// UnpackError) as unpackArchive says.
QStringList unpackWithLibarchive(const QString& archivePath, ArchiveKind kind, UnpackFolder& folder,
                                 const UnpackBounds& bounds, const UnpackLimits& limits);

} // namespace velmora::archive
