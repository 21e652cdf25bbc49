#pragma once

#include <QColor>
#include <QString>

namespace velmora {

// The values start-up settles and the whole program reads for the rest of
// the run. One instance, owned by the program body and handed to the main
// window; the names are the ones the rest of the program uses.
struct AppGlobals {
    // Role and client switches.
    bool IsLoadAdmin = false;
    bool ClientModeOrmita = false;
    bool BrendPrioryOn = false;
    bool ClientModeOrderLayouts = false;
    bool ClientModeQuorvel = false;

    // Files beside the program (full paths).
    QString PriceListIniPath;
    QString UserIniPath;
    QString PathDatFile;

    // Cached settings.
    int OldTovarDays = 90;
    QColor OldTovarColorValue = QColor(255, 0, 0);
    QString SaleSupplierName;
    QColor SaleTovarColorValue = QColor(0, 0, 255);
    double KursRUBRate = 27.0;
    int RoundDigits = 2;
    int RoundDigitsPostav = 2;
    bool AutoSaveIni = true;

    // Run-time state.
    bool PriceListSettingsChanged = false;
    bool RatesRefreshRunning = false;
    bool PanelsVisible = true;
    QString LastFindText;
};

} // namespace velmora
