#pragma once

#include "platform/db/connection.h"
#include "suppliers/currency/currency_table.h"
#include "suppliers/loader/price_list_setup.h"

#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace velmora::loader::test {

// A fresh price and order database in a temporary folder.
struct TestDatabases {
    TestDatabases();
    QTemporaryDir dir;
    QString pricePath;
    QString orderPath;
    db::Connection price;
    db::Connection order;
};

void AddPriceList(db::Connection& priceDb, const QString& name, const QString& path, double conversion = 1,
                  qint64 dates = 0);
void AddSheet(db::Connection& priceDb, const QString& name, const SheetSetup& sheet);

// One offer as stored, with its currency rows.
struct StoredOffer {
    qint64 number = 0;
    QString art, tovar, garant, sklad, description, textNoName, check;
    double price = 0, pricemax = 0, priceOut = 0;
    qint64 dates = 0;
    int rateRows = 0; // AllTovarValuta rows with ID_Tovar = number
    double ratePrice = 0, ratePricemax = 0, rateConversion = 0;
    QString rateCode;
    int rateNacen = 0;
};
std::vector<StoredOffer> ReadOffers(db::Connection& priceDb, const QString& name);
qint64 CountRows(db::Connection& db, const QString& sql);

// USD 90, EUR 100, RUB 1, BYN 30, UAH 2.5 against the rate source.
CurrencyTable TestRates(int displayIndex = CurrencyRUB);

QString TestDataPath(const QString& relative);

} // namespace velmora::loader::test
