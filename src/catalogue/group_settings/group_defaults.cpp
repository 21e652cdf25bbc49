#include "group_defaults.h"

namespace velmora::catalogue {

namespace {

// Sets a value on each group's goods (Kategor holds the group's digits) and
// on the group itself.
void setForGroups(db::Connection& priceDb, const std::vector<qint64>& groups, const QString& goodsSql,
                  const QString& groupSql, const QVariant& value)
{
    db::Savepoint sp(priceDb, QStringLiteral("group_defaults"));
    db::Statement goods = priceDb.prepare(goodsSql);
    db::Statement group = priceDb.prepare(groupSql);
    for (qint64 code : groups) {
        goods.bind(1, value).bindText(2, QString::number(code)).execute();
        goods.reset();
        group.bind(1, value).bindInt(2, code).execute();
        group.reset();
    }
    sp.release();
}

} // namespace

void setGroupsMarkup(db::Connection& priceDb, const std::vector<qint64>& groups, int markup)
{
    setForGroups(priceDb, groups,
                 QStringLiteral("UPDATE price_main SET Nacen = ?1 WHERE Kategor = ?2 AND ifnull(SuperPrice, 0) = 0"),
                 QStringLiteral("UPDATE Tovar_tree SET Nacen = ?1 WHERE Code = ?2"), markup);
}

void setGroupsWarranty(db::Connection& priceDb, const std::vector<qint64>& groups, const QString& warranty)
{
    setForGroups(priceDb, groups, QStringLiteral("UPDATE price_main SET Garant = ?1 WHERE Kategor = ?2"),
                 QStringLiteral("UPDATE Tovar_tree SET Garant = ?1 WHERE Code = ?2"), warranty);
}

} // namespace velmora::catalogue
