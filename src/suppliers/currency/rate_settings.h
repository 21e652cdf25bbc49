#pragma once

#include "platform/db/connection.h"

#include <QString>

namespace velmora::rate_settings {

// The currency settings, all kept in the price database's settings table so
// that every workstation sharing it sees the same rates and choices.

// ComboBox_ValutaName (TypeInteger, "2"): the display currency index; a
// stored value that is no currency index reads as RUB.
int displayIndex(db::Connection& priceDb);
void setDisplayIndex(db::Connection& priceDb, int index);

// ComboBox_ValutaSite (TypeInteger, "1"): the source combo's item; the
// source number is this value minus 1 (4 reaches Kazakhstan).
int sourceSetting(db::Connection& priceDb);
void setSourceSetting(db::Connection& priceDb, int value);
inline int sourceOfSetting(int value) { return value - 1; }

// ValutaKurs (TypeBoolean, true): download rates at each refresh.
bool downloadEnabled(db::Connection& priceDb);
void setDownloadEnabled(db::Connection& priceDb, bool on);

// "ValutaKurs_" + code (TypeDouble, "1"): the last rate of a currency. A
// stored value that is not a positive number reads as 1.
double storedRate(db::Connection& priceDb, int currencyIndex);
void storeRate(db::Connection& priceDb, int currencyIndex, double rate);

// Writes a TypeDouble setting from a number, locale-independent.
void writeDouble(db::Connection& priceDb, const QString& name, double value);
double readDouble(db::Connection& priceDb, const QString& name, double fallback);

} // namespace velmora::rate_settings
