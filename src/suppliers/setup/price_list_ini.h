#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QString>
#include <QStringList>

namespace velmora {

// The price-list settings file (SetupPriceList.ini, Windows-1251): every
// list of AllPostavSetup with its sheets of AllPostavPage, as sections
// [PriceList<n>] and [PriceList<n>Sheet<k>] under [CountPriceList].

// What the file holds besides the two tables.
struct PriceListIniExtras {
    QStringList loadQueue; // the lists in the load queue: SetPriceLoad=1
    QString saveAllPath;   // Edit_SaveAllPath
    // The rate fields Edit_Dollar, Edit_Evro, Edit_Grivna, Edit_BYR: written
    // for the reader's eyes, never read back.
    QString rateDollar, rateEvro, rateGrivna, rateBYR;
};

// Writes every price list to the file: lists numbered 1, 2 ... in Id order
// (so gaps in Id lose nothing), each one's sheets 1, 2 ... in SheetName
// order, PriceConversion with a decimal comma. Other sections of the file
// ([Zakaz] with its ZakazNumber) stay as they were; the old lists'
// sections go. The file is built in memory and written once through a
// temporary file and a rename. False on failure, after one message.
bool SavePriceListSettingsToIni(db::Connection& priceDb, const QString& iniPath, const PriceListIniExtras& extras,
                                const MessageSink& messages);

struct PriceListIniImport {
    bool imported = false;  // the tables were replaced
    QStringList loadQueue;  // the lists marked SetPriceLoad=1, in file order
    QString saveAllPath;    // [CountPriceList] SaveAllPath
    // What was missing (names, paths, sheet counts) followed by the advice
    // to correct it; empty when nothing was.
    QString report;
};

// Replaces every price list and sheet with those of the file. The whole
// file is read first; then both tables are replaced in one transaction, so
// a failure leaves the old settings. Sections 1 to Count are read; one
// without a name is left out (and reported), and the lists read get Id 1,
// 2 ... in file order. A list's Dates is the day of its supplier's first
// offer (today without offers); PriceConversion takes "," or "."; a sheet
// section that is not there at all adds no sheet. On failure (an unreadable
// file, a Count that is no number, an engine error) nothing changes and one
// message goes out.
PriceListIniImport LoadPriceListSettingsFromIni(db::Connection& priceDb, const QString& iniPath,
                                                const MessageSink& messages);

} // namespace velmora
