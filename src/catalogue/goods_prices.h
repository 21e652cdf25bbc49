#pragma once

#include <QString>

namespace velmora::catalogue {

// One own good (a row of price_main).
struct Good {
    qint64 code = 0;
    QString art;
    QString kategor; // the group's code as digits
    QString tovar;
    double priceBase = 0;
    int nacen = 0;
    double price1 = 0;
    qint64 dates = 0; // day number; 0 when not set
    QString garant;
    bool sale = false;
    bool superPrice = false;
};

// What the prices are shown with: RoundDigits and KursRUBRate.
struct GoodsPricing {
    int roundDigits = 2;
    double kursRub = 27.0;
};

// The goods list's calculated columns of one good.
struct GoodPriceTexts {
    QString Price_nacen;  // selling price; "нет" without a price
    QString NacenAll;     // total markup over the base price, percent
    QString NacenDollars; // markup as an amount
    QString Price_RUB;    // selling price at the rouble rate
};

// The selling price of an own good, unrounded: Price_1 for a SuperPrice
// good (its price is fixed, no markup is added), else Price_1 with its
// markup of Nacen percent. The goods list, the order list and the order
// import all price a good by it.
double sellingPrice(double price1, double nacen, bool superPrice);

// Price_nacen: Price_1 rounded for a SuperPrice good, else Price_1 with its
// markup, rounded; "нет" when Price_1 is 0, which also makes NacenAll the
// good's own markup and NacenDollars "-" and Price_RUB " - ". Otherwise
// NacenAll (one decimal, half up) and NacenDollars are "-" for a
// SuperPrice good or without a base price.
GoodPriceTexts goodPriceTexts(const Good& good, const GoodsPricing& pricing);

} // namespace velmora::catalogue
