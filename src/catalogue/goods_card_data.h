#pragma once

#include "goods_prices.h"

#include "platform/db/connection.h"

#include <QString>

#include <functional>

namespace velmora::catalogue {

// The goods card (Form_MainTovAdEd) as plain data: what it shows when it
// opens and what saving it writes.

enum class CardMode {
    Add,  // "ad": a new good in the chosen group
    Edit, // "ed": the good the list shows as current
};

// The fields of the card as the user edits them.
struct CardFields {
    QString art;
    QString tovar;
    double price = 0;
    int nacen = 0;
    QString garant;
    bool superPrice = false;
    QString url;
    QString pictures;
    QString comment;
};

// The card as it opened.
struct CardOpening {
    CardMode mode = CardMode::Add;
    qint64 code = 0;         // edit: the good's code; add: the code it is to get
    QString kategor;         // the group the good is (edit) or will be (add) filed under
    QString groupName;       // shown in Edit_AdEdKategor
    int groupNacen = 0;      // the group's markup: refills the field when "Супер Цена" is unchecked
    CardFields fields;
    double loadedPriceBase = 0; // edit: kept unless "Супер Цена" is checked
    bool loadedSale = false;
    QString shownArt;        // the article the card opened with
};

// Edit mode: the good's fields (the price through RoundValue with
// roundDigits) and details; false when there is no such good.
bool openCardForEdit(db::Connection& priceDb, qint64 code, int roundDigits, CardOpening& opening);
// Add mode in a group: price 0, the group's markup and warranty, the code
// max(code)+1 and the article built for it (articleFor, may be empty).
CardOpening openCardForAdd(db::Connection& priceDb, qint64 groupCode,
                           const std::function<QString(qint64 code, const QString& groupCode)>& articleFor);

struct CardSaving {
    bool saved = false;
    QString message; // why it was not saved
    qint64 code = 0; // the saved good's code
};

// Button_AdEdOkClick: refuses an empty name ("Укажите название товара !")
// and an article that another good has, case ignored, when the article is
// new to the good (any article of a new good, an edited good's changed one;
// an empty article is never refused): "Такой Артикул уже существует!".
// Edit keeps the good's own group and Sale; its base price becomes the
// entered price and its markup 0 when "Супер Цена" is checked, else the
// base price stays and the markup is the entered one. Add takes the next
// free code, the entered price as base and selling price, today's day
// number, Sale off. The export details are stored with it; one transaction.
CardSaving saveCard(db::Connection& priceDb, const CardOpening& opening, const CardFields& fields, qint64 today);

} // namespace velmora::catalogue
