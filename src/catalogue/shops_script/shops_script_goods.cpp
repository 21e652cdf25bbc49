#include "shops_script_goods.h"

#include "storage/value_helpers.h"

namespace velmora::catalogue {

OutputPriceColumns readOutputPriceColumns(db::Connection& priceDb)
{
    OutputPriceColumns columns;
    db::Statement select =
        priceDb.prepare(QStringLiteral("SELECT ifnull(Name_out, ''), ifnull(Nacen_out, 0) FROM parametr WHERE Id = ?1"));
    for (int id = 1; id <= kOutputPriceColumns; ++id) {
        select.bindInt(1, id);
        if (select.step())
            columns[size_t(id - 1)] = OutputPriceColumn{select.text(0).trimmed(), int(select.integer(1))};
        select.reset();
    }
    return columns;
}

double outputPrice(double price1, int nacen, int columnMarkup, int roundDigits)
{
    const double base = price1 * (1 + nacen / 100.0);
    return RoundValue(roundDigits, base * (1 + columnMarkup / 100.0));
}

std::vector<ShopsScriptGood> readShopsScriptGoods(db::Connection& priceDb, qint64 group, double priceNull,
                                                  const OutputPriceColumns& columns, int roundDigits)
{
    std::vector<ShopsScriptGood> goods;
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT m.Code, ifnull(m.Art, ''), ifnull(m.Tovar, ''), ifnull(m.Price_1, 0), ifnull(m.Nacen, 0),"
        " ifnull(i.URL, ''), ifnull(i.Pictures, '')"
        " FROM price_main m LEFT JOIN Price_Tovar_Info i ON i.Code = m.Code"
        " WHERE m.Kategor = ?1 AND m.Price_1 > ?2 ORDER BY m.Tovar, m.Code"));
    select.bindText(1, QString::number(group)).bindDouble(2, priceNull);
    while (select.step()) {
        ShopsScriptGood g;
        g.code = select.integer(0);
        g.art = select.text(1);
        g.tovar = select.text(2);
        g.price1 = select.number(3);
        g.nacen = int(select.integer(4));
        g.url = select.text(5);
        g.pictures = select.text(6);
        for (int k = 0; k < kOutputPriceColumns; ++k)
            g.priceOut[size_t(k)] = outputPrice(g.price1, g.nacen, columns[size_t(k)].markup, roundDigits);
        goods.push_back(std::move(g));
    }
    return goods;
}

} // namespace velmora::catalogue
