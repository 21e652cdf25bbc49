// After the catalogue's commands the price database is sound for the stock
// sqlite3 shell with the program's extension: it checks, its look-up
// indexes find names in any case, and positions are gapless under every
// parent.
#include "catalogue_test_support.h"
#include "../common/program_databases.h"

#include "catalogue/goods_card_data.h"
#include "catalogue/goods_commands.h"
#include "catalogue/group_tree.h"
#include "catalogue/new_tovar_import.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;
using velmora::testing::sqliteShell;

namespace {

TEST_F(CatalogueTest, StockShellFindsTheDatabaseSoundAfterTheCommands)
{
    // Groups in mixed case, added, sorted, moved and deleted.
    const qint64 category = catalogue::addGroup(priceDb, 0, QStringLiteral("ЁЛКИ и Игрушки"));
    const qint64 other = catalogue::addGroup(priceDb, 0, QStringLiteral("ёлки и игрушки"));
    QList<qint64> groups;
    for (const char* name : {"яблоки", "Арбуз", "Ёлки", "банан", "O'Neil \"Ёлка\""})
        groups << catalogue::addGroup(priceDb, category, QString::fromUtf8(name));
    sortGroupsByName(priceDb, category);
    ASSERT_TRUE(moveGroup(priceDb, groups[1], other, GroupDrop::AsFirstChild));
    ASSERT_TRUE(moveGroup(priceDb, groups[4], groups[0], GroupDrop::BeforeTarget));
    ASSERT_EQ(deleteGroup(priceDb, groups[2]), GroupDeletion::Deleted);

    // Goods through New_tovar and the card, in mixed case; some moved and
    // deleted.
    const char* names[] = {"Шар КРАСНЫЙ", "шар красный", "Ёлка", "ёлка", "ЁЛКА", "Гирлянда"};
    for (int i = 0; i < 6; ++i)
        exec(QStringLiteral("INSERT INTO New_tovar VALUES (?1, 'Новый год', ?2, '', '', '', ?3, ?4, 10)"),
             {100 + i, i % 2 ? QStringLiteral("Шары") : QStringLiteral("ШАРЫ"), QStringLiteral("ё-%1").arg(i % 3),
              QString::fromUtf8(names[i])});
    ASSERT_TRUE(buildCatalogueFromNewTovar(priceDb, false).refusedIds.isEmpty());
    CardOpening card = openCardForAdd(priceDb, groups[0], {});
    CardFields fields = card.fields;
    fields.tovar = QStringLiteral("ЯБЛОКО Антоновка");
    fields.art = QStringLiteral("Ё-9");
    ASSERT_TRUE(saveCard(priceDb, card, fields, 46000).saved);
    moveGoods(priceDb, {100, 101}, groups[0]);
    deleteGoods(priceDb, {105});

    const QString shell = QStringLiteral("/usr/bin/sqlite3");
    EXPECT_EQ(sqliteShell(shell, path(), QStringLiteral("PRAGMA integrity_check;"), true), QStringLiteral("ok\n"));
    EXPECT_EQ(sqliteShell(shell, path(),
                          QStringLiteral("SELECT count(*) FROM (SELECT Parent FROM Tovar_tree GROUP BY Parent HAVING"
                                         " min(Pos) <> 1 OR max(Pos) <> count(*) OR count(DISTINCT Pos) <> count(*));"),
                          true),
              QStringLiteral("0\n"));
    // Indexed look-ups in another case find what a full scan finds.
    for (const QString& where : {QStringLiteral("Art = 'Ё-0'"), QStringLiteral("Kategor = '%1' AND Tovar = 'ШАР красный'")
                                                                    .arg(groups[0])}) {
        const QString indexed = sqliteShell(shell, path(), QStringLiteral("SELECT count(*) FROM price_main WHERE %1;").arg(where), true);
        const QString scanned = sqliteShell(
            shell, path(), QStringLiteral("SELECT count(*) FROM price_main NOT INDEXED WHERE %1;").arg(where), true);
        EXPECT_EQ(indexed, QStringLiteral("2\n")) << where.toStdString();
        EXPECT_EQ(indexed, scanned) << where.toStdString();
    }
}

} // namespace
