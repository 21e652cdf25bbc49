#pragma once

#include "platform/db/connection.h"
#include "suppliers/setup/sheet_settings.h"
#include "suppliers/tree/rename_price_list.h"
#include "suppliers/tree/supplier_commands.h"

#include <QString>

#include <array>
#include <optional>

namespace velmora {

// StaticText_InfoPrice: name, date of the first goods row (empty without
// goods), number of sheet rows, number of goods.
QString PriceListInfoText(const QString& name, const GoodsSummary& goods, int sheetCount);

// Edit_PriceConversion: an empty field means 1; a decimal with "," or ".";
// none for a text that is no number.
std::optional<double> ParseConversionFactor(const QString& text);

// Writes PriceConversion of a list; false (nothing written) for a text
// that is no number.
bool SetPriceConversion(db::Connection& priceDb, const QString& name, const QString& text);
// Writes Path of a list.
void SetPriceListPath(db::Connection& priceDb, const QString& name, const QString& path);

// What "Сохранить" stores: the list's name, path and conversion factor and
// the current sheet's eight selector texts.
struct PriceListSettingsInput {
    qint64 id = 0;
    QString shownName;  // the list the window showed under `id`
    QString name;       // the name in the field, maybe a new one
    QString path;
    QString conversionText;
    QString sheet;                                 // "" when the list has no sheet rows
    std::array<QString, kSheetFieldCount> columnTexts; // "Нет", "C", "C+E", "C (Hiper)" ...
};

struct SaveOutcome {
    RenameResult rename = RenameResult::Unchanged;
    bool saved = false;
    QString message; // for the user; empty when all went well
};

// BitBtn_SaveSheetClick: renames the list when its name changed (with the
// rename's refusals, also when `id` no longer belongs to the list shown:
// then nothing else is stored), then writes Path,
// PostavVisible = true, PriceConversion (empty = 1) and the sheet's eight
// column specs in one transaction. A conversion text that is no number
// keeps the stored factor and is reported.
SaveOutcome SavePriceListSettings(db::Connection& priceDb, db::Connection& orderDb, const PriceListSettingsInput& input);

} // namespace velmora
