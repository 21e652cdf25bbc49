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

namespace velmora::loader::test {

// A workbook of `rows` offers on one sheet: A article "A<n>", B name
// "Товар <n>", C price n, D second price.
void WriteLargeXlsx(const QString& path, int rows, const QString& sheetName = QStringLiteral("Прайс"));

// A workbook of text rows on sheet "Прайс", each cell a text (an empty
// text leaves its cell empty), with the price 10 in column `priceColumn`
// (1-based, moving the texts one column on from there). Texts go to the
// shared-string table, or inline with `inlineStrings`.
void WriteTextXlsx(const QString& path, const std::vector<std::vector<QString>>& rows, int priceColumn,
                   bool inlineStrings);

// Runs /usr/bin/python3 with a script and arguments; returns its standard
// output (UTF-8), or throws with its error output.
QString RunPython(const QString& script, const QStringList& arguments);

// Offers of a supplier inserted directly, each with one currency row.
void InsertOffers(db::Connection& priceDb, const QString& name, int count);

} // namespace velmora::loader::test
