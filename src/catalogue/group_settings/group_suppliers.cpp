#include "group_suppliers.h"

namespace velmora::catalogue {

const QString kOwnSuppliersText = QStringLiteral("Индивидуальные поставщики для данной группы");
const QString kGeneralSuppliersText = QStringLiteral("Для данной группы используются общие поставщики");

namespace {

void run(db::Connection& priceDb, const QString& sql, const QVariantList& params = {})
{
    db::Statement s = priceDb.prepare(sql);
    for (int i = 0; i < params.size(); ++i)
        s.bind(i + 1, params[i]);
    s.execute();
}

} // namespace

void refreshGroupSuppliers(db::Connection& priceDb)
{
    db::Savepoint sp(priceDb, QStringLiteral("group_suppliers"));
    // NOT EXISTS rather than NOT IN: a supplier row without a name must not
    // stop the cleanup.
    run(priceDb, QStringLiteral("DELETE FROM MinPrice_Group WHERE NOT EXISTS"
                                " (SELECT 1 FROM postavshik p WHERE p.Postavshik = MinPrice_Group.Postavshik)"));
    run(priceDb, QStringLiteral("UPDATE MinPrice_Group SET Dates = (SELECT p.Dates FROM postavshik p"
                                " WHERE p.Postavshik = MinPrice_Group.Postavshik)"));
    sp.release();
}

bool groupHasOwnSuppliers(db::Connection& priceDb, qint64 group)
{
    return priceDb.scalar(QStringLiteral("SELECT 1 FROM MinPrice_Group WHERE Kategor = ?1 LIMIT 1"), {group}).isValid();
}

void addMissingGroupSuppliers(db::Connection& priceDb, qint64 group)
{
    run(priceDb,
        QStringLiteral("INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab, Dates)"
                       " SELECT ?1, p.Postavshik, p.Obrab, p.Dates FROM postavshik p WHERE NOT EXISTS"
                       " (SELECT 1 FROM MinPrice_Group g WHERE g.Kategor = ?1 AND g.Postavshik = p.Postavshik)"
                       " ORDER BY p.Postavshik"),
        {group});
}

void copyGroupSuppliers(db::Connection& priceDb, qint64 from, const std::vector<qint64>& targets)
{
    db::Savepoint sp(priceDb, QStringLiteral("copy_group_suppliers"));
    db::Statement clear = priceDb.prepare(QStringLiteral("DELETE FROM MinPrice_Group WHERE Kategor = ?1"));
    db::Statement copy = priceDb.prepare(
        QStringLiteral("INSERT INTO MinPrice_Group (Kategor, Postavshik, Obrab, Dates)"
                       " SELECT ?1, Postavshik, Obrab, Dates FROM MinPrice_Group WHERE Kategor = ?2 ORDER BY rowid"));
    for (qint64 target : targets) {
        if (target == from)
            continue;
        clear.bindInt(1, target).execute();
        clear.reset();
        copy.bindInt(1, target).bindInt(2, from).execute();
        copy.reset();
    }
    sp.release();
}

void loadSupplierWorkingSet(db::Connection& priceDb, qint64 group)
{
    db::Savepoint sp(priceDb, QStringLiteral("supplier_working_set"));
    refreshGroupSuppliers(priceDb);
    copyGroupSuppliers(priceDb, group, {kSupplierWorkingSet});
    addMissingGroupSuppliers(priceDb, kSupplierWorkingSet);
    sp.release();
}

std::vector<GroupSupplier> readGroupSuppliers(db::Connection& priceDb, qint64 group)
{
    std::vector<GroupSupplier> rows;
    db::Statement s = priceDb.prepare(
        QStringLiteral("SELECT ifnull(Postavshik, ''), ifnull(Obrab, ''), ifnull(Dates, 0) FROM MinPrice_Group"
                       " WHERE Kategor = ?1 ORDER BY Postavshik, rowid"));
    s.bindInt(1, group);
    while (s.step())
        rows.push_back(GroupSupplier{s.text(0), s.text(1).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0,
                                     s.integer(2)});
    return rows;
}

void setGroupSupplierObrab(db::Connection& priceDb, qint64 group, const QString& postavshik, bool obrab)
{
    run(priceDb, QStringLiteral("UPDATE MinPrice_Group SET Obrab = ?3 WHERE Kategor = ?1 AND Postavshik = ?2"),
        {group, postavshik, obrab ? QStringLiteral("True") : QStringLiteral("False")});
}

} // namespace velmora::catalogue
