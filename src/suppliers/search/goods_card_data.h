#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace velmora::search {

class SupplierGoodsModel;

// The offer fields of the goods card, as the card shows them.
struct OfferCard {
    QString art;             // Edit_ViewsArt
    QString tovar;           // Edit_ViewsTovar
    QString description;     // Edit_ViewsDescription
    QString priceOut;        // Edit_Price
    QString price;           // Edit_PostavPrice
    QString pricemax;        // Edit_PostavPriceMax
    QString garant;          // Edit_Garant
    QString textNoName;      // Edit_Sklad2
    QString number;          // Edit_Number
    QString supplier;        // Edit_PostavName
    QString sklad;           // Edit_PostavSklad
};

// A supplier's contacts from postav_info.
struct SupplierContacts {
    QString address;   // Label_site
    QString person;    // Label_web
    QString phones;    // Edit_tel2
    QString mail;      // Edit_mail2
    QString nameFull;  // Edit_info2
};

// A price as fixed-point text with up to four decimals ("12,5", "3").
QString cardPriceText(const QVariant& value);
// The same with exactly `places` decimals (the display currency's), a
// decimal comma: 12.5 with 2 gives "12,50"; negative places: up to four.
QString cardPriceText(const QVariant& value, int places);

// The card fields of a grid row.
// Prices with `places` decimals; negative: up to four, as cardPriceText.
OfferCard offerCardOf(const SupplierGoodsModel& model, int row, int places = -1);

// The contacts of a supplier (select * from Postav_info where
// Postavshik=:Postav); none when there is no row.
std::optional<SupplierContacts> readSupplierContacts(const db::Connection& priceDb, const QString& supplier);

// The address a link button may open: http, https, ftp and mailto URLs, a
// text starting "www." as http. None for anything else (a path to a
// program must never be started).
std::optional<QUrl> linkTarget(const QString& text);

inline const QString kLinkFailedMessage = QStringLiteral("Не получается открыть сайт:\r");

} // namespace velmora::search
