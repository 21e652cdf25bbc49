#include "price_list_date.h"

#include "price_excel_settings.h"

namespace velmora::output {
namespace {

const char* const kShortMonths[12] = {"янв", "фев", "мар", "апр", "май", "июн",
                                      "июл", "авг", "сен", "окт", "ноя", "дек"};
const char* const kGenitiveMonths[12] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                         "июля",   "августа", "сентября", "октября", "ноября", "декабря"};

} // namespace

QString priceListDateText(const QDateTime& when, int format)
{
    if (format < 0 || format >= kDateFormatCount)
        return QString();
    const QDate date = when.date();
    if (!date.isValid())
        return QString();
    QString text;
    switch (format % 3) {
    case 0:
        text = date.toString(QStringLiteral("dd.MM.yyyy"));
        break;
    case 1:
        text = QStringLiteral("%1 %2 %3").arg(date.day()).arg(QString::fromUtf8(kShortMonths[date.month() - 1])).arg(date.year());
        break;
    default:
        text = QStringLiteral("%1 %2 %3").arg(date.day()).arg(QString::fromUtf8(kGenitiveMonths[date.month() - 1])).arg(date.year());
        break;
    }
    text += QStringLiteral("г.");
    if (format >= 3)
        text += QStringLiteral("  ") + when.time().toString(QStringLiteral("HH:mm"));
    return text;
}

QString priceListDateLine(const QString& prefix, const QDateTime& when, int format, const QString& suffix)
{
    return prefix + u' ' + priceListDateText(when, format) + u' ' + suffix;
}

QStringList priceListDateFormats()
{
    const QDateTime sample(QDate(2007, 1, 1), QTime(12, 0));
    QStringList formats;
    for (int format = 0; format < kDateFormatCount; ++format)
        formats << priceListDateText(sample, format);
    return formats;
}

} // namespace velmora::output
