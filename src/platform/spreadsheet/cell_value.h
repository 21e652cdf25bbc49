#pragma once

#include <QDateTime>
#include <QString>

namespace velmora::sheet {

enum class CellType : unsigned char { Empty, Number, Date, Text, Boolean, Error };

// One cell's value as the spreadsheet holds it. Dates are day numbers on the
// spreadsheet's 1900 scale (day 1 = 1 January 1900, 30 December 1899 is day 0,
// the same scale as the database's day numbers); the fraction is the time.
// An Error value keeps the error's text ("#DIV/0!").
class CellValue {
public:
    CellValue() = default;
    static CellValue number(double value);
    static CellValue date(double dayNumber);
    static CellValue date(const QDateTime& dateTime);
    static CellValue text(const QString& value);
    static CellValue text(QString&& value);
    static CellValue boolean(bool value);
    static CellValue error(const QString& errorText);

    CellType type() const { return type_; }
    bool isEmpty() const { return type_ == CellType::Empty; }
    bool isNumber() const { return type_ == CellType::Number; }
    bool isDate() const { return type_ == CellType::Date; }
    bool isText() const { return type_ == CellType::Text; }

    // The number of a Number, the day number of a Date, 1/0 of a Boolean;
    // 0 for anything else.
    double toNumber() const { return number_; }
    // The text of a Text or Error value; empty otherwise (see toText()).
    const QString& textValue() const { return text_; }
    // The value as a cell shows it without a number format: numbers in the
    // shortest exact form with "." (1234.5, 1E-05 as 0.00001, up to 15
    // significant digits), dates "dd.MM.yyyy" with " hh:mm:ss" when the time
    // is not midnight, booleans "TRUE"/"FALSE", text and errors as they are.
    QString toText() const;
    // The date and time of a Date (or of a Number read as a day number);
    // invalid for other types.
    QDateTime toDateTime() const;

    bool operator==(const CellValue& other) const;

private:
    QString text_;
    double number_ = 0;
    CellType type_ = CellType::Empty;
};

// Day-number conversions on the 1900 scale (30.12.1899 = 0). The date and
// time are taken as they read, without time zones.
double toDayNumber(const QDateTime& dateTime);
double toDayNumber(const QDate& date, const QTime& time = QTime(0, 0));
QDateTime fromDayNumber(double dayNumber);
// The date and time of a day number; false when it is out of range.
bool splitDayNumber(double dayNumber, QDate& date, QTime& time);

} // namespace velmora::sheet
