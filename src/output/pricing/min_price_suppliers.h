#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace velmora::output {

// The suppliers that take part in the minimum-price recalculation, as the
// minimum-price window lists them: for all goods the ticks of table
// postavshik, for a group its rows of MinPrice_Group.
struct SupplierChoice {
    qint64 rowId = 0; // the row of postavshik or MinPrice_Group
    QString supplier;
    bool used = false; // Obrab "True"
    qint64 dates = 0;  // day number of the supplier's last price list
};

// postavshik's suppliers in table order.
QList<SupplierChoice> readSupplierChoices(db::Connection& priceDb);

// Brings MinPrice_Group up to date and lists the group's rows: rows of
// suppliers no longer in postavshik are deleted (from every group), each
// supplier the group lacks is added with its tick and Dates, and every
// row's Dates is copied from postavshik. One transaction.
QList<SupplierChoice> prepareGroupSupplierChoices(db::Connection& priceDb, qint64 group);

// Ticks or unticks one row: of postavshik for group 0, else of the group's
// MinPrice_Group rows.
void setSupplierChoice(db::Connection& priceDb, qint64 group, qint64 rowId, bool used);

// Gives every group nested in `group` (walk order) a copy of the group's
// supplier choice in place of its own. Runs in a savepoint, so it may be
// called inside a caller's transaction. Returns the number of subgroups.
int copySupplierChoiceToSubgroups(db::Connection& priceDb, qint64 group);

inline const QString kSaveChoiceQuestion =
    QStringLiteral("  Установить данные настройки\r для всех вложенных подгрупп?");
inline const QString kChoiceCopiedMessage =
    QStringLiteral(" Выбранные настройки были успешно\r присвоены всем вложенным группам.");

} // namespace velmora::output
