// The group commands: add, delete, sort, move, restore, the shown nodes.
#include "catalogue_test_support.h"

#include "catalogue/group_tree.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;

namespace {

using GroupTreeTest = CatalogueTest;

TEST_F(GroupTreeTest, AddedGroupsTakeTheirCodeAndPositionFromTheDatabase)
{
    // Into an empty table: the first category.
    EXPECT_EQ(addGroup(priceDb, 0, QStringLiteral("Новая категория")), 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Tovar_tree")), QStringList{"1|0|1|0|5|Новая категория|0|"});
    // The first subgroup of a group without children marks its parent.
    EXPECT_EQ(addGroup(priceDb, 1, QStringLiteral("O'Neil \"Ёлка\"")), 2);
    EXPECT_EQ(rows(QStringLiteral("SELECT Parent, Pos, Comment FROM Tovar_tree WHERE Code = 2")),
              QStringList{"1|1|O'Neil \"Ёлка\""});
    EXPECT_EQ(count(QStringLiteral("SELECT HCh_T FROM Tovar_tree WHERE Code = 1")), 1);
    // Codes and positions come from the rows, whatever another window added.
    putGroup(40, 1, 7, QStringLiteral("чужая"));
    EXPECT_EQ(addGroup(priceDb, 1, QStringLiteral("Новая группа")), 41);
    EXPECT_EQ(count(QStringLiteral("SELECT Pos FROM Tovar_tree WHERE Code = 41")), 8);
    // A group never shown stays so when it gets a child.
    putGroup(50, 0, 2, QStringLiteral("скрытая"), 2);
    addGroup(priceDb, 50, QStringLiteral("Новая группа"));
    EXPECT_EQ(count(QStringLiteral("SELECT HCh_T FROM Tovar_tree WHERE Code = 50")), 2);
}

TEST_F(GroupTreeTest, DeletingAGroupClosesTheGapAndTakesItsPerGroupRows)
{
    for (int pos = 1; pos <= 4; ++pos)
        putGroup(pos, 0, pos, QStringLiteral("К%1").arg(pos));
    exec(QStringLiteral("INSERT INTO MinPrice_Nacen (Kategor, Price1) VALUES (2, 100), (3, 100)"));
    exec(QStringLiteral("INSERT INTO MinPrice_Group (Kategor, Postavshik) VALUES (2, 'А'), (3, 'А')"));
    EXPECT_EQ(deleteGroup(priceDb, 2), GroupDeletion::Deleted);
    EXPECT_EQ(groups(), (QStringList{"1:0:1", "3:0:2", "4:0:3"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Kategor FROM MinPrice_Nacen UNION ALL SELECT Kategor FROM MinPrice_Group")),
              (QStringList{"3", "3"}));
    EXPECT_EQ(deleteGroup(priceDb, 2), GroupDeletion::NoSuchGroup);
}

TEST_F(GroupTreeTest, DeletingTheOnlySubgroupUnmarksItsParentButNotAHiddenOne)
{
    putGroup(1, 0, 1, QStringLiteral("К"), 1);
    putGroup(2, 1, 1, QStringLiteral("Г"));
    putGroup(3, 0, 2, QStringLiteral("скрытая"), 2);
    putGroup(4, 3, 1, QStringLiteral("Г"));
    EXPECT_EQ(deleteGroup(priceDb, 2), GroupDeletion::Deleted);
    EXPECT_EQ(deleteGroup(priceDb, 4), GroupDeletion::Deleted);
    EXPECT_EQ(rows(QStringLiteral("SELECT HCh_T FROM Tovar_tree ORDER BY Code")), (QStringList{"0", "2"}));
}

TEST_F(GroupTreeTest, RefusedDeletionsChangeNothing)
{
    putGroup(1, 0, 1, QStringLiteral("К"), 1);
    putGroup(2, 1, 1, QStringLiteral("Г"));
    putGood(7, 2, QStringLiteral("Мышь"));
    exec(QStringLiteral("INSERT INTO MinPrice_Nacen (Kategor, Price1) VALUES (1, 100), (2, 100)"));
    const QStringList before = rows(QStringLiteral("SELECT * FROM Tovar_tree UNION ALL SELECT Kategor, Price1, 0, 0, 0,"
                                                   " 0, 0, 0 FROM MinPrice_Nacen"));
    EXPECT_EQ(deleteGroup(priceDb, 1), GroupDeletion::HasSubgroups);
    EXPECT_EQ(groupDeletionMessage(GroupDeletion::HasSubgroups),
              QStringLiteral("В данной группе есть вложенные подгруппы. Удаление невозможно"));
    EXPECT_EQ(deleteGroup(priceDb, 2), GroupDeletion::HasGoods);
    EXPECT_EQ(groupDeletionMessage(GroupDeletion::HasGoods),
              QStringLiteral("В данной группе есть товары. Удаление невозможно"));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Tovar_tree UNION ALL SELECT Kategor, Price1, 0, 0, 0, 0, 0, 0"
                                  " FROM MinPrice_Nacen")),
              before);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM price_main")), 1);
}

TEST_F(GroupTreeTest, SortingOrdersOneLevelInTheRussianAlphabetIgnoringCase)
{
    putGroup(1, 0, 1, QStringLiteral("К"), 1);
    const char* names[] = {"яблоки", "Арбуз", "Ёлки", "банан"};
    for (int i = 0; i < 4; ++i)
        putGroup(10 + i, 1, i + 1, QString::fromUtf8(names[i]), i == 0 ? 1 : 0);
    putGroup(20, 10, 1, QStringLiteral("Б"));
    putGroup(21, 10, 2, QStringLiteral("А"));
    sortGroupsByName(priceDb, 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT Comment || ':' || Pos FROM Tovar_tree WHERE Parent = 1 ORDER BY Pos")),
              (QStringList{"Арбуз:1", "банан:2", "Ёлки:3", "яблоки:4"}));
    EXPECT_EQ(childrenOf(10), (QStringList{"20", "21"})) << "one level only";
}

TEST_F(GroupTreeTest, DropsRenumberBothParentsAndRefuseTheGroupsOwnBranch)
{
    // Each case starts from: category 1 with 11, 12, 13, 14; category 2
    // with 21; 13 has the child 131.
    struct Case {
        const char* name;
        qint64 moved, target;
        GroupDrop drop;
        bool done;
        QStringList under1, under2, under13;
        const char* marks; // HCh_T of 1, 2, 13
    };
    const QStringList start1 = {"11", "12", "13", "14"};
    const Case cases[] = {
        {"up within its parent", 14, 12, GroupDrop::BeforeTarget, true, {"11", "14", "12", "13"}, {"21"}, {"131"}, "1,1,1"},
        {"down within its parent", 11, 13, GroupDrop::BeforeTarget, true, {"12", "11", "13", "14"}, {"21"}, {"131"}, "1,1,1"},
        {"before a group of another parent", 12, 21, GroupDrop::BeforeTarget, true, {"11", "13", "14"}, {"12", "21"}, {"131"}, "1,1,1"},
        {"as the first child of a leaf", 21, 14, GroupDrop::AsFirstChild, true, start1, {}, {"131"}, "1,0,1"},
        {"as the first child of a parent", 11, 13, GroupDrop::AsFirstChild, true, {"12", "13", "14"}, {"21"}, {"11", "131"}, "1,1,1"},
        {"to the top level", 131, 2, GroupDrop::BeforeTarget, true, start1, {"21"}, {}, "1,1,0"},
        {"onto itself", 13, 13, GroupDrop::AsFirstChild, false, start1, {"21"}, {"131"}, "1,1,1"},
        {"onto its child", 13, 131, GroupDrop::BeforeTarget, false, start1, {"21"}, {"131"}, "1,1,1"},
        {"into its own branch", 1, 131, GroupDrop::AsFirstChild, false, start1, {"21"}, {"131"}, "1,1,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec(QStringLiteral("DELETE FROM Tovar_tree"));
        putGroup(1, 0, 1, QStringLiteral("К1"), 1);
        putGroup(2, 0, 2, QStringLiteral("К2"), 1);
        for (int i = 1; i <= 4; ++i)
            putGroup(10 + i, 1, i, QStringLiteral("Г%1").arg(i), i == 3 ? 1 : 0);
        putGroup(21, 2, 1, QStringLiteral("Г21"));
        putGroup(131, 13, 1, QStringLiteral("Г131"));
        EXPECT_EQ(moveGroup(priceDb, c.moved, c.target, c.drop), c.done);
        EXPECT_EQ(childrenOf(1), c.under1);
        EXPECT_EQ(childrenOf(2), c.under2);
        EXPECT_EQ(childrenOf(13), c.under13);
        EXPECT_EQ(rows(QStringLiteral("SELECT group_concat(HCh_T) FROM (SELECT HCh_T FROM Tovar_tree WHERE Code IN"
                                      " (1, 2, 13) ORDER BY Code)")),
                  QStringList{QString::fromLatin1(c.marks)});
        // Positions stay 1..n under every parent.
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM (SELECT Parent FROM Tovar_tree GROUP BY Parent"
                                       " HAVING min(Pos) <> 1 OR max(Pos) <> count(*) OR count(DISTINCT Pos) <> count(*))")),
                  0);
    }
}

