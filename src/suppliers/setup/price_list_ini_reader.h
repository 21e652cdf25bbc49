#pragma once

#include "suppliers/setup/price_list_ini_rows.h"

#include "platform/files/ini_document.h"

#include <QString>

#include <vector>

namespace velmora {

// Reads the lists 1 to `count` of a price-list settings file, bounded by
// what the file holds: every loop runs over the sections present, never up
// to a count the file states, so a hostile Count or SheetCount costs
// nothing. `report` collects, in this order: a Count beyond the lists the
// file holds (the highest list held taken instead), the lists without a
// name or section, then the lists' missing paths and sheet counts and every
// value out of its bounds (taken as its default; a sheet count out of
// bounds as the number of sheet sections held, all of which are read).
std::vector<PriceListIniList> ReadPriceListIniLists(const IniDocument& file, qint64 count, QString& report);

// A price list's workbook holds no more sheets than this: an xls workbook
// numbers its sheets in 16 bits.
inline constexpr qint64 kMaxWorkbookSheets = 65535;

} // namespace velmora
