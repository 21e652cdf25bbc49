#include "startup_settings.h"

#include "color_text.h"
#include "platform/files/ini_file.h"
#include "storage/schema.h"
#include "storage/settings_store.h"

#include <QFileInfo>

namespace velmora {

SearchRadio chooseSearchRadio(bool tovarArt, bool tovarName, bool tovarAll)
{
    if (tovarAll)
        return SearchRadio::TovarAll;
    if (tovarName)
        return SearchRadio::TovarName;
    if (tovarArt)
        return SearchRadio::TovarArt;
    return SearchRadio::None;
}

bool clientSwitchOn(const QString& userIniPath, const QString& key, const MessageSink& messages)
{
    return ReadIniString(userIniPath, QStringLiteral("SetupUsers"), QStringLiteral("0"), key, messages)
        == QStringLiteral("1");
}

void markSaleGoods(db::Connection& priceDb, const QString& saleSupplierName)
{
    db::Savepoint savepoint(priceDb, QStringLiteral("sale_marks"));
    priceDb.exec(QStringLiteral("UPDATE price_main SET Sale = 0"));
    priceDb
        .prepare(QStringLiteral("UPDATE price_main SET Sale = 1 WHERE EXISTS (SELECT 1 FROM svod "
                                "WHERE svod.Code_sootv = price_main.Code AND svod.Postavshik = :sale COLLATE UNOCASE)"))
        .bind(QStringLiteral(":sale"), saleSupplierName)
        .execute();
    savepoint.release();
}

void reloadCachedSettings(SettingsStore& settings, AppGlobals& globals)
{
    globals.OldTovarDays = int(settings.readInteger(QStringLiteral("OldTovarDay"), QStringLiteral("90")));
    globals.OldTovarColorValue =
        colorFromText(settings.readText(QStringLiteral("OldTovarColor"), QStringLiteral("$0000FF")), QColor(255, 0, 0));
    globals.SaleSupplierName = settings.readText(QStringLiteral("Edit_Sale"), QString());
    globals.SaleTovarColorValue =
        colorFromText(settings.readText(QStringLiteral("SaleTovarColor"), QStringLiteral("$FF0000")), QColor(0, 0, 255));
    globals.RoundDigits = int(settings.readInteger(QStringLiteral("RoundingDegree"), QStringLiteral("2")));
    globals.RoundDigitsPostav = int(settings.readInteger(QStringLiteral("RoundingDegreePostav"), QStringLiteral("2")));
}

ShowSettings readShowSettings(db::Connection& orderDb, db::Connection& priceDb)
{
    ShowSettings result;
    result.findHistoryABC = SettingsStore(orderDb).readBoolean(QStringLiteral("CheckBox_FindHistoryABC"), QStringLiteral("0"));
    SettingsStore priceSettings(priceDb);
    result.valutaKurs = priceSettings.readBoolean(QStringLiteral("ValutaKurs"), QStringLiteral("-1"));
    result.valutaSite = int(priceSettings.readInteger(QStringLiteral("ComboBox_ValutaSite"), QStringLiteral("1")));
    return result;
}

StartupSettings loadStartupSettings(const StartupFolders& folders, const DatabaseStartup& databases,
                                    db::Connection& priceDb, db::Connection& orderDb, AppGlobals& globals,
                                    const MessageSink& messages)
{
    // Keep the shared path as the only line of the file it came from.
    if (!databases.sharedDatabasePath.isEmpty() && QFileInfo(databases.sharedDatabasePath).isFile()) {
        try {
            WritePathDat(databases.sharedPathFile, databases.sharedDatabasePath);
        } catch (const std::exception&) {
        }
    }

    globals.PriceListIniPath = folders.programFolder + QStringLiteral("SetupPriceList.ini");
    globals.UserIniPath = folders.programFolder + QStringLiteral("SetupUser.ini");

    globals.ClientModeOrmita = clientSwitchOn(globals.UserIniPath, QStringLiteral("Ormita-Club"), messages);
    globals.BrendPrioryOn = clientSwitchOn(globals.UserIniPath, QStringLiteral("BrendPriory"), messages);
    globals.ClientModeOrderLayouts = clientSwitchOn(globals.UserIniPath, QStringLiteral("Тальверон"), messages);
    globals.ClientModeQuorvel = clientSwitchOn(globals.UserIniPath, QStringLiteral("Quorvel"), messages);

    SettingsStore settings(orderDb);
    StartupSettings result;
    result.fileIniPath = settings.readText(QStringLiteral("FileIni_Path"), QString());

    UpgradeSchema(priceDb, orderDb, globals.BrendPrioryOn);

    reloadCachedSettings(settings, globals);
    settings.readInteger(QStringLiteral("SuperPrice"), QStringLiteral("0")); // creates the row when missing
    globals.KursRUBRate = settings.readCurrency(QStringLiteral("KursRUB"), QStringLiteral("27,0"));

    markSaleGoods(priceDb, globals.SaleSupplierName);

    result.findUp = settings.readBoolean(QStringLiteral("CheckBox_FindUp"), QStringLiteral("0"));
    const bool tovarArt = settings.readBoolean(QStringLiteral("RadioButton_TovarArt"), QStringLiteral("-1"));
    const bool tovarName = settings.readBoolean(QStringLiteral("RadioButton_TovarName"), QStringLiteral("-1"));
    const bool tovarAll = settings.readBoolean(QStringLiteral("RadioButton_TovarAll"), QStringLiteral("-1"));
    result.searchRadio = chooseSearchRadio(tovarArt, tovarName, tovarAll);
    result.autoSaveIniFile = settings.readBoolean(QStringLiteral("CheckBox_AutoSaveIniFile"), QStringLiteral("-1"));
    globals.AutoSaveIni = result.autoSaveIniFile;
    return result;
}

} // namespace velmora
