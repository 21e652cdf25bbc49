#include "group_tree.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace velmora::catalogue {

const QString kTreeLoadFailedQuestion =
    QStringLiteral("Ошибка при загрузке дерева товаров!\r\rВостановить данные из резервной копии?");
const QString kRestoreDoneMessage =
    QStringLiteral("Данные востановлены из резервной копии.\r\rТребуется перезагрузка программы.");
const QString kRestoreEmptyMessage = QStringLiteral("Резервная копия каталога пуста. Восстановление невозможно.");
const QString kUngroupedCaption = QStringLiteral("Без группы");
const QString kEmptyGroupNameMessage = QStringLiteral("Укажите название группы !");

namespace {

struct Sibling {
    qint64 code = 0;
    QString name;
};

// Every child row of a parent, in Pos order (Code among equal positions).
std::vector<Sibling> children(db::Connection& priceDb, qint64 parent)
{
    std::vector<Sibling> rows;
    db::Statement s = priceDb.prepare(
        QStringLiteral("SELECT Code, ifnull(Comment, '') FROM Tovar_tree WHERE Parent = ?1 ORDER BY Pos, Code"));
    s.bindInt(1, parent);
    while (s.step())
        rows.push_back(Sibling{s.integer(0), s.text(1)});
    return rows;
}

void renumber(db::Connection& priceDb, const std::vector<Sibling>& ordered)
{
    db::Statement update =
        priceDb.prepare(QStringLiteral("UPDATE Tovar_tree SET Pos = ?1 WHERE Code = ?2 AND Pos IS NOT ?1"));
    for (size_t i = 0; i < ordered.size(); ++i) {
        update.bindInt(1, qint64(i) + 1).bindInt(2, ordered[i].code).execute();
        update.reset();
    }
}

// HCh_T of a group after its children changed; a group marked 2 keeps it.
void markChildren(db::Connection& priceDb, qint64 code, bool has)
{
    if (code == 0)
        return;
    db::Statement s = priceDb.prepare(
        QStringLiteral("UPDATE Tovar_tree SET HCh_T = ?1 WHERE Code = ?2 AND ifnull(HCh_T, 0) <> 2"));
    s.bindInt(1, has ? 1 : 0).bindInt(2, code).execute();
}

bool exists(db::Connection& priceDb, const QString& sql, const QVariant& key)
{
    return priceDb.scalar(sql, {key}).isValid();
}

} // namespace

std::vector<GroupNode> readGroupNodes(db::Connection& priceDb, qint64 parent)
{
    std::vector<GroupNode> nodes;
    db::Statement s = priceDb.prepare(QStringLiteral(
        "SELECT t.Code, ifnull(t.Comment, ''), ifnull(t.Picture, 0),"
        " EXISTS (SELECT 1 FROM Tovar_tree c WHERE c.Parent = t.Code AND ifnull(c.HCh_T, 0) <> 2)"
        " FROM Tovar_tree t WHERE t.Parent = ?1 AND ifnull(t.HCh_T, 0) <> 2 ORDER BY t.Pos, t.Code"));
    s.bindInt(1, parent);
    while (s.step())
        nodes.push_back(GroupNode{s.integer(0), s.text(1), int(s.integer(2)), s.integer(3) != 0});
    return nodes;
}

std::vector<GroupNode> readGroupNodesRepairingPositions(db::Connection& priceDb, qint64 parent)
{
    db::Savepoint sp(priceDb, QStringLiteral("group_positions"));
    std::vector<GroupNode> nodes;
    std::vector<Sibling> order;
    db::Statement s = priceDb.prepare(QStringLiteral(
        "SELECT t.Code, ifnull(t.Comment, ''), ifnull(t.Picture, 0),"
        " EXISTS (SELECT 1 FROM Tovar_tree c WHERE c.Parent = t.Code)"
        " FROM Tovar_tree t WHERE t.Parent = ?1 ORDER BY t.Pos, t.Code"));
    s.bindInt(1, parent);
    while (s.step()) {
        nodes.push_back(GroupNode{s.integer(0), s.text(1), int(s.integer(2)), s.integer(3) != 0});
        order.push_back(Sibling{s.integer(0), QString()});
    }
    renumber(priceDb, order);
    sp.release();
    return nodes;
}

