#include "min_price_suppliers.h"

#include "catalogue/group_tree_walk.h"

namespace velmora::output {
namespace {

QList<SupplierChoice> readChoices(db::Statement& select)
{
    QList<SupplierChoice> choices;
    while (select.step())
        choices.append({select.integer(0), select.text(1),
                        select.text(2).compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0,
                        select.integer(3)});
    return choices;
}

QString flagText(bool used) { return used ? QStringLiteral("True") : QStringLiteral("False"); }

} // namespace

QList<SupplierChoice> readSupplierChoices(db::Connection& priceDb)
{
    db::Statement select =
        priceDb.prepare(QStringLiteral("SELECT rowid, Postavshik, Obrab, Dates FROM postavshik ORDER BY rowid"));
    return readChoices(select);
}

QList<SupplierChoice> prepareGroupSupplierChoices(db::Connection& priceDb, qint64 group)
{
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM MinPrice_Group WHERE NOT EXISTS "
                                "(SELECT 1 FROM postavshik AS p WHERE p.Postavshik = MinPrice_Group.Postavshik)"));
    db::Statement add = priceDb.prepare(QStringLiteral(
        "INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab, Dates) "
        "SELECT ?1, p.Postavshik, p.Obrab, p.Dates FROM postavshik AS p WHERE NOT EXISTS "
        "(SELECT 1 FROM MinPrice_Group AS m WHERE m.Kategor = ?1 AND m.Postavshik = p.Postavshik) ORDER BY p.rowid"));
    add.bindInt(1, group);
    add.execute();
    priceDb.exec(QStringLiteral("UPDATE MinPrice_Group SET Dates = p.Dates FROM postavshik AS p "
                                "WHERE p.Postavshik = MinPrice_Group.Postavshik"));
    transaction.commit();

    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT rowid, Postavshik, Obrab, Dates FROM MinPrice_Group WHERE Kategor = ?1 ORDER BY rowid"));
    select.bindInt(1, group);
    return readChoices(select);
}

void setSupplierChoice(db::Connection& priceDb, qint64 group, qint64 rowId, bool used)
{
    db::Statement update = priceDb.prepare(
        group == 0 ? QStringLiteral("UPDATE postavshik SET Obrab = ?1 WHERE rowid = ?2")
                   : QStringLiteral("UPDATE MinPrice_Group SET Obrab = ?1 WHERE rowid = ?2 AND Kategor = ?3"));
    update.bindText(1, flagText(used)).bindInt(2, rowId);
    if (group != 0)
        update.bindInt(3, group);
    update.execute();
}

int copySupplierChoiceToSubgroups(db::Connection& priceDb, qint64 group)
{
    std::vector<qint64> groups = catalogue::groupWithSubgroups(catalogue::loadGroupTree(priceDb), group);
    db::Savepoint savepoint(priceDb, QStringLiteral("copy_supplier_choice"));
    db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM MinPrice_Group WHERE Kategor = ?1"));
    db::Statement copy = priceDb.prepare(QStringLiteral(
        "INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab, Dates) "
        "SELECT ?1, Postavshik, Obrab, Dates FROM MinPrice_Group WHERE Kategor = ?2 ORDER BY rowid"));
    copy.bindInt(2, group);
    int copied = 0;
    for (qint64 subgroup : groups) {
        if (subgroup == group)
            continue;
        remove.bindInt(1, subgroup);
        remove.execute();
        remove.reset();
        copy.bindInt(1, subgroup);
        copy.execute();
        copy.reset();
        ++copied;
    }
    savepoint.release();
    return copied;
}

} // namespace velmora::output
