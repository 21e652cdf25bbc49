#pragma once

#include "platform/db/connection.h"

#include <QDateTime>
#include <QString>

namespace velmora {

// Rounds x half up to n decimal places; a negative n rounds to tens,
// hundreds... Exact decimal halves round up whatever the binary
// representation (1.005 gives 1.01); a value already at n places comes back
// as it is, at any size (83141.22 stays 83141.22 at 4 places).
double RoundValue(int n, double x);

// x rounded half up to n decimal places (RoundValue) as the shortest
// decimal text: no trailing zeros, no separator for a whole number, `point`
// as the decimal separator ("115.5", "12,35", "100").
QString RoundedDecimalText(double x, int n, QChar point);

// Rounds a whole price column of a table in one UPDATE on the price
// database; false when the statement failed.
bool RoundPriceColumn(db::Connection& priceDb, const QString& table, const QString& column, int n);

// Column letters: 1 "A" ... 26 "Z", 27 "AA", 52 "AZ", 53 "BA".
QString ColumnToLetters(int column);

// A count with its noun in the form Russian gives it: "1 прайс-лист",
// "2 прайс-листа", "5 прайс-листов", "11 прайс-листов", "21 прайс-лист".
QString RussianCount(qint64 n, const QString& one, const QString& few, const QString& many);

// The column-spec number: up to four columns as two-digit groups (first
// chosen column highest), 100000000 + column for a hyperlink column, 0 none.
int ColumnSpecGroupCount(qint64 spec);
int ColumnSpecGroup(qint64 spec, int index); // index 1 = lowest group
QString ColumnSpecToText(qint64 spec);       // "C+E", "C (Hiper)", "Нет"
qint64 TextToColumnSpec(const QString& text);

// The text with each NUL made a blank: a NUL cuts a text short for many
// readers (C strings, the search index, dBase and CSV importers), so the
// program never stores or writes one.
QString NulsAsBlanks(QString text);

// "dd.MM.yyyy" of the date part.
QString DateToDottedText(const QDateTime& dateTime);

// "hh:mm:ss" since the start mark; reset sets the mark to now first. The
// mark belongs to the caller (the load thread keeps one).
class ElapsedTimer {
public:
    QString ElapsedTimeText(bool reset, const QDateTime& now = QDateTime::currentDateTime());

private:
    QDateTime start_ = QDateTime::currentDateTime();
};

} // namespace velmora
