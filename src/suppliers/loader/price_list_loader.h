#pragma once

#include "platform/db/connection.h"
#include "suppliers/currency/currency_table.h"
#include "suppliers/loader/load_progress.h"

#include <QDateTime>
#include <QString>

namespace velmora::loader {

// The switches of SetupUser.ini [SetupUsers] and the client mode that
// change how a price list is read.
struct LoaderSwitches {
    QString degreePricePostav = QStringLiteral("2"); // places, or "X": no rounding
    bool loadPriceNull = false;                      // a price without digits loads as 0
    bool ormita = false;                             // ClientModeOrmita

    // DegreePricePostav (default "2") and LoadPriceNull (default "0").
    static LoaderSwitches fromIni(const QString& userIniPath, bool ormita);
};

struct LoadRequest {
    QString name;               // the price list (AllPostavSetup.Postavshik)
    LoaderSwitches switches;
    CurrencyTable rates;        // a copy taken when the load was asked for
    LoadProgress* progress = nullptr;
    QDateTime startTime = QDateTime::currentDateTime(); // the load's time stamp
};

struct LoadResult {
    bool loaded = false;     // the goods were replaced
    int offerCount = 0;      // offers stored
    int skippedRows = 0;     // rows of the chosen sheets that are no offer
    QString filePath;        // the file that was read ("" before it was found)
    QString errorText;       // why nothing was loaded; "" when loaded
};

// Replaces the goods of one price list with the offers of its newest file.
//
// The file (the newest one in the folder of the list's Path that matches
// its name) is read and parsed with the list's sheet settings on a second
// thread, chunk by chunk, while this thread writes the offers and their
// currency rows; the old offers and currency rows are replaced in one
// transaction on `priceDb`, together with the load date and, when switched
// on, the price-history copy, which commits only after the whole file has
// been read. A disabled list, a missing or unreadable file (also one that
// breaks off half-way), a workbook without a configured sheet or a file
// without offers leaves everything as it was and returns the reason in
// errorText, as does a stop asked for through the progress. The file's time
// stamp goes to the setting "<name>_DataLoad" of `settingsDb` (the order
// database) after a load. With the setting CheckBox_Art_All on, each
// offer's Description is its article normalised by the article switches
// there (brands/article_normaliser.h).
//
// The new offers are not put in the search index inside that transaction:
// the caller runs catchUpSupplierGoodsIndex after the load (the search
// finds them in the meantime, testing them on the rows).
//
// Database failures throw db::DbError; the transaction is then rolled back.
LoadResult LoadPriceList(db::Connection& priceDb, db::Connection& settingsDb, const LoadRequest& request);

// The texts a load reports.
QString DisabledText(const QString& name);      // Поставщик "<name>" Отключен!
QString MissingFileText(const QString& name);   // прайс-лист <name> отсутствует

} // namespace velmora::loader
