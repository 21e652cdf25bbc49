#pragma once

#include "platform/db/connection.h"
#include "storage/schema.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <stdexcept>

namespace velmora::testing {

// A feed fixture's bytes from tests/data/currency.
inline QByteArray currencyFixture(const QString& name)
{
    QFile file(QStringLiteral(VELMORA_TEST_DATA "/currency/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(("missing fixture " + name).toStdString());
    return file.readAll();
}

// A fresh price database in a temporary folder.
struct PriceDatabase {
    QTemporaryDir dir;
    db::Connection db;

    PriceDatabase()
    {
        const QString path = dir.filePath(QStringLiteral("PRICE.vdb"));
        createPriceDatabase(path);
        db.open(path);
    }
};

} // namespace velmora::testing
