#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <vector>

namespace velmora::catalogue {

// A group's defaults for new goods and what setting them does to its
// goods, for each group given (the group alone, or with its subgroups):
// the markup goes to the group's goods that are not super-priced, the
// warranty to all its goods, and each becomes the group's own default
// (Tovar_tree.Nacen, Garant). One transaction (a savepoint inside a
// caller's); throws db::DbError.
void setGroupsMarkup(db::Connection& priceDb, const std::vector<qint64>& groups, int markup);
void setGroupsWarranty(db::Connection& priceDb, const std::vector<qint64>& groups, const QString& warranty);

} // namespace velmora::catalogue
