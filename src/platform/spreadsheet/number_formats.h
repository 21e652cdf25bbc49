#pragma once

#include <QString>

namespace velmora::sheet {

// The format text of a built-in number format id ("" for General and for
// ids without a fixed text). Id 14, the locale's short date, reads as
// "dd.mm.yyyy".
QString builtinNumberFormat(int id);
// The built-in id whose text is exactly `format`, or -1.
int builtinNumberFormatId(const QString& format);
bool isBuiltinDateFormat(int id);
// Whether a format code shows a date or time: it has d, m, y, h or s outside
// quoted text, escapes and [colour] brackets, and is not General.
bool isDateFormat(const QString& format);

} // namespace velmora::sheet
