#include "suppliers/loader/file_stamp.h"

#include <QFileInfo>

namespace velmora::loader {

qint64 PackedDosTime(const QDateTime& localTime)
{
    if (!localTime.isValid())
        return 0;
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    if (d.year() < 1980 || d.year() > 2107)
        return 0;
    const quint32 date = quint32((d.year() - 1980) << 9 | d.month() << 5 | d.day());
    const quint32 time = quint32(t.hour() << 11 | t.minute() << 5 | t.second() / 2);
    return qint64(date) << 16 | time;
}

qint64 FileDosStamp(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return 0;
    return PackedDosTime(info.lastModified().toLocalTime());
}

} // namespace velmora::loader
