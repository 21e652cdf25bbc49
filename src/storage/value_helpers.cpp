#include "value_helpers.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

double powerOfTen(int n)
{
    double f = 1;
    for (int i = 0; i < std::abs(n); ++i)
        f *= 10;
    return f;
}

bool isIdentifier(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^[A-Za-z_][A-Za-z0-9_]*$)"));
    return pattern.match(name).hasMatch();
}

} // namespace

double RoundValue(int n, double x)
{
    if (!std::isfinite(x))
        return x;
    const double scale = powerOfTen(n);
    const double scaled = n >= 0 ? x * scale : x / scale;
    // From 2^52 up every double is whole: there is nothing to round.
    if (!(std::fabs(scaled) < 4503599627370496.0))
        return x;
    // Half up by floor, so negative values round like positive ones. A
    // decimal half that binary cannot hold (1.005, 2.675) lands a unit or
    // two in the last place below the half once scaled; such a value rounds
    // up as written. The allowance is a few units of the scaled value's last
    // place (capped where those units grow coarse), never a share of its
    // size, so a value already at n places comes back unchanged however
    // large it is.
    const double lower = std::floor(scaled);
    const double fraction = scaled - lower; // exact below 2^52
    const double lastPlace = std::nextafter(std::fabs(scaled), HUGE_VAL) - std::fabs(scaled);
    const double allowance = std::min(4 * lastPlace, 1.0 / 64);
    const double k = fraction >= 0.5 - allowance ? lower + 1 : lower;
    const double result = n >= 0 ? k / scale : k * scale;
    return std::isfinite(result) ? result : x;
}

QString RoundedDecimalText(double x, int n, QChar point)
{
    const double rounded = RoundValue(n, x);
    QString text = QString::number(rounded == 0 ? 0.0 : rounded, 'f', std::max(n, 0));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text.replace(u'.', point);
}

bool RoundPriceColumn(db::Connection& priceDb, const QString& table, const QString& column, int n)
{
    if (!isIdentifier(table) || !isIdentifier(column))
        return false;
    const QString factor = n >= 0 ? QStringLiteral("1") + QString(n, u'0')
                                  : QStringLiteral("0.") + QString(-n - 1, u'0') + QStringLiteral("1");
    try {
        // The factor text is "1000" or "0.01": Int() returns a real, so the
        // division keeps its decimals.
        priceDb.exec(QStringLiteral("update %1\nset %2=Int((%2*%3)+0.5)/%3").arg(table, column, factor));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString ColumnToLetters(int column)
{
    QString letters;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        letters.prepend(QChar(u'A' + rest));
        column = (column - 1) / 26;
    }
    return letters;
}

int ColumnSpecGroupCount(qint64 spec)
{
    if (spec < 100)
        return 1;
    if (spec < 10000)
        return 2;
    if (spec <= 999999)
        return 3;
    if (spec > 99999999)
        return 0;
    return 4;
}

int ColumnSpecGroup(qint64 spec, int index)
{
    if (spec > 100000000)
        return int(spec - 100000000);
    if (spec <= 0 || index <= 0)
        return 0;
    qint64 value = spec;
    for (int i = 1; i < index; ++i)
        value /= 100;
    return int(value % 100);
}

QString ColumnSpecToText(qint64 spec)
{
    if (spec > 100000000)
        return ColumnToLetters(int(spec % 100)) + QStringLiteral(" (Hiper)");
    const int groups = ColumnSpecGroupCount(spec);
    if (spec <= 0 || groups == 0)
        return QStringLiteral("Нет");
    QStringList parts;
    for (int i = groups; i >= 1; --i) {
        const int column = ColumnSpecGroup(spec, i);
        if (column > 0)
            parts << ColumnToLetters(column);
    }
    return parts.isEmpty() ? QStringLiteral("Нет") : parts.join(u'+');
}

qint64 TextToColumnSpec(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t == QStringLiteral("Нет"))
        return 0;
    auto lettersToNumber = [](const QString& letters) {
        qint64 number = 0;
        for (const QChar c : letters)
            if (c >= u'A' && c <= u'Z')
                number = number * 26 + (c.unicode() - u'A' + 1);
        return number;
    };
    if (t.contains(QStringLiteral("(Hiper)")))
        return 100000000 + lettersToNumber(t.section(u' ', 0, 0));
    QString digits;
    for (const QString& part : t.split(u'+', Qt::SkipEmptyParts)) {
        const qint64 column = lettersToNumber(part.trimmed());
        digits += QStringLiteral("%1").arg(column % 100, 2, 10, QChar(u'0'));
    }
    return digits.toLongLong();
}

QString NulsAsBlanks(QString text)
{
    if (text.contains(QChar(0)))
        text.replace(QChar(0), u' ');
    return text;
}

QString DateToDottedText(const QDateTime& dateTime) { return dateTime.date().toString(QStringLiteral("dd.MM.yyyy")); }

QString ElapsedTimer::ElapsedTimeText(bool reset, const QDateTime& now)
{
    if (reset)
        start_ = now;
    const qint64 seconds = std::max<qint64>(0, start_.secsTo(now));
    return QStringLiteral("%1:%2:%3")
        .arg((seconds / 3600) % 24, 2, 10, QChar(u'0'))
        .arg((seconds / 60) % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString RussianCount(qint64 n, const QString& one, const QString& few, const QString& many)
{
    const qint64 tens = (n < 0 ? -n : n) % 100;
    const qint64 units = tens % 10;
    const QString& noun = (tens >= 11 && tens <= 14) ? many : units == 1 ? one : (units >= 2 && units <= 4) ? few : many;
    return QString::number(n) + u' ' + noun;
}

} // namespace velmora
