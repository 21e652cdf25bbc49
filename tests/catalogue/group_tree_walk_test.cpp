// The group-tree walk and its two caller loops.
#include "catalogue_test_support.h"

#include "catalogue/group_tree_walk.h"

using namespace velmora;
using namespace velmora::catalogue;
using velmora::testing::CatalogueTest;

namespace {

GroupTreeSnapshot referenceTree()
{
    return GroupTreeSnapshot({{1, 0, 1}, {2, 1, 1}, {3, 1, 2}, {4, 2, 1}, {5, 0, 2}, {6, 5, 1}});
}

std::vector<qint64> codesOf(const std::vector<GroupLevel>& walk)
{
    std::vector<qint64> codes;
    for (const GroupLevel& g : walk)
        codes.push_back(g.code);
    return codes;
}

TEST(GroupTreeWalk, StepsThroughTheReferenceTreeWithItsDepthChanges)
{
    const GroupTreeSnapshot tree = referenceTree();
    struct Step {
        qint64 from, to;
        int depthChange;
    };
    const Step steps[] = {{1, 2, +1}, {2, 4, +1}, {4, 3, -1}, {3, 5, -1}, {5, 6, +1}, {6, 1, -2}, {0, 1, +1}};
    for (const Step& s : steps) {
        int depth = 10;
        EXPECT_EQ(NextGroupInTree(tree, s.from, depth), s.to) << "from " << s.from;
        EXPECT_EQ(depth, 10 + s.depthChange) << "from " << s.from;
    }
}

TEST(GroupTreeWalk, SubtreeLoopVisitsTheGroupAndItsDescendants)
{
    const GroupTreeSnapshot tree = referenceTree();
    struct Case {
        qint64 start;
        std::vector<qint64> visited;
    };
    const Case cases[] = {{1, {1, 2, 4, 3}}, {2, {2, 4}}, {3, {3}}, {5, {5, 6}}, {6, {6}}};
    for (const Case& c : cases)
        EXPECT_EQ(groupWithSubgroups(tree, c.start), c.visited) << "from " << c.start;
}

TEST(GroupTreeWalk, WholeTreeGivesEveryGroupItsLevel)
{
    const std::vector<GroupLevel> walk = wholeGroupTree(referenceTree());
    EXPECT_EQ(codesOf(walk), (std::vector<qint64>{1, 2, 4, 3, 5, 6}));
    std::vector<int> levels;
    for (const GroupLevel& g : walk)
        levels.push_back(g.level);
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 3, 2, 1, 2}));
    EXPECT_EQ(groupTreeDepth(walk), 3);
}

// Contents a walk by (Parent, Pos) lookups stalls, wanders or hangs on.
TEST(GroupTreeWalk, EndsAndVisitsEachGroupOnceOnAnyTableContents)
{
    struct Case {
        const char* name;
        std::vector<GroupLink> rows;
        qint64 subtreeOf;
        std::vector<qint64> subtree;
        std::vector<qint64> whole;
    };
    const Case cases[] = {
        {"empty tree", {}, 1, {1}, {}},
        {"positions 1, 2, 4", {{1, 0, 1}, {2, 1, 1}, {3, 1, 2}, {4, 1, 4}, {5, 0, 2}}, 1, {1, 2, 3, 4}, {1, 2, 3, 4, 5}},
        {"repeated positions", {{1, 0, 1}, {3, 1, 1}, {2, 1, 1}, {4, 0, 1}}, 1, {1, 2, 3}, {1, 2, 3, 4}},
        {"a parent that is no group", {{1, 0, 1}, {2, 9, 1}, {3, 2, 1}}, 2, {2, 3}, {1}},
        {"a group that is its own parent", {{1, 0, 1}, {2, 2, 1}}, 2, {2}, {1}},
        // The loop is cut at its smallest code: 2 no longer hangs under 3.
        {"a loop of parents", {{1, 0, 1}, {2, 3, 1}, {3, 2, 1}, {4, 3, 2}}, 2, {2, 3, 4}, {1}},
        {"a branch hanging from a loop", {{1, 0, 1}, {2, 3, 1}, {3, 2, 1}, {5, 2, 2}}, 5, {5}, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GroupTreeSnapshot tree(c.rows);
        EXPECT_EQ(groupWithSubgroups(tree, c.subtreeOf), c.subtree);
        EXPECT_EQ(codesOf(wholeGroupTree(tree)), c.whole);
    }
    int depth = 1;
    EXPECT_EQ(NextGroupInTree(GroupTreeSnapshot(), 0, depth), 0);
}

TEST(GroupTreeWalk, PathsAndSubtreesFollowTheParents)
{
    const GroupTreeSnapshot tree = referenceTree();
    EXPECT_EQ(groupPath(tree, 4), (std::vector<qint64>{1, 2, 4}));
    EXPECT_EQ(groupPath(tree, 5), (std::vector<qint64>{5}));
    EXPECT_TRUE(groupPath(tree, 42).empty());
    EXPECT_TRUE(isInSubtree(tree, 4, 1));
    EXPECT_TRUE(isInSubtree(tree, 2, 2));
    EXPECT_FALSE(isInSubtree(tree, 6, 1));
    EXPECT_FALSE(isInSubtree(tree, 1, 4));
}

TEST_F(CatalogueTest, WalkReadsTheTreeFromTheDatabaseAndReportsAFailureAsMinusOne)
{
    addReferenceTree();
    EXPECT_EQ(codesOf(wholeGroupTree(loadGroupTree(priceDb))), (std::vector<qint64>{1, 2, 4, 3, 5, 6}));
    int depth = 1;
    EXPECT_EQ(NextGroupInTree(priceDb, 4, depth), 3);
    EXPECT_EQ(depth, 0);
    exec(QStringLiteral("DROP TABLE Tovar_tree"));
    EXPECT_EQ(NextGroupInTree(priceDb, 4, depth), -1);
    EXPECT_EQ(depth, 0);
}

} // namespace
