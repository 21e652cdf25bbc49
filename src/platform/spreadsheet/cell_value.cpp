#include "platform/spreadsheet/cell_value.h"

#include <cmath>
#include <cstdio>

namespace velmora::sheet {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
} // namespace

CellValue CellValue::number(double value)
{
    CellValue v;
    v.type_ = CellType::Number;
    v.number_ = value;
    return v;
}

CellValue CellValue::date(double dayNumber)
{
    CellValue v;
    v.type_ = CellType::Date;
    v.number_ = dayNumber;
    return v;
}

CellValue CellValue::date(const QDateTime& dateTime)
{
    return date(toDayNumber(dateTime));
}

CellValue CellValue::text(const QString& value)
{
    CellValue v;
    v.type_ = CellType::Text;
    v.text_ = value;
    return v;
}

CellValue CellValue::text(QString&& value)
{
    CellValue v;
    v.type_ = CellType::Text;
    v.text_ = std::move(value);
    return v;
}

CellValue CellValue::boolean(bool value)
{
    CellValue v;
    v.type_ = CellType::Boolean;
    v.number_ = value ? 1 : 0;
    return v;
}

CellValue CellValue::error(const QString& errorText)
{
    CellValue v;
    v.type_ = CellType::Error;
    v.text_ = errorText;
    return v;
}

// Up to 15 significant digits, as a cell shows a General number, without
// an exponent for ordinary magnitudes.
static QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-9 && magnitude < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
        QString text = QString::fromLatin1(buffer);
        if (!text.contains(u'e'))
            return text;
        // %g chose an exponent for a small number: write it out in full.
        const int decimals = std::max(0, 14 - int(std::floor(std::log10(magnitude))));
        std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 30), value);
        text = QString::fromLatin1(buffer);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
        return text;
    }
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return QString::fromLatin1(buffer);
}

QString CellValue::toText() const
{
    switch (type_) {
    case CellType::Empty:
        return {};
    case CellType::Number:
        return numberText(number_);
    case CellType::Date: {
        QDate date;
        QTime time;
        if (!splitDayNumber(number_, date, time))
            return numberText(number_);
        if (time == QTime(0, 0))
            return date.toString(QStringLiteral("dd.MM.yyyy"));
        return date.toString(QStringLiteral("dd.MM.yyyy")) + u' ' + time.toString(QStringLiteral("hh:mm:ss"));
    }
    case CellType::Boolean:
        return number_ != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellType::Text:
    case CellType::Error:
        return text_;
    }
    return {};
}

QDateTime CellValue::toDateTime() const
{
    if (type_ != CellType::Date && type_ != CellType::Number)
        return {};
    return fromDayNumber(number_);
}

bool CellValue::operator==(const CellValue& other) const
{
    if (type_ != other.type_)
        return false;
    switch (type_) {
    case CellType::Empty:
        return true;
    case CellType::Text:
    case CellType::Error:
        return text_ == other.text_;
    default:
        return number_ == other.number_;
    }
}

double toDayNumber(const QDate& date, const QTime& time)
{
    // Julian days and milliseconds: no time-zone lookups (they cost a
    // system call per value).
    const double days = double(date.toJulianDay() - kEpoch.toJulianDay());
    const int ms = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    return days + double(ms) / kMsPerDay;
}

double toDayNumber(const QDateTime& dateTime)
{
    return toDayNumber(dateTime.date(), dateTime.time());
}

bool splitDayNumber(double dayNumber, QDate& date, QTime& time)
{
    if (!std::isfinite(dayNumber) || dayNumber < -693593 || dayNumber > 2958466)
        return false;
    // Round to the millisecond so 0.5 days is exactly noon.
    const qint64 ms = qint64(std::llround(dayNumber * kMsPerDay));
    const qint64 days = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    const qint64 rest = ms - days * kMsPerDay;
    date = kEpoch.addDays(days);
    time = QTime::fromMSecsSinceStartOfDay(int(rest));
    return true;
}

QDateTime fromDayNumber(double dayNumber)
{
    QDate date;
    QTime time;
    if (!splitDayNumber(dayNumber, date, time))
        return {};
    return QDateTime(date, time);
}

} // namespace velmora::sheet
