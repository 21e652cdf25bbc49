#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace velmora::output {

// The date of the price list's date line in format `format` (the items of
// the layout window's list): 0 "01.01.2007г.", 1 "1 янв 2007г.",
// 2 "1 января 2007г.", 3 ... 5 the same followed by two blanks and the
// time "12:00"; "" for any other format. Month names are the program's own
// Russian ones, whatever the system's locale.
QString priceListDateText(const QDateTime& when, int format);

// prefix + " " + the date + " " + suffix.
QString priceListDateLine(const QString& prefix, const QDateTime& when, int format, const QString& suffix);

// The texts of the formats as the layout window lists them (1 January 2007,
// 12:00).
QStringList priceListDateFormats();

} // namespace velmora::output
