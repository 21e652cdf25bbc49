#include "rate_settings.h"

#include "currency_table.h"

#include "storage/settings_store.h"

#include <cmath>

namespace velmora::rate_settings {
namespace {

const QString kTypeInteger = QStringLiteral("TypeInteger");
const QString kTypeDouble = QStringLiteral("TypeDouble");
const QString kTypeBoolean = QStringLiteral("TypeBoolean");

QString rateSettingName(int currencyIndex)
{
    return QStringLiteral("ValutaKurs_") + CurrencyCode(currencyIndex);
}

} // namespace

int displayIndex(db::Connection& priceDb)
{
    bool ok = false;
    const int index = ReadPriceDbSetting(priceDb, QStringLiteral("ComboBox_ValutaName"), kTypeInteger,
                                         QStringLiteral("2")).toInt(&ok);
    return ok && CurrencyTable::isCurrencyIndex(index) ? index : int(CurrencyRUB);
}

void setDisplayIndex(db::Connection& priceDb, int index)
{
    WritePriceDbSetting(priceDb, QStringLiteral("ComboBox_ValutaName"), kTypeInteger, QString::number(index));
}

int sourceSetting(db::Connection& priceDb)
{
    bool ok = false;
    const int value = ReadPriceDbSetting(priceDb, QStringLiteral("ComboBox_ValutaSite"), kTypeInteger,
                                         QStringLiteral("1")).toInt(&ok);
    return ok ? value : 1;
}

void setSourceSetting(db::Connection& priceDb, int value)
{
    WritePriceDbSetting(priceDb, QStringLiteral("ComboBox_ValutaSite"), kTypeInteger, QString::number(value));
}

bool downloadEnabled(db::Connection& priceDb)
{
    const QVariant value = ReadPriceDbSetting(priceDb, QStringLiteral("ValutaKurs"), kTypeBoolean,
                                              QStringLiteral("-1"));
    if (value.typeId() == QMetaType::QString) {
        try {
            return parseBoolean(value.toString());
        } catch (const std::exception&) {
            return true;
        }
    }
    return value.toBool();
}

void setDownloadEnabled(db::Connection& priceDb, bool on)
{
    WritePriceDbSetting(priceDb, QStringLiteral("ValutaKurs"), kTypeBoolean,
                        on ? QStringLiteral("True") : QStringLiteral("False"));
}

double readDouble(db::Connection& priceDb, const QString& name, double fallback)
{
    const QVariant value = ReadPriceDbSetting(priceDb, name, kTypeDouble, QStringLiteral("1"));
    double number = 0;
    bool ok = false;
    if (value.typeId() == QMetaType::QString) {
        try {
            number = parseDecimal(value.toString());
            ok = true;
        } catch (const std::exception&) {
        }
    } else {
        number = value.toDouble(&ok);
    }
    return ok && std::isfinite(number) ? number : fallback;
}

void writeDouble(db::Connection& priceDb, const QString& name, double value)
{
    WritePriceDbSetting(priceDb, name, kTypeDouble, QString::number(value, 'g', 17));
}

double storedRate(db::Connection& priceDb, int currencyIndex)
{
    const double rate = readDouble(priceDb, rateSettingName(currencyIndex), 1.0);
    // A rate of 0 or less would divide by zero in every conversion.
    return rate > 0 ? rate : 1.0;
}

void storeRate(db::Connection& priceDb, int currencyIndex, double rate)
{
    writeDouble(priceDb, rateSettingName(currencyIndex), rate);
}

} // namespace velmora::rate_settings
