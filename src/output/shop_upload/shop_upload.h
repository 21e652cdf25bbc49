#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QString>

namespace velmora::output {

// The messages of the upload.
QString shopUploadNoConnectionMessage();
QString shopUploadDoneMessage();
QString shopUploadFailedMessage(const QString& reason);

// The server's four tables in the order they are copied, with their rows.
struct ShopUploadResult {
    bool done = false;
    QString message;
    qint64 priceMainRows = 0;
    qint64 parametrRows = 0;
    qint64 svodRows = 0;
    qint64 tovarTreeRows = 0;
};

// MySQL_UpdaitClick: the web shop's tables in its MySQL database, through
// the ODBC connection string of parametr row 6 (trimmed; an ADO string for
// the ODBC provider is taken as its data source, user and password).
//
// The output price table goes to price_main, the export parameters to
// parametr, the combined price to svod (without Sklad), the group tree to
// tovar_tree (without Nacen and Garant). Each is first loaded into a fresh
// "<table>_tmp" (MyISAM, explicit columns, rows sent in arrays of about a
// thousand, texts as Unicode, strict mode, so a value the server cannot
// store fails the upload rather than being cut); one RENAME TABLE then puts
// all four in place at once, the old ones under "_old", which are dropped
// after. The shop sees either the old tables or the new ones.
//
// Values longer than their server columns are looked for before anything
// is sent: the message names each (a good by its Code and name) and its
// column, and the server is not even connected. Any other failure leaves
// the live tables as they were, drops what the upload made, closes the
// connection and the wait window, and comes back as the message.
ShopUploadResult UploadShopTables(db::Connection& priceDb, Progress* progress = nullptr);

} // namespace velmora::output
