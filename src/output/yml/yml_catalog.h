#pragma once

#include "output/parameters/yml_settings.h"

#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QString>

namespace velmora::output {

// The values of a YML catalogue, as the shop's settings and catalogue give
// them. Texts are the program's own; the writer escapes them.

struct YmlShop {
    QString name;    // written cut to its first 20 characters
    QString company;
    QString url;
};

struct YmlCategory {
    qint64 id = 0;
    qint64 parentId = 0; // 0 or less: a top-level category
    QString name;
};

struct YmlOffer {
    qint64 id = 0;
    QString url;
    double price = 0;
    QString currencyId; // YmlCurrencyId()
    qint64 categoryId = 0;
    QString picture;
    QString name;
    // Elements the catalogue leaves empty; each is written only with a
    // value. With both vendor and model the vendor-and-model form stands in
    // place of <name>; otherwise vendorCode follows <name>.
    int delivery = 0; // above 0: <deliveryIncluded/>
    QString orderingTime;
    QString typePrefix;
    QString vendor;
    QString vendorCode;
    QString model;
    QString provider;
    QString tarifplan; // only after a provider
};

struct YmlCatalog {
    YmlShop shop;
    YmlRate usd; // a fixed rate ("36,5") or "ЦБРФ" with its surcharge
    YmlRate eur;
    bool deliveryIncluded = false;
    QList<YmlCategory> categories;
    QList<YmlOffer> offers;
};

// The name of the document type file that stands beside every catalogue.
inline constexpr char kYmlDtdFileName[] = "shops.dtd";

// "RUR", "USD" or "EUR" for the currency choice 0, 1, 2 (others: "RUR").
QString YmlCurrencyId(int index);

// The rate as the file writes it: "ЦБРФ" becomes "CBRF", "," becomes ".".
QString FormatYmlRate(const QString& rate);
// Rounded half up to 2 decimals, shortest text with ".": 115.5, 2.68, 100.
QString FormatYmlPrice(double value);
// Drops the control characters except tab, line feed and carriage return,
// and writes & " < > ' as their entities.
QString EscapeXmlText(const QString& text);
// Writes the text in Windows-1251; a character the code page lacks is
// written as its numeric reference ("&#8364;" style). Throws OutputError
// when the device refuses the bytes.
void WriteYmlText(QIODevice& out, const QString& text);

// The element writers, in the order a catalogue is made of them. Every line
// ends with a carriage return; the catalogue's last tag ends with none.
void WriteYmlHeader(QIODevice& out);
void WriteYmlCatalogOpen(QIODevice& out, const QDateTime& date);
void WriteYmlShopOpen(QIODevice& out, const YmlShop& shop);
void WriteYmlCurrencies(QIODevice& out, const YmlRate& usd, const YmlRate& eur);
void WriteYmlCategoriesOpen(QIODevice& out);
void WriteYmlCategory(QIODevice& out, const YmlCategory& category);
void WriteYmlCategoriesClose(QIODevice& out);
void WriteYmlDeliveryIncluded(QIODevice& out);
void WriteYmlOffersOpen(QIODevice& out);
void WriteYmlOffer(QIODevice& out, const YmlOffer& offer);
void WriteYmlOffersClose(QIODevice& out);
void WriteYmlShopClose(QIODevice& out);
void WriteYmlCatalogClose(QIODevice& out);

// Writes the whole catalogue to `path` through a temporary file that
// replaces the old one only when complete. `date` is the catalogue's date
// (the clock's now). A catalogue without a category or without an offer is
// not a valid document: OutputError, and no file. OutputError also when the
// file cannot be written.
void ExportYmlCatalog(const QString& path, const YmlCatalog& catalog, const QDateTime& date);

} // namespace velmora::output
