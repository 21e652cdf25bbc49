#include "yml_settings.h"

#include "output/shop_currency.h"
#include "storage/settings_store.h"

#include <QDir>

namespace velmora::output {
namespace {

const QString kText = QStringLiteral("TypeText");
const QString kInteger = QStringLiteral("TypeInteger");

struct RateNames {
    const char* rate;
    const char* surcharge;
    const char* defaultRate;
};

constexpr RateNames kRub{"ComboBox_RUB", "SpinEdit_RUB", "1"};
constexpr RateNames kUsd{"ComboBox_USD", "SpinEdit_USD", "ЦБРФ"};
constexpr RateNames kEur{"ComboBox_EUR", "SpinEdit_EUR", "ЦБРФ"};

YmlRate readRate(SettingsStore& settings, const RateNames& names)
{
    YmlRate rate;
    rate.rate = settings.readText(QLatin1String(names.rate), QString::fromUtf8(names.defaultRate)).trimmed();
    rate.surcharge = int(settings.readInteger(QLatin1String(names.surcharge), QStringLiteral("0")));
    if (!rate.takesSurcharge())
        rate.surcharge = 0;
    return rate;
}

void storeRate(SettingsStore& settings, const RateNames& names, const YmlRate& rate)
{
    if (const std::optional<QString> text = storedRateText(rate.rate))
        settings.write(QLatin1String(names.rate), kText, *text);
    settings.write(QLatin1String(names.surcharge), kInteger,
                   QString::number(rate.takesSurcharge() ? rate.surcharge : 0));
}

} // namespace

QString centralBankRateText() { return QStringLiteral("ЦБРФ"); }

bool YmlRate::takesSurcharge(const QString& rateText) { return rateText.trimmed() == centralBankRateText(); }

std::optional<QString> storedRateText(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text == centralBankRateText())
        return text;
    try {
        const double value = parseDecimal(text);
        return QString::number(value, 'g', 15).replace(u'.', u',');
    } catch (const SettingsError&) {
        return std::nullopt;
    }
}

YmlSettings readYmlSettings(SettingsStore& settings, const QString& dataFolder, const QString& displayCode)
{
    YmlSettings yml;
    yml.xmlPath = settings.readText(QStringLiteral("Edit_XML"), QDir(dataFolder).filePath(QStringLiteral("price.xml")))
                      .trimmed();
    yml.shopName = settings.readText(QStringLiteral("Edit_name"), QStringLiteral("Name")).trimmed();
    yml.company = settings.readText(QStringLiteral("Edit_company"), QStringLiteral("Company")).trimmed();
    yml.url = settings.readText(QStringLiteral("Edit_url"), QStringLiteral("http://example.com")).trimmed();
    yml.rub = readRate(settings, kRub);
    yml.usd = readRate(settings, kUsd);
    yml.eur = readRate(settings, kEur);
    const QString currency = QStringLiteral("ComboBox_Currency");
    yml.currency = settings.contains(currency) ? int(settings.readInteger(currency, QStringLiteral("1")))
                                               : ymlCurrencyFor(displayCode);
    yml.delivery = int(settings.readInteger(QStringLiteral("ComboBox_Delivery"), QStringLiteral("0")));
    return yml;
}

void storeYmlSettings(SettingsStore& settings, const YmlSettings& yml)
{
    settings.write(QStringLiteral("Edit_XML"), kText, yml.xmlPath);
    settings.write(QStringLiteral("Edit_name"), kText, yml.shopName);
    settings.write(QStringLiteral("Edit_company"), kText, yml.company);
    settings.write(QStringLiteral("Edit_url"), kText, yml.url);
    storeRate(settings, kRub, yml.rub);
    storeRate(settings, kUsd, yml.usd);
    storeRate(settings, kEur, yml.eur);
    settings.write(QStringLiteral("ComboBox_Currency"), kInteger, QString::number(yml.currency));
    settings.write(QStringLiteral("ComboBox_Delivery"), kInteger, QString::number(yml.delivery));
}

} // namespace velmora::output
