#include "group_markups.h"

namespace velmora::output {
namespace {

// Each group's goods (those `goods` lets through) and its own row get the
// value bound to ?1.
void setForGroups(db::Connection& priceDb, const std::vector<qint64>& groups, const QVariant& value,
                  const QString& goodsUpdate, const QString& groupUpdate)
{
    db::Transaction transaction(priceDb);
    db::Statement goods = priceDb.prepare(goodsUpdate);
    db::Statement group = priceDb.prepare(groupUpdate);
    goods.bind(1, value);
    group.bind(1, value);
    for (qint64 code : groups) {
        goods.bindText(2, QString::number(code));
        goods.execute();
        goods.reset();
        group.bindInt(2, code);
        group.execute();
        group.reset();
    }
    transaction.commit();
}

} // namespace

void setMarkupOfAllGoods(db::Connection& priceDb, int markup)
{
    db::Transaction transaction(priceDb);
    db::Statement goods =
        priceDb.prepare(QStringLiteral("UPDATE price_main SET Nacen = ?1 WHERE COALESCE(SuperPrice, 0) = 0"));
    goods.bindInt(1, markup);
    goods.execute();
    db::Statement groups = priceDb.prepare(QStringLiteral("UPDATE Tovar_tree SET Nacen = ?1"));
    groups.bindInt(1, markup);
    groups.execute();
    transaction.commit();
}

std::optional<GroupValue> groupValueOfMode(const QString& mode)
{
    if (mode == u"Nacen")
        return GroupValue::Markup;
    if (mode == u"Garant")
        return GroupValue::Warranty;
    return std::nullopt;
}

void setGroupMarkup(db::Connection& priceDb, const std::vector<qint64>& groups, int markup)
{
    setForGroups(priceDb, groups, markup,
                 QStringLiteral("UPDATE price_main SET Nacen = ?1 WHERE Kategor = ?2 AND COALESCE(SuperPrice, 0) = 0"),
                 QStringLiteral("UPDATE Tovar_tree SET Nacen = ?1 WHERE Code = ?2"));
}

void setGroupWarranty(db::Connection& priceDb, const std::vector<qint64>& groups, const QString& warranty)
{
    setForGroups(priceDb, groups, warranty, QStringLiteral("UPDATE price_main SET Garant = ?1 WHERE Kategor = ?2"),
                 QStringLiteral("UPDATE Tovar_tree SET Garant = ?1 WHERE Code = ?2"));
}

} // namespace velmora::output
