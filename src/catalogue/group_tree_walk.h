#pragma once

#include "platform/db/connection.h"

#include <QHash>

#include <vector>

namespace velmora::catalogue {

// The walk over the goods group tree (Tovar_tree) that every per-group
// operation uses: pricing, matching, the price-list outputs.
//
// The walk runs over a snapshot of the tree's shape taken with one
// statement: each group's parent and its children ordered by Pos, then by
// Code. On a well-formed tree (Pos 1..n under every parent, no cycles) it
// gives exactly what stepping through the table by (Parent, Pos) gives; on
// any other contents (gaps or repeats in Pos, a Parent that names no group,
// a Parent chain that loops) it still visits every group it reaches once
// and always ends. A chain that loops is cut at its smallest code, which
// then counts as a group whose parent is missing.

struct GroupLink {
    qint64 code = 0;
    qint64 parent = 0; // 0: a top-level group (a category)
    qint64 pos = 0;
};

class GroupTreeSnapshot {
public:
    GroupTreeSnapshot() = default;
    // Rows with a code of 0 or below, and repeats of a code, are left out.
    explicit GroupTreeSnapshot(const std::vector<GroupLink>& groups);

    int size() const { return int(nodes_.size()); }
    bool contains(qint64 code) const { return nodes_.contains(code); }
    // The group's parent in the snapshot: 0 for a top-level group; for a
    // group whose parent is missing (or was cut from a loop) that missing
    // parent's code, or kDetached.
    qint64 parentOf(qint64 code) const;
    // The children of a group in walk order; 0 gives the top level.
    const std::vector<qint64>& childrenOf(qint64 code) const;
    // The group's index among its siblings, from 0; -1 for an unknown code.
    int indexOf(qint64 code) const;

    // Where groups cut from a loop hang: a parent no group has.
    static constexpr qint64 kDetached = -2;

private:
    struct Node {
        qint64 parent = 0;
        int index = -1;
    };
    QHash<qint64, Node> nodes_;
    QHash<qint64, std::vector<qint64>> children_;
};

// Reads the snapshot (Code, Parent, Pos; NULL as 0). Throws db::DbError.
GroupTreeSnapshot loadGroupTree(db::Connection& priceDb);

// The group after `code` in depth-first order with siblings in order:
// its first child (TreeWalkDepth rises by one); else its next sibling;
// else the next sibling of the nearest ancestor that has one (TreeWalkDepth
// falls by one per level climbed). After the last group of the tree the
// walk returns the first top-level group, with TreeWalkDepth lowered once
// more for climbing above the top. 0 when the tree has no group to go to.
// A code that names no group is taken as a top-level group placed before
// the first. The database form reads the snapshot first and returns -1
// when that fails (TreeWalkDepth unchanged).
qint64 NextGroupInTree(const GroupTreeSnapshot& tree, qint64 code, int& TreeWalkDepth);
qint64 NextGroupInTree(db::Connection& priceDb, qint64 code, int& TreeWalkDepth);

// The loop over one group with all its subgroups: the group first, then
// every descendant once, depth first, siblings in order.
std::vector<qint64> groupWithSubgroups(const GroupTreeSnapshot& tree, qint64 code);

struct GroupLevel {
    qint64 code = 0;
    int level = 0; // 1: a top-level group
};

// The loop over the whole tree from the first top-level group: every group
// reachable from the top, each once, with its level. groupTreeDepth gives
// the greatest level (0 for an empty tree).
std::vector<GroupLevel> wholeGroupTree(const GroupTreeSnapshot& tree);
int groupTreeDepth(const std::vector<GroupLevel>& walk);

// True when `code` is `ancestor` or lies below it.
bool isInSubtree(const GroupTreeSnapshot& tree, qint64 code, qint64 ancestor);

// The groups from the top-level one down to `code`; empty for an unknown
// code.
std::vector<qint64> groupPath(const GroupTreeSnapshot& tree, qint64 code);

} // namespace velmora::catalogue
