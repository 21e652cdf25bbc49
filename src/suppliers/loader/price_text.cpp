#include "suppliers/loader/price_text.h"

#include <cmath>

namespace velmora::loader {
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
// number and falls back to the digit rule.
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

// Digits and the first separator only: "1 234,50 руб." -> "1234.50".
QString digitsAndFirstSeparator(const QString& text, bool* hasDigits)
{
    QString result;
    result.reserve(text.size());
    bool separatorSeen = false;
    *hasDigits = false;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            result.append(c);
            *hasDigits = true;
        } else if ((c == u',' || c == u'.') && !separatorSeen) {
            result.append(u'.');
            separatorSeen = true;
        }
    }
    return result;
}

} // namespace

QString CurrencyCodeOfPriceWord(const QString& text)
{
    const QString lower = text.toLower();
    struct Word {
        const char16_t* a;
        const char16_t* b;
        const char* code;
    };
    static const Word words[] = {
        {u"byn", u"бел", "BYN"}, {u"руб", u"р.", "RUB"}, {u"$", u"usd", "USD"},
        {u"eur", u"evro", "EUR"}, {u"uah", u"грн", "UAH"},
    };
    for (const Word& word : words) {
        if (lower.contains(QStringView(word.a)) || lower.contains(QStringView(word.b)))
            return QString::fromLatin1(word.code);
    }
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
    if (lower.contains(u"evro") || lower.contains(u"eur"))
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
    bool hasDigits = false;
    const QString digits = digitsAndFirstSeparator(text, &hasDigits);
    if (!hasDigits)
        return result;
    result.hasNumber = true;
    if (!toFinite(digits, &result.value))
        result.value = 0;
    return result;
}

} // namespace velmora::loader
