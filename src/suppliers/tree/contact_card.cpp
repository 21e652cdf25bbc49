#include "suppliers/tree/contact_card.h"

#include "platform/db/statement.h"

namespace velmora {

ContactCard ReadContactCard(db::Connection& priceDb, const QString& name)
{
    ContactCard card;
    db::Statement st = priceDb.prepare(QStringLiteral(
        "SELECT Name_full, Address, Person, Phones, Mail FROM postav_info WHERE Postavshik = ?1 LIMIT 1"));
    st.bind(1, name);
    if (st.step()) {
        card.Name_full = st.text(0);
        card.Address = st.text(1);
        card.Person = st.text(2);
        card.Phones = st.text(3);
        card.Mail = st.text(4);
    }
    return card;
}

void SaveContactCard(db::Connection& priceDb, const QString& name, const ContactCard& card)
{
    // QString() would bind as NULL; the card stores empty texts.
    auto text = [](const QString& s) { return s.isNull() ? QStringLiteral("") : s; };
    db::Transaction tx(priceDb);
    const bool exists =
        priceDb.scalar(QStringLiteral("SELECT count(*) FROM postav_info WHERE Postavshik = ?1"), {name}).toLongLong() > 0;
    db::Statement st = priceDb.prepare(
        exists ? QStringLiteral("UPDATE postav_info SET Name_full = ?2, Address = ?3, Person = ?4, Phones = ?5, Mail = ?6 "
                                "WHERE Postavshik = ?1")
               : QStringLiteral("INSERT INTO postav_info (Postavshik, Name_full, Address, Person, Phones, Mail) "
                                "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    st.bind(1, name)
        .bind(2, text(card.Name_full))
        .bind(3, text(card.Address))
        .bind(4, text(card.Person))
        .bind(5, text(card.Phones))
        .bind(6, text(card.Mail));
    st.execute();
    tx.commit();
}

} // namespace velmora
