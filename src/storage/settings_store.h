#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QVariant>

#include <stdexcept>

namespace velmora {

// The typed settings store over a database's `settings` table: one row per
// named setting, one value column per type. Type names are exact:
// "TypeText", "TypeInteger", "TypeDouble", "TypeCurrency", "TypeDate",
// "TypeBoolean". Values travel as text: decimals with "," or ".", booleans
// as "-1"/"0" or "True"/"False", dates as dd.MM.yyyy.
//
// WriteSetting/ReadSetting work on the order database, the PriceDb twins on
// the price database; each takes the connection it works on.
class SettingsStore {
public:
    explicit SettingsStore(db::Connection& connection) : connection_(connection) {}

    // Writes one value; a missing row is created with neutral values in the
    // other columns. Throws when the value does not convert to the type.
    void write(const QString& name, const QString& typeName, const QString& value);

    // Reads one value; a missing row is first created with the default.
    // On an engine error the default converted to the type is returned; an
    // unknown type name then gives the text "Error". Throws when the default
    // itself does not convert.
    QVariant read(const QString& name, const QString& typeName, const QString& defaultText);

    // True when a row of that name exists, of whatever type.
    bool contains(const QString& name) const;

    // Conveniences over read() for callers that want their own type.
    QString readText(const QString& name, const QString& defaultText = QString());
    qint64 readInteger(const QString& name, const QString& defaultText = QStringLiteral("0"));
    double readDouble(const QString& name, const QString& defaultText = QStringLiteral("0"));
    double readCurrency(const QString& name, const QString& defaultText = QStringLiteral("0"));
    bool readBoolean(const QString& name, const QString& defaultText = QStringLiteral("0"));

private:
    db::Connection& connection_;
};

// A value or default text that does not convert to its setting's type.
class SettingsError : public std::runtime_error {
public:
    explicit SettingsError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Converts a value text to the stored value of a type ("TypeDate" gives its
// REAL day number); throws SettingsError on bad text or an unknown type.
QVariant convertSettingValue(const QString& typeName, const QString& value);

// The routines the windows call, one pair per database.
void WriteSetting(db::Connection& orderDb, const QString& name, const QString& typeName, const QString& value);
QVariant ReadSetting(db::Connection& orderDb, const QString& name, const QString& typeName, const QString& defaultText);
void WritePriceDbSetting(db::Connection& priceDb, const QString& name, const QString& typeName, const QString& value);
QVariant ReadPriceDbSetting(db::Connection& priceDb, const QString& name, const QString& typeName, const QString& defaultText);

// Parses decimal text with "," or "." as separator; throws on bad text.
double parseDecimal(const QString& text);
// Parses "-1"/"0"/"1"/"True"/"False" (any case); throws on other text.
bool parseBoolean(const QString& text);

} // namespace velmora
