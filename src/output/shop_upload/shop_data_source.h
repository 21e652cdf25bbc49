#pragma once

#include <QString>

namespace velmora::output {

// The ODBC data source of the web shop's MySQL database, which the
// connection wizard registers for the current user.
inline constexpr char kShopDataSourceName[] = "VelmoraShopODBCDataAdmin";
// The connection string the wizard gives the export parameters (row 6):
// the ODBC provider's form, which the upload reads as "DSN=...".
QString shopConnectionString();

// Registers the data source for `server` and `database` with the driver
// file `driverPath` (port 3306) in the user's odbc.ini (ODBCINI honoured):
// its entry under "ODBC Data Sources" and its own section of nine values.
// Throws odbc::OdbcError when it cannot be written.
void RegisterShopDataSource(const QString& server, const QString& database, const QString& driverPath,
                            const QString& port = QStringLiteral("3306"));

} // namespace velmora::output
