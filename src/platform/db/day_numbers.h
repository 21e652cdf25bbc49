#pragma once

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace velmora::db {

// Day numbers count whole days from 30 December 1899 (day 0); date-times are
// REAL days on the same scale, the time of day being the fraction.
inline const QDate kDayZero(1899, 12, 30);

inline qint64 dayNumber(const QDate& date) { return kDayZero.daysTo(date); }

inline QDate dateFromDayNumber(double day) { return kDayZero.addDays(qint64(std::floor(day))); }

inline double dayNumberTime(const QDateTime& dateTime)
{
    const QTime t = dateTime.time();
    const double fraction = (t.msecsSinceStartOfDay()) / 86400000.0;
    return double(dayNumber(dateTime.date())) + fraction;
}

inline QDateTime dateTimeFromDayNumber(double value)
{
    const double whole = std::floor(value);
    const qint64 msecs = qint64(std::llround((value - whole) * 86400000.0));
    return QDateTime(kDayZero.addDays(qint64(whole)), QTime(0, 0).addMSecs(int(std::min<qint64>(msecs, 86399999))));
}

} // namespace velmora::db
