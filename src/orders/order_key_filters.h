#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace velmora::orders {

// The rate field's key filter, on the field's text before the key: a digit
// passes unless the text holds a comma with three digits after it already
// (three decimals can be typed); "," or "." goes in as "," when the text is
// not empty and holds no comma yet; every other key is refused (none).
// Backspace is the caller's: it always passes.
std::optional<QChar> FilterRateKey(const QString& text, QChar key);

// The order-number field's key filter: digits only, and none that would
// make the number above 99999.
enum class OrderNumberKey { Accept, Refuse, TooLarge };
OrderNumberKey FilterOrderNumberKey(const QString& text, QChar key);

inline constexpr int kMaxOrderNumber = 99999;
inline const QString kOrderNumberTooLargeMessage = QStringLiteral("  Номер заказа не может быть более 99999!");

} // namespace velmora::orders
