#pragma once

#include "app_globals.h"
#include "platform/db/connection.h"

#include <QString>

namespace velmora {

// The price-list settings file is written at close only by the
// administrator, only after an edit, and only with auto-save on.
bool priceListSettingsDueAtClose(bool settingsChanged, bool isLoadAdmin, bool autoSaveIni);

// The settings side of closing the main window: a non-administrator's
// auto-save switch is stored as off; when the price-list settings file is
// due, PriceListIniPath is pointed back at the program folder's file and
// true is returned (the caller then writes it).
bool closeDownSettings(db::Connection& orderDb, AppGlobals& globals, const QString& programFolder);

} // namespace velmora
