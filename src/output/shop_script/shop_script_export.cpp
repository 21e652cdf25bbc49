#include "shop_script_export.h"

#include "shop_script_catalog.h"

#include "catalogue/group_tree_walk.h"
#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "output/output_folders.h"

#include <QHash>

#include <algorithm>
#include <climits>

namespace velmora::output {

ShopScriptExportResult WriteShopScriptCatalog(db::Connection& priceDb, const QString& programFolder,
                                              int roundingDegree, Progress* progress)
{
    struct Finish {
        Progress* progress;
        ~Finish() { finishProgress(progress); }
    } finish{progress};

    const std::vector<catalogue::GroupLevel> walk = catalogue::wholeGroupTree(catalogue::loadGroupTree(priceDb));
    if (walk.empty())
        throw OutputError(noGroupsMessage(QStringLiteral("каталог для Shop-Script не создан")));
    const QString folder = ensureOutputFolder(programFolder, QString::fromUtf8(kShopScriptFolderName));
    ShopScriptExportResult result;
    result.path = folder + QString::fromUtf8(kShopScriptFileName);

    QHash<qint64, QString> names;
    db::Statement readNames = priceDb.prepare(QStringLiteral("SELECT Code, Comment FROM Tovar_tree"));
    while (readNames.step())
        if (!names.contains(readNames.integer(0)))
            names.insert(readNames.integer(0), readNames.text(1));
    const qint64 goodsCount =
        priceDb.scalar(QStringLiteral("SELECT count(*) FROM price_main WHERE Price_1 > -1")).toLongLong();
    startProgress(progress, kShopScriptProgressText,
                  int(std::min<qint64>(goodsCount + qint64(walk.size()), INT_MAX)));

    // The goods of a group as the web shop's import takes them: only those
    // described in Price_Tovar_Info, one line per description row.
    db::Statement goods = priceDb.prepare(QStringLiteral(
        "SELECT m.Art, m.Tovar, i.Comment, m.Price_1 FROM price_main m JOIN Price_Tovar_Info i ON m.Code = i.Code "
        "WHERE m.Kategor = ?1 AND m.Price_1 > -1 ORDER BY m.Tovar COLLATE ALPHABET, m.Code"));
    ShopScriptCatalog file(result.path, roundingDegree);
    for (const catalogue::GroupLevel& group : walk) {
        file.WriteGroup(group.level, names.value(group.code));
        goods.reset();
        goods.bindText(1, QString::number(group.code));
        int written = 0;
        while (goods.step()) {
            file.WriteGood({goods.text(0), goods.text(1), goods.text(2), goods.number(3)});
            ++written;
        }
        result.goods += written;
        ++result.groups;
        stepProgress(progress, written + 1);
    }
    file.Commit();
    return result;
}

} // namespace velmora::output
