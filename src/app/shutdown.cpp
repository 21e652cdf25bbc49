#include "shutdown.h"

#include "storage/settings_store.h"

namespace velmora {

bool priceListSettingsDueAtClose(bool settingsChanged, bool isLoadAdmin, bool autoSaveIni)
{
    return settingsChanged && isLoadAdmin && autoSaveIni;
}

bool closeDownSettings(db::Connection& orderDb, AppGlobals& globals, const QString& programFolder)
{
    if (!globals.IsLoadAdmin && orderDb.isOpen())
        WriteSetting(orderDb, QStringLiteral("CheckBox_AutoSaveIniFile"), QStringLiteral("TypeBoolean"), QStringLiteral("0"));
    if (!priceListSettingsDueAtClose(globals.PriceListSettingsChanged, globals.IsLoadAdmin, globals.AutoSaveIni))
        return false;
    globals.PriceListIniPath = programFolder + QStringLiteral("SetupPriceList.ini");
    return true;
}

} // namespace velmora