QString groupName(db::Connection& priceDb, qint64 code)
{
    return priceDb.scalar(QStringLiteral("SELECT Comment FROM Tovar_tree WHERE Code = ?1"), {code}).toString();
}

qint64 groupParent(db::Connection& priceDb, qint64 code)
{
    const QVariant parent =
        priceDb.scalar(QStringLiteral("SELECT ifnull(Parent, 0) FROM Tovar_tree WHERE Code = ?1"), {code});
    return parent.isValid() ? parent.toLongLong() : -1;
}

bool hasSubgroups(db::Connection& priceDb, qint64 code)
{
    return exists(priceDb, QStringLiteral("SELECT 1 FROM Tovar_tree WHERE Parent = ?1 LIMIT 1"), code);
}

GroupDefaults groupDefaults(db::Connection& priceDb, qint64 code)
{
    db::Statement s =
        priceDb.prepare(QStringLiteral("SELECT ifnull(Nacen, 0), ifnull(Garant, '') FROM Tovar_tree WHERE Code = ?1"));
    s.bindInt(1, code);
    if (!s.step())
        return {};
    return GroupDefaults{int(s.integer(0)), s.text(1)};
}

qint64 addGroup(db::Connection& priceDb, qint64 parent, const QString& caption, int picture)
{
    db::Transaction tx(priceDb);
    const qint64 code = priceDb.scalar(QStringLiteral("SELECT ifnull(max(Code), 0) + 1 FROM Tovar_tree")).toLongLong();
    const qint64 pos =
        priceDb.scalar(QStringLiteral("SELECT ifnull(max(Pos), 0) + 1 FROM Tovar_tree WHERE Parent = ?1"), {parent})
            .toLongLong();
    markChildren(priceDb, parent, true);
    db::Statement insert = priceDb.prepare(
        QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
                       " VALUES (?1, ?2, ?3, 0, ?4, ?5, 0, '')"));
    insert.bindInt(1, code).bindInt(2, parent).bindInt(3, pos).bindInt(4, picture).bindText(5, caption).execute();
    tx.commit();
    return code;
}

GroupRename renameGroup(db::Connection& priceDb, qint64 code, const QString& name)
{
    const QString stored = name.trimmed().left(kGroupNameLength).trimmed();
    if (stored.isEmpty())
        return GroupRename::EmptyName;
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE Tovar_tree SET Comment = ?1 WHERE Code = ?2"));
    update.bindText(1, stored).bindInt(2, code).execute();
    return priceDb.changes() > 0 ? GroupRename::Renamed : GroupRename::NoSuchGroup;
}

QString groupDeletionMessage(GroupDeletion result)
{
    switch (result) {
    case GroupDeletion::HasSubgroups:
        return QStringLiteral("В данной группе есть вложенные подгруппы. Удаление невозможно");
    case GroupDeletion::HasGoods:
        return QStringLiteral("В данной группе есть товары. Удаление невозможно");
    default:
        return QString();
    }
}

