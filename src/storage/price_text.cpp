#include "storage/price_text.h"

#include <cmath>
#include <initializer_list>

namespace velmora {
namespace {

bool toFinite(const QString& text, double* value)
{
    bool ok = false;
    const double parsed = text.toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

// "1,234.50" -> "1234.50", "12,5" -> "12.5": the last separator is the
// decimal one, earlier ones of the other kind group thousands. A text with
// one kind of separator keeps them all (as "."), so "1.234.567" stays no
// plain number and is read by its digit groups.
QString withDotSeparator(const QString& text)
{
    const qsizetype lastComma = text.lastIndexOf(u',');
    const qsizetype lastDot = text.lastIndexOf(u'.');
    if (lastComma < 0 && lastDot < 0)
        return text;
    if (lastComma >= 0 && lastDot >= 0) {
        const QChar grouping = lastComma > lastDot ? u'.' : u',';
        QString result = text;
        result.remove(grouping);
        result.replace(u',', u'.');
        return result;
    }
    QString result = text;
    result.replace(u',', u'.');
    return result;
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool isDecimalSeparator(QChar c) { return c == u',' || c == u'.'; }

// Blanks that split digit groups: space, no-break space, thin spaces.
bool isBlank(QChar c) { return c == u' ' || c == u'\u00A0' || c == u'\u2009' || c == u'\u202F'; }

// True when text[at] is followed by exactly three digits and then no digit.
bool threeDigitsFollow(const QString& text, qsizetype at)
{
    if (at + 3 >= text.size())
        return false;
    for (qsizetype k = at + 1; k <= at + 3; ++k)
        if (!isDigit(text[k]))
            return false;
    return at + 4 == text.size() || !isDigit(text[at + 4]);
}

// The first number of a text that is no plain number, as "." decimal text;
// empty when the text has no digit.
QString firstNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && !isDigit(text[i]))
        ++i;
    if (i == text.size())
        return {};

    QString number;
    while (i < text.size() && isDigit(text[i]))
        number.append(text[i++]);

    // Thousands: groups of three digits after at most three leading ones,
    // all split by the same character.
    QChar grouping;
    int groups = 0;
    if (number.size() <= 3) {
        while (i < text.size() && (isBlank(text[i]) || isDecimalSeparator(text[i]))
               && (grouping.isNull() || text[i] == grouping) && threeDigitsFollow(text, i)) {
            grouping = text[i];
            number.append(text.mid(i + 1, 3));
            i += 4;
            ++groups;
        }
    }

    // A single "," or "." group with nothing after it is the decimal
    // separator, as it is in a plain number ("12,500 руб" is 12.5).
    if (groups == 1 && isDecimalSeparator(grouping)
        && !(i + 1 < text.size() && isDecimalSeparator(text[i]) && isDigit(text[i + 1])))
        return number.left(number.size() - 3) + u'.' + number.right(3);

    if (i + 1 < text.size() && isDecimalSeparator(text[i]) && text[i] != grouping && isDigit(text[i + 1])) {
        number.append(u'.');
        for (++i; i < text.size() && isDigit(text[i]); ++i)
            number.append(text[i]);
    }
    return number;
}

} // namespace

QString CurrencyCodeOfPriceWord(const QString& text)
{
    const QString lower = text.toLower();
    struct Word {
        std::initializer_list<const char16_t*> names;
        const char* code;
    };
    static const Word words[] = {
        {{u"byn", u"бел"}, "BYN"},
        {{u"руб", u"р."}, "RUB"},
        {{u"$", u"usd"}, "USD"},
        {{u"eur", u"evro", u"евро", u"€"}, "EUR"},
        {{u"uah", u"грн"}, "UAH"},
    };
    for (const Word& word : words)
        for (const char16_t* name : word.names)
            if (lower.contains(QStringView(name)))
                return QString::fromLatin1(word.code);
    return {};
}

QString NormaliseRowCurrencyText(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QString lower = trimmed.toLower();
    if (lower.contains(u"бел") || lower.contains(u"byn"))
        return QStringLiteral("BYN");
    if (lower.contains(u"руб") || lower.contains(u"rur"))
        return QStringLiteral("RUB");
    if (lower.contains(u'$') || lower.contains(u"usd"))
        return QStringLiteral("USD");
    if (lower.contains(u"evro") || lower.contains(u"eur") || lower.contains(u"евро") || lower.contains(u'€'))
        return QStringLiteral("EUR");
    if (lower.contains(u"uah") || lower.contains(u"грн"))
        return QStringLiteral("UAH");
    return trimmed.toUpper();
}

ParsedPrice ParsePriceText(const QString& text, QString* currencyCode)
{
    ParsedPrice result;
    if (text.isEmpty())
        return result;
    if (toFinite(withDotSeparator(text), &result.value)) {
        result.hasNumber = true;
        return result;
    }
    if (currencyCode) {
        const QString code = CurrencyCodeOfPriceWord(text);
        if (!code.isEmpty())
            *currencyCode = code;
    }
    const QString number = firstNumber(text);
    if (number.isEmpty())
        return result;
    result.hasNumber = true;
    if (!toFinite(number, &result.value))
        result.value = 0;
    return result;
}

double ParsePrice(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    while (i < trimmed.size() && !isDigit(trimmed[i]))
        ++i;
    QString number;
    int separators = 0;
    while (i < trimmed.size()) {
        const QChar c = trimmed[i];
        if (isDigit(c)) {
            number.append(c);
            ++i;
            continue;
        }
        qsizetype next = i;
        while (next < trimmed.size() && isBlank(trimmed[next]))
            ++next;
        if (next > i && next < trimmed.size() && isDigit(trimmed[next])) {
            i = next;
            continue;
        }
        if (isDecimalSeparator(c) && i + 1 < trimmed.size() && isDigit(trimmed[i + 1])) {
            ++separators;
            number.append(u'.');
            ++i;
            continue;
        }
        break;
    }
    double value = 0;
    if (number.isEmpty() || separators > 1 || !toFinite(number, &value))
        return 0;
    return std::round(value * 10000) / 10000;
}

} // namespace velmora
