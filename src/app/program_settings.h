#pragma once

#include "platform/db/connection.h"

#include <QColor>
#include <QList>
#include <QString>

#include <functional>

namespace velmora {

class SettingsStore;

// The program-wide settings of the dialog "Настройки программы", kept in
// the order database's settings store, as one value.
struct ProgramSettings {
    int oldTovarDay = 90;                    // OldTovarDay: days until a good counts as old
    QColor oldTovarColor = QColor(255, 0, 0); // OldTovarColor
    bool katMinPrice = false;                // CheckBox_KatMinPrice
    bool katPost = false;                    // CheckBox_KatPost
    bool katNacen = false;                   // CheckBox_KatNacen
    bool nacenDop = false;                   // CheckBox_NacenDop
    QString saleSupplier;                    // Edit_Sale
    bool sale = false;                       // CheckBox_Sale
    QColor saleTovarColor = QColor(0, 0, 255); // SaleTovarColor
    int superPriceStyle = 0;                 // SuperPrice (TypeInteger): the style bits
    bool superPriceExcel = false;            // SuperPrice (TypeBoolean)
    QString superPriceText;                  // SuperPrice (TypeText)
    int actualPriceDays = 7;                 // actual_price: age limit of supplier price lists
    bool roundingYes = false;                // RoundingYes
    int roundingDegree = 2;                  // RoundingDegree
    bool roundingPostav = false;             // RoundingPostav
    int roundingDegreePostav = 2;            // RoundingDegreePostav

    bool operator==(const ProgramSettings&) const = default;
};

// The style bits of the "super price" sample.
enum SuperPriceStyle { kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4 };

// The number of values the dialog's OK stores.
inline constexpr int kProgramSettingWrites = 17;

// Reads every value (a missing one is created with its default).
ProgramSettings readProgramSettings(SettingsStore& orderSettings);

// The dialog's OK on the databases: the 17 values in their order (an empty
// sale supplier stored as one blank), the export parameter row 4 (the sale
// supplier, the old-goods days and colour text; skipped when the row is
// missing) and the sale marks of the own goods for the sale supplier. All
// or nothing: a failure changes neither database. `step` runs after each
// value. Throws db::DbError or SettingsError.
void storeProgramSettings(db::Connection& orderDb, db::Connection& priceDb, const ProgramSettings& settings,
                          const std::function<void()>& step = {});

// The word after a number of days: "день" (1, 21, 101 ...), "дня" (2-4,
// 22-24 ...), "дней" (0, 5-20, 25-30, 111-114 ...).
QString dayWord(int days);

// One supplier of the older loading windows and whether its prices take
// part in the minimum prices by default (postavshik.Obrab_Def).
struct SupplierDefault {
    qint64 rowId = 0;
    QString supplier;
    bool on = false; // Obrab_Def "true" in any case
};
QList<SupplierDefault> readSupplierDefaults(db::Connection& priceDb);
// Stores one row's flag as "True" or "False" at once.
void storeSupplierDefault(db::Connection& priceDb, qint64 rowId, bool on);

} // namespace velmora
