#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace velmora {

// The national rate sources, numbered as the source setting minus 1.
enum RateSource : int {
    RateSourceNone = -1,
    RateSourceRussia = 0,     // central bank of Russia, home currency RUB
    RateSourceUkraine = 1,    // Ukrainian rate service, home currency UAH
    RateSourceBelarus = 2,    // national bank of Belarus, home currency BYN
    RateSourceKazakhstan = 3, // national bank of Kazakhstan (RSS), home KZT
};

inline bool isRateSource(int source) { return source >= RateSourceRussia && source <= RateSourceKazakhstan; }

// The currency index of the source's home currency (forced to rate 1), or
// -1 when the table does not hold it (Kazakhstan) or there is no source.
int RateSourceHomeCurrency(int source);

// The source's name as the user sees it in the status bar.
QString RateSourceName(int source);

// The feed address for a source and moment: the source's own scheme and
// host, or baseUrl (scheme, host, optional port and path prefix) in their
// place when it is not empty. Dates in the query use "/" whatever the
// locale. Empty for a number that is no source.
QString RateFeedUrl(int source, const QDateTime& now, const QString& baseUrl = QString());

// One currency read from a feed. rate is per one unit (value / nominal); 0
// when the currency was not found.
struct RateQuote {
    QString code;
    double rate = 0;
    QString name;
    double nominal = 0;
};

// Every usable currency record of a feed, in feed order. ok is false, with
// error set, when the bytes are not one well-formed XML document in a known
// encoding; a record without a positive nominal or value, or whose rate
// would be no positive finite number, is left out.
struct ParsedRateFeed {
    bool ok = false;
    QString error;
    std::vector<RateQuote> quotes;

    // The last record of the code (later records win); rate 0 when absent.
    RateQuote find(const QString& code) const;
};

// Parses a feed of the given source as XML in its declared encoding
// (UTF-8 when none is declared; undeclared bytes that are not UTF-8 are
// taken as Windows-1251). Records are found by their code element, fields
// by element name, so element order, extra elements and whitespace do not
// matter. Values take "," or "." as decimal separator.
ParsedRateFeed ParseRateFeedRecords(const QByteArray& feed, int source);

// One currency out of a feed; rate 0 when it is not there or the feed is
// broken.
RateQuote ParseRateFeed(const QString& code, const QByteArray& feed, int source);

// The feed bytes as text, honouring a byte-order mark and the XML
// declaration's encoding. Sets *error and returns a null text when the
// declared encoding is unknown.
QString DecodeFeedText(const QByteArray& feed, QString* error = nullptr);

} // namespace velmora
