#pragma once

#include "../tests/common/peak_memory.h"

#include <QByteArray>
#include <QFile>


namespace velmora::timing {

// A figure of /proc/self/status in KiB ("VmHWM:" the peak resident size);
// -1 when it cannot be read.
inline qint64 memoryKiB(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The peak resident size counts from here on (Linux resets it on request),
// after the memory freed so far went back to the system.
inline void resetPeak() { velmora::testing::resetPeakMemory(); }

} // namespace velmora::timing
