#pragma once

#include <QDateTime>
#include <QString>

namespace velmora::loader {

// A file's modification time packed as the 32-bit DOS date and time of a
// directory entry (local time, two-second steps): date in the high word
// ((year - 1980) << 9 | month << 5 | day), time in the low word
// (hour << 11 | minute << 5 | second / 2). Stored values from earlier
// installations compare equal for the same file time. 0 for a missing file
// or a time outside 1980..2107.
qint64 PackedDosTime(const QDateTime& localTime);
qint64 FileDosStamp(const QString& path);

} // namespace velmora::loader
