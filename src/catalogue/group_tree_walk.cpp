#include "group_tree_walk.h"

#include "platform/db/db_error.h"

#include <algorithm>

namespace velmora::catalogue {

namespace {

const std::vector<qint64> kNoChildren;

} // namespace

GroupTreeSnapshot::GroupTreeSnapshot(const std::vector<GroupLink>& groups)
{
    std::vector<GroupLink> rows;
    rows.reserve(groups.size());
    QHash<qint64, qint64> parent;
    parent.reserve(qsizetype(groups.size()));
    for (const GroupLink& g : groups) {
        if (g.code <= 0 || parent.contains(g.code))
            continue;
        parent.insert(g.code, g.parent);
        rows.push_back(g);
    }

    // Cut every loop of Parent links, so that the children lists form a
    // forest and no walk can go round for ever.
    enum : char { Unseen, OnPath, Settled };
    QHash<qint64, char> state;
    state.reserve(qsizetype(rows.size()));
    std::vector<qint64> path;
    for (const GroupLink& row : rows) {
        path.clear();
        qint64 c = row.code;
        while (c != 0 && parent.contains(c)) {
            const char s = state.value(c, Unseen);
            if (s == Settled)
                break;
            if (s == OnPath) {
                const auto loop = std::find(path.begin(), path.end(), c);
                parent[*std::min_element(loop, path.end())] = kDetached;
                break;
            }
            state.insert(c, OnPath);
            path.push_back(c);
            c = parent.value(c);
        }
        for (qint64 p : path)
            state.insert(p, Settled);
    }

    for (GroupLink& row : rows)
        row.parent = parent.value(row.code);
    std::sort(rows.begin(), rows.end(), [](const GroupLink& a, const GroupLink& b) {
        if (a.parent != b.parent)
            return a.parent < b.parent;
        if (a.pos != b.pos)
            return a.pos < b.pos;
        return a.code < b.code;
    });
    nodes_.reserve(qsizetype(rows.size()));
    for (const GroupLink& row : rows) {
        std::vector<qint64>& siblings = children_[row.parent];
        nodes_.insert(row.code, Node{row.parent, int(siblings.size())});
        siblings.push_back(row.code);
    }
}

qint64 GroupTreeSnapshot::parentOf(qint64 code) const { return nodes_.value(code).parent; }

const std::vector<qint64>& GroupTreeSnapshot::childrenOf(qint64 code) const
{
    const auto it = children_.constFind(code);
    return it == children_.cend() ? kNoChildren : it.value();
}

int GroupTreeSnapshot::indexOf(qint64 code) const { return nodes_.value(code).index; }

GroupTreeSnapshot loadGroupTree(db::Connection& priceDb)
{
    std::vector<GroupLink> groups;
    db::Statement s = priceDb.prepare(
        QStringLiteral("SELECT Code, ifnull(Parent, 0), ifnull(Pos, 0) FROM Tovar_tree WHERE Code IS NOT NULL"));
    while (s.step())
        groups.push_back(GroupLink{s.integer(0), s.integer(1), s.integer(2)});
    return GroupTreeSnapshot(groups);
}

qint64 NextGroupInTree(const GroupTreeSnapshot& tree, qint64 code, int& TreeWalkDepth)
{
    if (const std::vector<qint64>& children = tree.childrenOf(code); !children.empty()) {
        ++TreeWalkDepth;
        return children.front();
    }
    // Climb until a level has a next sibling. A parent that is not in the
    // tree reads as a top-level group before the first, so the climb always
    // reaches the top level, where it either finds the next category or
    // starts again at the first.
    qint64 parent = tree.contains(code) ? tree.parentOf(code) : 0;
    int next = tree.indexOf(code) + 1;
    for (;;) {
        const std::vector<qint64>& siblings = tree.childrenOf(parent);
        if (next < int(siblings.size()))
            return siblings[size_t(next)];
        --TreeWalkDepth;
        if (parent == 0) {
            if (siblings.empty())
                return 0;
            next = 0;
        } else if (!tree.contains(parent)) {
            parent = 0;
            next = 0;
        } else {
            next = tree.indexOf(parent) + 1;
            parent = tree.parentOf(parent);
        }
    }
}

qint64 NextGroupInTree(db::Connection& priceDb, qint64 code, int& TreeWalkDepth)
{
    try {
        return NextGroupInTree(loadGroupTree(priceDb), code, TreeWalkDepth);
    } catch (const db::DbError&) {
        return -1;
    }
}

std::vector<qint64> groupWithSubgroups(const GroupTreeSnapshot& tree, qint64 code)
{
    std::vector<qint64> groups;
    int depth = 1;
    qint64 group = code;
    // The walk ends by itself on a forest; the bound only states it.
    const size_t most = size_t(tree.size()) + 1;
    do {
        groups.push_back(group);
        group = NextGroupInTree(tree, group, depth);
        if (depth == 1)
            depth = 0;
    } while (depth > 0 && group > 0 && groups.size() < most);
    return groups;
}

std::vector<GroupLevel> wholeGroupTree(const GroupTreeSnapshot& tree)
{
    std::vector<GroupLevel> walk;
    const std::vector<qint64>& top = tree.childrenOf(0);
    if (top.empty())
        return walk;
    walk.reserve(size_t(tree.size()));
    int depth = 1;
    qint64 group = top.front();
    for (int step = 0; step < tree.size(); ++step) {
        walk.push_back(GroupLevel{group, depth});
        group = NextGroupInTree(tree, group, depth);
        // Back at the start: every group the top reaches has been seen.
        if (group <= 0 || group == top.front())
            break;
    }
    return walk;
}

int groupTreeDepth(const std::vector<GroupLevel>& walk)
{
    int depth = 0;
    for (const GroupLevel& g : walk)
        depth = std::max(depth, g.level);
    return depth;
}

bool isInSubtree(const GroupTreeSnapshot& tree, qint64 code, qint64 ancestor)
{
    for (int steps = 0; steps <= tree.size(); ++steps) {
        if (code == ancestor)
            return true;
        if (!tree.contains(code))
            return false;
        code = tree.parentOf(code);
    }
    return false;
}

std::vector<qint64> groupPath(const GroupTreeSnapshot& tree, qint64 code)
{
    std::vector<qint64> path;
    for (int steps = 0; steps <= tree.size() && tree.contains(code); ++steps) {
        path.push_back(code);
        code = tree.parentOf(code);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

} // namespace velmora::catalogue
