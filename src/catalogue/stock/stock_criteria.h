#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {
class SettingsStore;
}

namespace velmora::catalogue {

// Stock criteria: the suppliers' stock texts (svod.Sklad) that mean an
// offer is in stock (the presence list, Price_Sklad.Sklad "Yes") or not
// (the absence list, "No"). A text is compared whole, without the blanks
// around it and without regard to case, and kept and listed without those
// blanks; a null or blank stock text is no stock text at all.
enum class StockList { Presence, Absence };

// "Yes" for the presence list, "No" for the absence list.
QString stockListCode(StockList list);

struct StockCriterion {
    qint64 id = 0; // Price_Sklad.ID
    QString text;
};

// The texts of one list in the order of their text.
QList<StockCriterion> readStockCriteria(db::Connection& priceDb, StockList list);

enum class StockEdit {
    Done,
    Duplicate, // the text is in one of the lists already ("Подобный критерий уже есть!")
    Nothing,   // an empty text, or no row to change
};

// Adds a text to a list unless it is empty or stands in either list.
StockEdit addStockCriterion(db::Connection& priceDb, StockList list, const QString& text);
// Gives a row a new text unless it is empty or stands in either list (its
// own row included, so a row cannot be changed to its own text); id 0
// (no current row) changes nothing.
StockEdit changeStockCriterion(db::Connection& priceDb, qint64 id, const QString& text);
void deleteStockCriterion(db::Connection& priceDb, qint64 id);

// The stock texts of the combined price that are in neither list, one per
// text whatever its case; no stock text is never among them.
QStringList missingStockTexts(db::Connection& priceDb);

// The three values of the setting KritSklad (one name, three types).
struct StockSwitches {
    bool apply = false;              // TypeBoolean: the recalculation judges stock texts
    StockList judgeBy = StockList::Presence; // TypeText "Yes" presence, other text absence
    bool noTextInStock = true;       // TypeInteger: 1 an offer without stock text counts as in stock, 0 not
};

// Reads KritSklad from the order database's settings. When the setting is
// missing, all three values are first stored with their defaults ("0",
// "Yes", "1"), so no value comes from another type's first read.
StockSwitches readStockSwitches(SettingsStore& orderSettings);
void writeStockApply(SettingsStore& orderSettings, bool apply);            // "-1" / "0"
void writeStockJudgeBy(SettingsStore& orderSettings, StockList list);      // "Yes" / "No"
void writeStockNoTextInStock(SettingsStore& orderSettings, bool inStock); // "1" / "0"

// Judges every offer of the combined price by its stock text, for the
// minimum-price recalculation; does nothing while switches.apply is off.
// Judging by the presence list, an offer whose stock text is in it keeps
// its svod.Obrab and any other offer with a stock text gets "False" (so
// with an empty list every such offer); judging by the absence list, an
// offer whose text is in it gets "False". An offer without stock text keeps
// its svod.Obrab, or gets "False" when noTextInStock is off. Runs in a
// savepoint, so it may be called inside the recalculation's transaction; on
// failure svod is left as it was and db::DbError is thrown.
void ApplyStockCriteria(db::Connection& priceDb, const StockSwitches& switches);

} // namespace velmora::catalogue
