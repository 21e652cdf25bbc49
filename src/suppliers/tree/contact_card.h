#pragma once

#include "platform/db/connection.h"

#include <QString>

namespace velmora {

// A supplier's contact card (postav_info), as the five fields of the
// settings tab edit it: Edit_info -> Name_full, Edit_site -> Address,
// Edit_web -> Person, Edit_tel -> Phones, Edit_mail -> Mail.
struct ContactCard {
    QString Name_full;
    QString Address;
    QString Person;
    QString Phones;
    QString Mail;

    bool operator==(const ContactCard&) const = default;
};

// The card of a price list; all fields empty when it has none.
ContactCard ReadContactCard(db::Connection& priceDb, const QString& name);

// Inserts the card or updates the existing one; empty fields are stored as
// empty texts.
void SaveContactCard(db::Connection& priceDb, const QString& name, const ContactCard& card);

} // namespace velmora
