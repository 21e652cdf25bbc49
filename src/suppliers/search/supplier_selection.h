#pragma once

#include "platform/db/connection.h"

#include <QStringList>
#include <QVector>

namespace velmora::search {

// One supplier price list as the selection panel lists it (Id order).
struct SupplierEntry {
    int id = 0;
    QString name;
    bool visible = false;
};

inline const QString kDefaultTemplateName = QStringLiteral("По умолчанию");

// --- price database: the visibility flags -----------------------------------

QVector<SupplierEntry> listSuppliers(const db::Connection& priceDb);
// Sets one supplier's flag (the list's check box); stored as 1/0.
void setSupplierVisible(db::Connection& priceDb, int id, bool visible);
// "Выбрать все" / "Убрать выделение".
void setAllSuppliersVisible(db::Connection& priceDb, bool visible);
// "Отобрать": exactly the template's suppliers become visible, by exact
// name; one transaction. An empty template name changes nothing.
void applyTemplate(db::Connection& priceDb, const db::Connection& orderDb, const QString& templateName);

// --- order database: the templates (SelectTempPostav) -----------------------

// The template names, in alphabetical order (Russian, letter case ignored).
QStringList templateNames(const db::Connection& orderDb);
// The template's suppliers, by name.
QStringList templateSuppliers(const db::Connection& orderDb, const QString& templateName);
// Replaces the template's rows by one row per supplier, in order, in one
// transaction; no suppliers deletes the template.
void saveTemplate(db::Connection& orderDb, const QString& templateName, const QStringList& suppliers);
void deleteTemplate(db::Connection& orderDb, const QString& templateName);

// The entry to show after deleting entry `deleted` of `namesBefore`: the
// next one, or the new last one when the last was deleted; empty when none
// is left.
QString templateAfterDelete(const QStringList& namesBefore, int deleted);

// The entry to select in the template lists for a name: the last equal
// entry, else the first, else none (-1).
int templateIndexFor(const QStringList& names, const QString& name);

} // namespace velmora::search