TEST_F(GroupTreeTest, HiddenSiblingsAreRenumberedWithTheShownOnes)
{
    putGroup(1, 0, 1, QStringLiteral("Я"));
    putGroup(2, 0, 2, QStringLiteral("скрытая"), 2);
    putGroup(3, 0, 3, QStringLiteral("А"));
    sortGroupsByName(priceDb, 0);
    EXPECT_EQ(childrenOf(0), (QStringList{"3", "2", "1"}));
    EXPECT_TRUE(moveGroup(priceDb, 1, 3, GroupDrop::BeforeTarget));
    EXPECT_EQ(groups(), (QStringList{"1:0:1", "2:0:3", "3:0:2"}));
    // The view lists only what it shows.
    const std::vector<GroupNode> nodes = readGroupNodes(priceDb, 0);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].code, 1);
    EXPECT_EQ(nodes[1].code, 3);
}

TEST_F(GroupTreeTest, NodesShowAnExpanderOnlyOverShownChildren)
{
    putGroup(1, 0, 1, QStringLiteral("К1"), 1);
    putGroup(2, 0, 2, QStringLiteral("К2"), 1);
    putGroup(3, 1, 1, QStringLiteral("Г"));
    putGroup(4, 2, 1, QStringLiteral("скрытая"), 2);
    const std::vector<GroupNode> nodes = readGroupNodes(priceDb, 0);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].caption, QStringLiteral("К1"));
    EXPECT_EQ(nodes[0].picture, 5);
    EXPECT_TRUE(nodes[0].hasChildren);
    EXPECT_FALSE(nodes[1].hasChildren);
}

TEST_F(GroupTreeTest, RestoreRefusesAnEmptyHistoryAndOtherwiseCopiesItBack)
{
    putGroup(1, 0, 1, QStringLiteral("Текущая"));
    putGood(1, 1, QStringLiteral("Текущий"));
    EXPECT_FALSE(restoreCatalogueFromHistory(priceDb));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Tovar_tree")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM price_main")), 1);

    exec(QStringLiteral("INSERT INTO Tovar_tree_history VALUES (7, 0, 1, 0, 5, 'Прежняя', 3, '1 год')"));
    exec(QStringLiteral("INSERT INTO price_main_history VALUES (9, 'A-9', '7', 'Прежний', 10, 5, 12, 45000, '', 1, 1)"));
    EXPECT_TRUE(restoreCatalogueFromHistory(priceDb));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Tovar_tree")), QStringList{"7|0|1|0|5|Прежняя|3|1 год"});
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM price_main")), QStringList{"9|A-9|7|Прежний|10|5|12|45000||1|1"});
}

} // namespace
