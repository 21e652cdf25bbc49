#pragma once

#include "unpack_rules.h"

namespace velmora::archive {

// Unpacks an archive with 7-Zip's program (limits.sevenZipProgram) run as a
// child process: its listing is checked first by the rules of every unpack
// (no path leaving the folder, no link, no encrypted entry, the entry count
// and the size bound), then it extracts into the folder, watched for the
// size bound and stopped at the time bound. Names stored in the DOS code
// page (by arj on DOS or Windows) are written in UTF-8, as the other kinds'
// are. Returns the regular files written, as paths inside the archive, in
// its order. Throws UnpackError;
// without the program, one whose failure is ReaderMissing.
QStringList unpackWithSevenZip(const QString& archivePath, UnpackFolder& folder, const UnpackBounds& bounds,
                               const UnpackLimits& limits);

// Whether the program can be run: found on the search path, or a full path
// to an executable file.
bool sevenZipProgramFound(const QString& program);

} // namespace velmora::archive
