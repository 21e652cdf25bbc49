#pragma once

#include <QString>

#include <optional>

namespace velmora {
class SettingsStore;
}

namespace velmora::output {

// The rate text that means "the central bank's rate of the day".
QString centralBankRateText(); // "ЦБРФ"

// One currency rate of the YML catalogue: "ЦБРФ" (the central bank's rate,
// raised by the surcharge in percent) or a fixed number written with a
// decimal comma ("1" for the rouble).
struct YmlRate {
    QString rate;
    int surcharge = 0;

    // Only the central bank's rate takes a surcharge.
    bool takesSurcharge() const { return takesSurcharge(rate); }
    static bool takesSurcharge(const QString& rateText);
};

// The YML catalogue's settings, kept in the order database's settings
// store under the names of the parameters window's controls.
struct YmlSettings {
    QString xmlPath;   // Edit_XML: the catalogue file
    QString shopName;  // Edit_name
    QString company;   // Edit_company
    QString url;       // Edit_url: the shop's web address
    YmlRate rub;       // ComboBox_RUB, SpinEdit_RUB
    YmlRate usd;       // ComboBox_USD, SpinEdit_USD
    YmlRate eur;       // ComboBox_EUR, SpinEdit_EUR
    int currency = 1;  // ComboBox_Currency: 0 roubles, 1 dollars, 2 euros
    int delivery = 0;  // ComboBox_Delivery: 0 without, 1 with delivery
};

// Reads the settings with their defaults (a missing one is stored with its
// default first); the catalogue file defaults to price.xml in the data
// folder. Texts come trimmed. A surcharge of a rate that takes none reads
// 0. The price currency follows `displayCode`, the display currency of the
// rates, while none is stored (ymlCurrencyFor).
YmlSettings readYmlSettings(SettingsStore& orderSettings, const QString& dataFolder, const QString& displayCode);

// Writes every setting. A rate other than "ЦБРФ" is stored as the number
// it reads as, with a decimal comma; a rate that is no number leaves its
// stored value unchanged. Throws SettingsError or db::DbError.
void storeYmlSettings(SettingsStore& orderSettings, const YmlSettings& settings);

// The text a typed rate is stored as: "ЦБРФ" as it is, a number ("36.5",
// "36,50") with a decimal comma ("36,5"), nothing for any other text.
std::optional<QString> storedRateText(const QString& typed);

} // namespace velmora::output
