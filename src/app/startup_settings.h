#pragma once

#include "app_globals.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "startup_databases.h"

#include <QString>

namespace velmora {

class SettingsStore;

// Which of the three search radio buttons ends checked.
enum class SearchRadio { None, TovarArt, TovarName, TovarAll };

// The three settings are applied in the order Art, Name, All, each checking
// its button when true, so of several true settings the last one wins.
SearchRadio chooseSearchRadio(bool tovarArt, bool tovarName, bool tovarAll);

// A client switch of SetupUser.ini is on only for the exact text "1".
bool clientSwitchOn(const QString& userIniPath, const QString& key, const MessageSink& messages = {});

// What the window shows from the settings start-up reads.
struct StartupSettings {
    QString fileIniPath;           // setting FileIni_Path
    bool findUp = false;           // CheckBox_FindUp
    SearchRadio searchRadio = SearchRadio::None;
    bool autoSaveIniFile = true;   // CheckBox_AutoSaveIniFile
};

// The part of start-up that needs both databases: the shared path is kept
// in its Path.dat, the INI paths and client switches are set, the schema is
// upgraded, the cached settings are loaded, sale goods are marked and the
// search options read. Throws on any failure (the program then ends).
StartupSettings loadStartupSettings(const StartupFolders& folders, const DatabaseStartup& databases,
                                    db::Connection& priceDb, db::Connection& orderDb, AppGlobals& globals,
                                    const MessageSink& messages);

// The settings the main window's first showing reads.
struct ShowSettings {
    bool findHistoryABC = false; // CheckBox_FindHistoryABC (order database)
    bool valutaKurs = true;      // ValutaKurs (price database)
    int valutaSite = 1;          // ComboBox_ValutaSite item index (price database)
};
ShowSettings readShowSettings(db::Connection& orderDb, db::Connection& priceDb);

// Marks as sale goods the own goods that the sale supplier offers, all or
// nothing (a savepoint, so inside a caller's transaction too).
void markSaleGoods(db::Connection& priceDb, const QString& saleSupplierName);

// The cached settings the settings dialog changes: OldTovarDays, the two
// colours, SaleSupplierName, RoundDigits and RoundDigitsPostav.
void reloadCachedSettings(SettingsStore& orderSettings, AppGlobals& globals);

} // namespace velmora
