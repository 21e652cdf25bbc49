#include "empty_catalogue.h"

namespace velmora::output {

QString noGroupsMessage(const QString& notMade)
{
    return QStringLiteral("В каталоге нет ни одной группы товаров: ") + notMade + u'.';
}

QString noGoodsMessage(const QString& notMade)
{
    return QStringLiteral("В каталоге нет ни одного товара: ") + notMade + u'.';
}

} // namespace velmora::output
