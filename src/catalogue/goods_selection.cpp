#include "goods_selection.h"

namespace velmora::catalogue {

GoodsSelection initialGoodsSelection()
{
    GoodsSelection selection;
    selection.priceAboveZero = true;
    return selection;
}

std::vector<GoodsListEntry> selectGoods(db::Connection& priceDb, const GoodsSelection& selection)
{
    // Each condition is a fixed line; the choice is bound, never pasted.
    struct Line {
        const std::optional<bool>& choice;
        const char* sql; // true when ?N is 1
    };
    const Line lines[] = {
        {selection.priceAboveZero, "(ifnull(m.Price_1, 0) > 0) = ?%1"},
        {selection.hasArticle, "(trim(ifnull(m.Art, '')) <> '') = ?%1"},
        {selection.superPrice, "(ifnull(m.SuperPrice, 0) <> 0) = ?%1"},
        {selection.hasUrl, "(trim(ifnull(i.URL, '')) <> '') = ?%1"},
        {selection.hasPicture, "(trim(ifnull(i.pictures, '')) <> '') = ?%1"},
    };
    QString sql = QStringLiteral(
        "SELECT m.rowid, m.Code FROM price_main m"
        " LEFT JOIN Price_Tovar_Info i ON i.rowid = (SELECT min(rowid) FROM Price_Tovar_Info WHERE Code = m.Code)"
        " WHERE 1");
    QVariantList values;
    for (const Line& line : lines) {
        if (!line.choice)
            continue;
        values << (*line.choice ? 1 : 0);
        sql += QStringLiteral(" AND ") + QString::fromLatin1(line.sql).arg(values.size());
    }
    sql += QStringLiteral(" ORDER BY m.Kategor, m.Tovar, m.Code");
    db::Statement s = priceDb.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        s.bind(i + 1, values[i]);
    std::vector<GoodsListEntry> entries;
    while (s.step())
        entries.push_back(GoodsListEntry{s.integer(0), s.integer(1)});
    return entries;
}

} // namespace velmora::catalogue
