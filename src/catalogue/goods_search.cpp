#include "goods_search.h"

#include "platform/db/text_functions.h"

namespace velmora::catalogue {

std::vector<FoundGood> findGoods(db::Connection& priceDb, GoodsSearchMode mode, const QString& text)
{
    std::vector<FoundGood> found;
    if (text.isEmpty())
        return found;
    QString where;
    QString value = db::likeContainingLiteral(text);
    switch (mode) {
    case GoodsSearchMode::ExactArticle:
        where = QStringLiteral("Art = ?1");
        value = text;
        break;
    case GoodsSearchMode::PartialArticle:
        where = QStringLiteral("Art LIKE ?1") + QLatin1String(db::kLikeEscapeClause);
        break;
    case GoodsSearchMode::NamePart:
        where = QStringLiteral("Tovar LIKE ?1") + QLatin1String(db::kLikeEscapeClause);
        break;
    }
    db::Statement s = priceDb.prepare(
        QStringLiteral("SELECT Code, ifnull(Art, ''), ifnull(Tovar, ''), ifnull(Kategor, '') FROM price_main WHERE ")
        + where + QStringLiteral(" ORDER BY rowid"));
    s.bindText(1, value);
    while (s.step())
        found.push_back(FoundGood{s.integer(0), s.text(1), s.text(2), s.text(3)});
    return found;
}

} // namespace velmora::catalogue
