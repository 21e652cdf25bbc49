#include "supplier_selection.h"

#include <QCollator>
#include <QLocale>
#include <QSet>

#include <algorithm>

namespace velmora::search {

QVector<SupplierEntry> listSuppliers(const db::Connection& priceDb)
{
    QVector<SupplierEntry> out;
    db::Statement s = priceDb.prepare(QStringLiteral("SELECT Id, Postavshik, PostavVisible FROM AllPostavSetup ORDER BY Id"));
    while (s.step())
        out.push_back({int(s.integer(0)), s.text(1), s.integer(2) != 0});
    return out;
}

void setSupplierVisible(db::Connection& priceDb, int id, bool visible)
{
    db::Statement s = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible=:PostavVisible WHERE Id=:Id"));
    s.bind(QStringLiteral(":PostavVisible"), visible ? 1 : 0).bind(QStringLiteral(":Id"), id);
    s.execute();
}

void setAllSuppliersVisible(db::Connection& priceDb, bool visible)
{
    db::Statement s = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET PostavVisible=:PostavVisible"));
    s.bind(QStringLiteral(":PostavVisible"), visible ? 1 : 0);
    s.execute();
}

void applyTemplate(db::Connection& priceDb, const db::Connection& orderDb, const QString& templateName)
{
    if (templateName.isEmpty())
        return;
    const QStringList names = templateSuppliers(orderDb, templateName);
    const QSet<QString> wanted(names.begin(), names.end());
    const QVector<SupplierEntry> suppliers = listSuppliers(priceDb);
    db::Transaction transaction(priceDb);
    setAllSuppliersVisible(priceDb, false);
    for (const SupplierEntry& e : suppliers) {
        // Exact names: a supplier renamed since the template was saved is
        // no longer part of it.
        if (wanted.contains(e.name))
            setSupplierVisible(priceDb, e.id, true);
    }
    transaction.commit();
}

QStringList templateNames(const db::Connection& orderDb)
{
    QStringList names;
    db::Statement s = orderDb.prepare(QStringLiteral("SELECT TemplateName FROM SelectTempPostav GROUP BY TemplateName"));
    while (s.step())
        names << s.text(0);
    QCollator collator{QLocale(QLocale::Russian)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return names;
}

QStringList templateSuppliers(const db::Connection& orderDb, const QString& templateName)
{
    QStringList names;
    db::Statement s = orderDb.prepare(QStringLiteral(
        "SELECT Postavshik FROM SelectTempPostav WHERE (TemplateName=:TemplateName) ORDER BY Postavshik"));
    s.bind(QStringLiteral(":TemplateName"), templateName);
    while (s.step())
        names << s.text(0);
    return names;
}

void saveTemplate(db::Connection& orderDb, const QString& templateName, const QStringList& suppliers)
{
    db::Transaction transaction(orderDb);
    deleteTemplate(orderDb, templateName);
    db::Statement add = orderDb.prepare(QStringLiteral(
        "INSERT INTO SelectTempPostav (TemplateName, Postavshik, Obrab) VALUES (:TemplateName, :Postavshik, :Obrab)"));
    for (const QString& supplier : suppliers) {
        add.bind(QStringLiteral(":TemplateName"), templateName)
            .bind(QStringLiteral(":Postavshik"), supplier)
            .bind(QStringLiteral(":Obrab"), 1);
        add.execute();
        add.reset();
    }
    transaction.commit();
}

void deleteTemplate(db::Connection& orderDb, const QString& templateName)
{
    db::Statement s = orderDb.prepare(QStringLiteral("DELETE FROM SelectTempPostav WHERE (TemplateName=:TemplateName)"));
    s.bind(QStringLiteral(":TemplateName"), templateName);
    s.execute();
}

QString templateAfterDelete(const QStringList& namesBefore, int deleted)
{
    if (deleted < 0 || deleted >= namesBefore.size() || namesBefore.size() == 1)
        return QString();
    if (deleted + 1 < namesBefore.size())
        return namesBefore.at(deleted + 1);
    return namesBefore.at(deleted - 1);
}

int templateIndexFor(const QStringList& names, const QString& name)
{
    const int last = int(names.lastIndexOf(name));
    if (last >= 0)
        return last;
    return names.isEmpty() ? -1 : 0;
}

} // namespace velmora::search
