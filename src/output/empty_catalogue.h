#pragma once

#include <QString>

namespace velmora::output {

// The catalogue's outputs refuse to write when there is nothing to write,
// before they make any folder or file, each with one of these messages;
// `notMade` names what was not made ("файл XML не создан").

// "В каталоге нет ни одной группы товаров: " + notMade + "."
QString noGroupsMessage(const QString& notMade);
// "В каталоге нет ни одного товара: " + notMade + "."
QString noGoodsMessage(const QString& notMade);

} // namespace velmora::output
