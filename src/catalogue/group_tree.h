#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <vector>

namespace velmora::catalogue {

// The commands of the goods group tree as plain calls on the price
// database. Each change runs in one transaction. Positions are kept
// gapless (1..n) over every child row of a parent, shown or not; HCh_T
// moves only between 0 and 1, so a group marked 2 (never shown) stays so.
// Group codes are text in price_main.Kategor and integers elsewhere.

// The picture new groups get.
constexpr int kNewGroupPicture = 5;

// A group as a node of the tree view shows it.
struct GroupNode {
    qint64 code = 0;
    QString caption;
    int picture = 0;
    bool hasChildren = false; // it has children that are shown
};

// The shown children of a group (0: the top level) in Pos order.
std::vector<GroupNode> readGroupNodes(db::Connection& priceDb, qint64 parent);

// The children of a group (0: the top level) as the group settings
// windows show them: every child row, shown in the main tree or not, in Pos
// order; a child that is not at its place i (from 1) is numbered i in the
// database at once, so showing a level closes the gaps in its numbering.
// One transaction (a savepoint inside a caller's).
std::vector<GroupNode> readGroupNodesRepairingPositions(db::Connection& priceDb, qint64 parent);

// Goods of group 0 belong to no group (the first import layout files every
// good there; no group has code 0). The main tree shows them under a node
// of its own, "Без группы", whenever any exist.
extern const QString kUngroupedCaption;
bool hasUngroupedGoods(db::Connection& priceDb);

// The group's name; empty when there is no such group.
QString groupName(db::Connection& priceDb, qint64 code);
// The group's parent (0 at the top level); -1 when there is no such group.
qint64 groupParent(db::Connection& priceDb, qint64 code);
// True when the group has child rows (shown or not).
bool hasSubgroups(db::Connection& priceDb, qint64 code);
// The group's markup and warranty, for a new good of the group.
struct GroupDefaults {
    int markup = 0;
    QString warranty;
};
GroupDefaults groupDefaults(db::Connection& priceDb, qint64 code);

// Adds a group as the last child of `parent` (0: a category) with code
// max(Code)+1 and position max(Pos)+1 as the database holds them, markup
// 0 and warranty ''; the parent is marked as having children. Returns the
// new code.
qint64 addGroup(db::Connection& priceDb, qint64 parent, const QString& caption, int picture = kNewGroupPicture);

// The longest group name Tovar_tree.Comment holds.
constexpr int kGroupNameLength = 135;

enum class GroupRename { Renamed, EmptyName, NoSuchGroup };
// The refusal of an empty name.
extern const QString kEmptyGroupNameMessage;

// Gives a group a new name: the text without surrounding blanks, at most
// kGroupNameLength characters. An empty name is refused and changes
// nothing.
GroupRename renameGroup(db::Connection& priceDb, qint64 code, const QString& name);

enum class GroupDeletion { Deleted, HasSubgroups, HasGoods, NoSuchGroup };
// The refusal texts of the two refusals.
QString groupDeletionMessage(GroupDeletion result);

// Deletes a group that has neither subgroups nor goods, with its markup
// thresholds and minimum-price suppliers (MinPrice_Nacen, MinPrice_Group);
// the siblings after it move up; a parent left without children is marked
// so. A refusal changes nothing.
GroupDeletion deleteGroup(db::Connection& priceDb, qint64 code);

// Orders the children of `parent` (0: the top level) by name, Russian
// alphabet, case ignored (groups of the same name keep their order), and
// numbers them 1..n.
void sortGroupsByName(db::Connection& priceDb, qint64 parent);

enum class GroupDrop {
    BeforeTarget, // among the target's siblings, just before it
    AsFirstChild, // the target's first child
};

// Moves a group with its subgroups. Both the old and the new siblings are
// numbered 1..n again; the new parent is marked as having children, an old
// parent left without any as having none. A drop onto the group itself or
// onto one of its descendants is refused: false, nothing changes.
bool moveGroup(db::Connection& priceDb, qint64 moved, qint64 target, GroupDrop drop);

// Puts the catalogue back as it stood before the last import: Tovar_tree
// and price_main from their history copies, all columns. Refused (false,
// nothing changes) when the history holds no group.
bool restoreCatalogueFromHistory(db::Connection& priceDb);

// The messages of the tree's load and its restore.
extern const QString kTreeLoadFailedQuestion;
extern const QString kRestoreDoneMessage;
extern const QString kRestoreEmptyMessage;

} // namespace velmora::catalogue
