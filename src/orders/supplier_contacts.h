#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <optional>

namespace velmora::orders {

// A supplier's contacts (postav_info of the price database).
struct SupplierContacts {
    QString nameFull;
    QString address;
    QString person;
    QString phones;
    QString mail;
};

// The supplier's row (compared without case); none when it has none.
std::optional<SupplierContacts> ReadSupplierContacts(db::Connection& priceDb, const QString& supplier);
// Adds the supplier's row, or changes it when it has one.
void SaveSupplierContacts(db::Connection& priceDb, const QString& supplier, const SupplierContacts& contacts);

} // namespace velmora::orders
