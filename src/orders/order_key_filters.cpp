#include "orders/order_key_filters.h"

namespace velmora::orders {

namespace {
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
} // namespace

std::optional<QChar> FilterRateKey(const QString& text, QChar key)
{
    const qsizetype comma = text.indexOf(u',');
    if (isAsciiDigit(key)) {
        if (comma >= 0 && text.size() - comma - 1 > 2)
            return std::nullopt;
        return key;
    }
    if (key == u',' || key == u'.') {
        if (text.isEmpty() || comma >= 0)
            return std::nullopt;
        return QChar(u',');
    }
    return std::nullopt;
}

OrderNumberKey FilterOrderNumberKey(const QString& text, QChar key)
{
    if (!isAsciiDigit(key))
        return OrderNumberKey::Refuse;
    bool ok = false;
    const qint64 value = (text + key).toLongLong(&ok);
    if (!ok || value > kMaxOrderNumber)
        return OrderNumberKey::TooLarge;
    return OrderNumberKey::Accept;
}

} // namespace velmora::orders