GroupDeletion deleteGroup(db::Connection& priceDb, qint64 code)
{
    db::Transaction tx(priceDb);
    const qint64 parent = groupParent(priceDb, code);
    if (parent < 0)
        return GroupDeletion::NoSuchGroup;
    if (hasSubgroups(priceDb, code))
        return GroupDeletion::HasSubgroups;
    const QString kategor = QString::number(code);
    if (exists(priceDb, QStringLiteral("SELECT 1 FROM price_main WHERE Kategor = ?1 LIMIT 1"), kategor))
        return GroupDeletion::HasGoods;

    for (const char* sql : {"DELETE FROM Tovar_tree WHERE Code = ?1", "DELETE FROM MinPrice_Nacen WHERE Kategor = ?1",
                            "DELETE FROM MinPrice_Group WHERE Kategor = ?1"}) {
        db::Statement s = priceDb.prepare(QString::fromLatin1(sql));
        s.bindInt(1, code).execute();
    }
    const std::vector<Sibling> siblings = children(priceDb, parent);
    renumber(priceDb, siblings);
    if (siblings.empty())
        markChildren(priceDb, parent, false);
    tx.commit();
    return GroupDeletion::Deleted;
}

void sortGroupsByName(db::Connection& priceDb, qint64 parent)
{
    db::Transaction tx(priceDb);
    std::vector<Sibling> siblings = children(priceDb, parent);
    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(siblings.begin(), siblings.end(),
                     [&](const Sibling& a, const Sibling& b) { return collator.compare(a.name, b.name) < 0; });
    renumber(priceDb, siblings);
    tx.commit();
}

bool moveGroup(db::Connection& priceDb, qint64 moved, qint64 target, GroupDrop drop)
{
    if (moved == target)
        return false;
    db::Transaction tx(priceDb);
    const qint64 oldParent = groupParent(priceDb, moved);
    const qint64 targetParent = groupParent(priceDb, target);
    if (oldParent < 0 || targetParent < 0)
        return false;
    // The target must not lie below the moved group (that would cut the
    // branch off the tree into a loop); the climb is bounded by the rows.
    const qint64 rows = priceDb.scalar(QStringLiteral("SELECT count(*) FROM Tovar_tree")).toLongLong();
    for (qint64 up = target, steps = 0; up > 0 && steps <= rows; up = groupParent(priceDb, up), ++steps)
        if (up == moved)
            return false;

    const qint64 newParent = drop == GroupDrop::AsFirstChild ? target : targetParent;
    std::vector<Sibling> siblings = children(priceDb, newParent);
    std::erase_if(siblings, [moved](const Sibling& s) { return s.code == moved; });
    auto at = siblings.begin();
    if (drop == GroupDrop::BeforeTarget)
        at = std::find_if(siblings.begin(), siblings.end(), [target](const Sibling& s) { return s.code == target; });
    siblings.insert(at, Sibling{moved, QString()});

    db::Statement reparent = priceDb.prepare(QStringLiteral("UPDATE Tovar_tree SET Parent = ?1 WHERE Code = ?2"));
    reparent.bindInt(1, newParent).bindInt(2, moved).execute();
    renumber(priceDb, siblings);
    markChildren(priceDb, newParent, true);
    if (oldParent != newParent) {
        const std::vector<Sibling> left = children(priceDb, oldParent);
        renumber(priceDb, left);
        if (left.empty())
            markChildren(priceDb, oldParent, false);
    }
    tx.commit();
    return true;
}

bool restoreCatalogueFromHistory(db::Connection& priceDb)
{
    db::Transaction tx(priceDb);
    if (!priceDb.scalar(QStringLiteral("SELECT 1 FROM Tovar_tree_history LIMIT 1")).isValid())
        return false;
    priceDb.exec(QStringLiteral(
        "DELETE FROM Tovar_tree;"
        "INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
        " SELECT Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant FROM Tovar_tree_history;"
        "DELETE FROM price_main;"
        "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale, SuperPrice)"
        " SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, ifnull(Sale, 0),"
        " ifnull(SuperPrice, 0) FROM price_main_history;"));
    tx.commit();
    return true;
}

bool hasUngroupedGoods(db::Connection& priceDb)
{
    db::Statement s = priceDb.prepare(QStringLiteral("SELECT 1 FROM price_main WHERE Kategor = '0' LIMIT 1"));
    return s.step();
}

} // namespace velmora::catalogue
