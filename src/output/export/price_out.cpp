#include "price_out.h"

#include "catalogue/group_tree_walk.h"

#include "storage/value_helpers.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <array>

namespace velmora::output {
namespace {

// ?1 ... ?10 the level names, ?11 ... ?14 the output markups, ?15 the group.
QString insertGoodsSql()
{
    QStringList names, levels, prices, formulas;
    for (int level = 0; level < kPriceOutLevels; ++level) {
        names << QStringLiteral("NameKat%1").arg(level);
        levels << QStringLiteral("?%1").arg(level + 1);
    }
    for (int k = 1; k <= kPriceColumnCount; ++k) {
        prices << QStringLiteral("Price_%1").arg(k);
        formulas << QStringLiteral("Price_1 * (1 + COALESCE(Nacen, 0) / 100.0) * (1 + ?%1 / 100.0)").arg(10 + k);
    }
    return QStringLiteral("INSERT INTO Price_Out (Code, Kategor, %1, Art, Tovar, Nacen, PriceBase, %2, Dates, "
                          "Garant, SuperPrice) SELECT Code, Kategor, %3, Art, Tovar, Nacen, PriceBase, %4, Dates, "
                          "Garant, SuperPrice FROM price_main WHERE Kategor = ?15 "
                          "ORDER BY Tovar COLLATE ALPHABET, Code")
        .arg(names.join(u','), prices.join(u','), levels.join(u','), formulas.join(u','));
}

} // namespace

PriceOutResult RebuildPriceOut(db::Connection& priceDb, const ExportParameters& parameters, int roundDigits,
                               Progress* progress)
{
    const std::vector<catalogue::GroupLevel> walk = catalogue::wholeGroupTree(catalogue::loadGroupTree(priceDb));
    PriceOutResult result;
    result.groups = int(walk.size());
    startProgress(progress, QString(), result.groups);

    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM Price_Out"));
    db::Statement insert = priceDb.prepare(insertGoodsSql());
    for (int k = 1; k <= kPriceColumnCount; ++k)
        insert.bindInt(10 + k, parameters.priceColumnMarkup(k));

    QHash<qint64, QString> groupNames;
    db::Statement readNames = priceDb.prepare(QStringLiteral("SELECT Code, Comment FROM Tovar_tree"));
    while (readNames.step())
        groupNames.insert(readNames.integer(0), readNames.text(1));

    std::array<QString, kPriceOutLevels> names;
    for (const catalogue::GroupLevel& group : walk) {
        const int index = std::clamp(group.level, 1, kPriceOutLevels) - 1;
        names[size_t(index)] = groupNames.value(group.code);
        std::fill(names.begin() + index + 1, names.end(), QString());

        for (int level = 0; level < kPriceOutLevels; ++level)
            insert.bindText(level + 1, names[size_t(level)]);
        insert.bindText(15, QString::number(group.code));
        insert.execute();
        insert.reset();
        result.goods += priceDb.changes();
        stepProgress(progress);
    }
    for (int k = 1; k <= kPriceColumnCount; ++k)
        if (!RoundPriceColumn(priceDb, QStringLiteral("Price_Out"), QStringLiteral("Price_%1").arg(k), roundDigits))
            result.roundingFailed = true;
    transaction.commit();
    return result;
}

} // namespace velmora::output
