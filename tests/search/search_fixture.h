#pragma once

#include "platform/db/connection.h"

#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <vector>

namespace velmora::search::test {

struct Offer {
    qint64 number;
    QString supplier;
    QString art;
    QString tovar;
    double priceOut;
    QVariant garant = {};
    QVariant sklad = {};
    QVariant description = {};
    QVariant textNoName = {};
    double pricePostav = 0;
    QString valuta = QStringLiteral("USD");
};

struct Supplier {
    QString name;
    int visible;  // stored as is: 0, 1, or the -1 older files hold
};

// A price database in a temporary folder, made by the schema code, with a
// few suppliers and offers.
class PriceDbFixture {
public:
    PriceDbFixture();
    db::Connection& db() { return *db_; }
    QString path() const { return dir_.filePath(QStringLiteral("PRICE.vdb")); }
    QString folder() const { return dir_.path(); }

    void addSupplier(const Supplier& supplier);
    void addOffer(const Offer& offer);
    void setVisible(const QString& supplier, bool visible);

    // The small standard set used by the search tests.
    void addStandardOffers();

private:
    QTemporaryDir dir_;
    std::unique_ptr<db::Connection> db_;
    int nextSupplierId_ = 1;
};

} // namespace velmora::search::test
