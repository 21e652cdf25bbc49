#include "orders/supplier_contacts.h"

namespace velmora::orders {

std::optional<SupplierContacts> ReadSupplierContacts(db::Connection& priceDb, const QString& supplier)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Name_full, Address, Person, Phones, Mail FROM postav_info WHERE Postavshik = ?1 ORDER BY rowid LIMIT 1"));
    select.bindText(1, supplier);
    if (!select.step())
        return std::nullopt;
    return SupplierContacts{select.text(0), select.text(1), select.text(2), select.text(3), select.text(4)};
}

void SaveSupplierContacts(db::Connection& priceDb, const QString& supplier, const SupplierContacts& contacts)
{
    const bool known = ReadSupplierContacts(priceDb, supplier).has_value();
    db::Statement save = priceDb.prepare(
        known ? QStringLiteral("UPDATE postav_info SET Name_full = ?2, Address = ?3, Person = ?4, Phones = ?5, Mail = ?6"
                               " WHERE Postavshik = ?1")
              : QStringLiteral("INSERT INTO postav_info (Postavshik, Name_full, Address, Person, Phones, Mail)"
                               " VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    save.bindText(1, supplier).bindText(2, contacts.nameFull).bindText(3, contacts.address);
    save.bindText(4, contacts.person).bindText(5, contacts.phones).bindText(6, contacts.mail);
    save.execute();
}

} // namespace velmora::orders
