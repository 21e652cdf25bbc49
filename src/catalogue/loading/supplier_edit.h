#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QString>

namespace velmora::catalogue {

// Deleting and renaming a supplier of the older loading windows in every
// matching table that names it: price_all, musor, MinPrice_Group, sootv,
// Sootv_All, svod and postavshik, in this order, in one transaction.

// "Будет удален поставщик и все его товары!. Продолжить?"
QString deleteSupplierQuestion();
// "Поставщик с таким названием уже есть. Объединить?"
QString mergeSuppliersQuestion();
// "Укажите новое название поставщика!"
QString emptySupplierNameMessage();

void deleteLoadingSupplier(db::Connection& priceDb, const QString& postavshik);

enum class SupplierRename { Renamed, Merged, Refused };

// Renames the supplier. An empty new name is refused with
// emptySupplierNameMessage. When another supplier has the new name already,
// `ask` puts mergeSuppliersQuestion: Yes merges the two (their rows under
// the new name, the other's postavshik row kept as the one row), No
// changes nothing.
SupplierRename renameLoadingSupplier(db::Connection& priceDb, const QString& postavshik, const QString& newName,
                                     const Question& ask, const MessageSink& tell);

} // namespace velmora::catalogue
