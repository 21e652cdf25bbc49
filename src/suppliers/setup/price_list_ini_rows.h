#pragma once

#include <QString>

#include <array>
#include <vector>

namespace velmora {

// The rows of AllPostavSetup and AllPostavPage as the price-list settings
// file holds them, and the names of its sections and keys.

inline const QString kPriceListCountSection = QStringLiteral("CountPriceList");

// The sheet keys in file order; the value columns of AllPostavPage have
// the same names.
inline constexpr std::array<const char*, 8> kPriceListColumnKeys = {
    "Column_art",   "Column_Tovar",  "Column_Price",       "Column_Pricemax",
    "Column_Sklad", "Column_Garant", "Column_Description", "Column_TextNoName"};

inline QString priceListSection(qint64 n) { return QStringLiteral("PriceList%1").arg(n); }
inline QString priceListSheetSection(qint64 n, qint64 k) { return QStringLiteral("PriceList%1Sheet%2").arg(n).arg(k); }

struct PriceListIniSheet {
    QString sheetName = QStringLiteral("-");
    std::array<qint64, kPriceListColumnKeys.size()> columns{};
    QString obrab;
    qint64 nacen = 0;
    qint64 valuta = 0;
    qint64 priceSet = 0;
    QString tovarPrefiks;
};

struct PriceListIniList {
    QString name;
    QString path;
    qint64 sheetCount = 0;
    double priceConversion = 1;
    bool queued = false;
    std::vector<PriceListIniSheet> sheets;
};

} // namespace velmora
