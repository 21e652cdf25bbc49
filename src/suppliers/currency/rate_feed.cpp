#include "rate_feed.h"

#include "currency_table.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <cmath>

namespace velmora {
namespace {

struct FeedLayout {
    const char* host;
    const char* path;
    const char* datePattern; // empty: the address takes no date
    const char* codeTag;
    const char* nominalTag;
    const char* nameTag; // empty: the code element's text is the name
    const char* valueTag;
    bool insideChannel; // records count only inside <channel> (RSS)
};

const FeedLayout kLayouts[] = {
    {"http://www.cbr.ru", "/scripts/XML_daily.asp?date_req=", "dd/MM/yyyy",
     "CharCode", "Nominal", "Name", "Value", false},
    {"http://bank-ua.com", "/export/currrate.xml", "", "char3", "size", "name", "rate", false},
    {"http://www.nbrb.by", "/Services/XmlExRates.aspx?ondate=", "MM/dd/yyyy",
     "CharCode", "Scale", "Name", "Rate", false},
    {"http://www.nationalbank.kz", "/rss/rates_all.xml", "", "title", "quant", "", "description", true},
};

const FeedLayout* layoutOf(int source)
{
    return isRateSource(source) ? &kLayouts[source] : nullptr;
}

// A decimal from a feed: "73,4567" or "3.2551", blanks (also no-break and
// thin ones) ignored. NaN when the text is no number.
double feedNumber(QString text)
{
    static const QRegularExpression blanks(QStringLiteral("[\\s\\x{00A0}\\x{2009}\\x{202F}]"));
    text.remove(blanks);
    text.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value) ? value : std::nan("");
}

// One open element while streaming: its own text and the texts of its
// child elements by name.
struct Frame {
    QString name;
    QString text;
    QHash<QString, QString> children;
};

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes); // decoding is lazy: it runs here
    return !decoder.hasError();
}

} // namespace

int RateSourceHomeCurrency(int source)
{
    switch (source) {
    case RateSourceRussia: return CurrencyRUB;
    case RateSourceUkraine: return CurrencyUAH;
    case RateSourceBelarus: return CurrencyBYN;
    default: return -1;
    }
}

QString RateSourceName(int source)
{
    switch (source) {
    case RateSourceRussia: return QStringLiteral("ЦБ России");
    case RateSourceUkraine: return QStringLiteral("ЦБ Украины");
    case RateSourceBelarus: return QStringLiteral("НБ Белоруссии");
    case RateSourceKazakhstan: return QStringLiteral("НБ Казахстана");
    default: return QStringLiteral("НЕТ!");
    }
}

QString RateFeedUrl(int source, const QDateTime& now, const QString& baseUrl)
{
    const FeedLayout* layout = layoutOf(source);
    if (!layout)
        return QString();
    QString base = baseUrl.trimmed();
    while (base.endsWith(u'/'))
        base.chop(1);
    if (base.isEmpty())
        base = QString::fromLatin1(layout->host);
    QString url = base + QString::fromLatin1(layout->path);
    // QDate::toString with a pattern takes "/" literally, not the locale's
    // date separator.
    if (*layout->datePattern)
        url += now.date().toString(QString::fromLatin1(layout->datePattern));
    return url;
}

QString DecodeFeedText(const QByteArray& feed, QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return QString();
    };
    if (feed.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(feed.mid(3));
    if (feed.startsWith("\xFF\xFE") || feed.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(feed.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder.decode(feed.mid(2));
    }

    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml[^>]*?encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(feed.left(512)));
    if (match.hasMatch()) {
        const QString encoding = match.captured(1);
        QStringDecoder decoder(encoding.toLatin1().constData());
        if (!decoder.isValid())
            return fail(QStringLiteral("неизвестная кодировка %1").arg(encoding));
        return decoder.decode(feed);
    }
    if (isValidUtf8(feed))
        return QString::fromUtf8(feed);
    QStringDecoder cp1251("windows-1251");
    return cp1251.isValid() ? QString(cp1251.decode(feed)) : QString::fromLatin1(feed);
}

RateQuote ParsedRateFeed::find(const QString& code) const
{
    for (auto it = quotes.rbegin(); it != quotes.rend(); ++it)
        if (it->code.compare(code.trimmed(), Qt::CaseInsensitive) == 0)
            return *it;
    RateQuote none;
    none.code = code;
    return none;
}

ParsedRateFeed ParseRateFeedRecords(const QByteArray& feed, int source)
{
    ParsedRateFeed result;
    const FeedLayout* layout = layoutOf(source);
    if (!layout) {
        result.error = QStringLiteral("нет такого источника курсов");
        return result;
    }
    if (feed.trimmed().isEmpty()) {
        result.error = QStringLiteral("пустой ответ");
        return result;
    }
    QString decodeError;
    const QString text = DecodeFeedText(feed, &decodeError);
    if (!decodeError.isEmpty()) {
        result.error = decodeError;
        return result;
    }

    const QString codeTag = QString::fromLatin1(layout->codeTag);
    const QString nominalTag = QString::fromLatin1(layout->nominalTag);
    const QString nameTag = QString::fromLatin1(layout->nameTag);
    const QString valueTag = QString::fromLatin1(layout->valueTag);
    const QString channelTag = QStringLiteral("channel");

    QXmlStreamReader reader(text);
    std::vector<Frame> stack;
    int channelDepth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            stack.push_back(Frame{reader.name().toString(), QString(), {}});
            if (stack.back().name == channelTag)
                ++channelDepth;
            break;
        case QXmlStreamReader::Characters:
            if (!stack.empty())
                stack.back().text += reader.text();
            break;
        case QXmlStreamReader::EndElement: {
            Frame frame = std::move(stack.back());
            stack.pop_back();
            if (frame.name == channelTag)
                --channelDepth;
            if (!stack.empty())
                stack.back().children.insert(frame.name, frame.text.trimmed());

            const auto code = frame.children.constFind(codeTag);
            if (code == frame.children.cend() || (layout->insideChannel && channelDepth <= 0))
                break;
            const auto nominalText = frame.children.constFind(nominalTag);
            const auto valueText = frame.children.constFind(valueTag);
            if (nominalText == frame.children.cend() || valueText == frame.children.cend())
                break;
            const double nominal = feedNumber(*nominalText);
            const double value = feedNumber(*valueText);
            if (!(nominal > 0) || !(value > 0))
                break;
            // Extreme but finite texts ("1e300" per "1e-300") would give a
            // rate that is infinite or 0 and reprice every offer with it.
            const double rate = value / nominal;
            if (!std::isfinite(rate) || !(rate > 0))
                break;
            RateQuote quote;
            quote.code = *code;
            quote.nominal = nominal;
            quote.rate = rate;
            quote.name = nameTag.isEmpty() ? *code : frame.children.value(nameTag);
            result.quotes.push_back(std::move(quote));
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError()) {
        result.quotes.clear();
        result.error = QStringLiteral("ответ не является XML (%1, строка %2)")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber());
        return result;
    }
    result.ok = true;
    return result;
}

RateQuote ParseRateFeed(const QString& code, const QByteArray& feed, int source)
{
    return ParseRateFeedRecords(feed, source).find(code);
}

} // namespace velmora
