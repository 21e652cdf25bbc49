#pragma once

#include <QString>

namespace velmora::odbc {

// The driver manager's list of drivers (odbcinst.ini; ODBCSYSINI and
// ODBCINSTINI move it).
QString DriverListFile();
// The user's data sources (ODBCINI, else ~/.odbc.ini).
QString UserDataSourceFile();

// The full path of MariaDB's ODBC driver as the driver list names it (the
// Unicode driver when both are listed); a relative name is looked up beside
// the driver manager's libraries. Throws OdbcError naming the driver list
// when no listed driver is MariaDB's or its file is not there.
QString MariaDbDriverPath();

// A MySQL data source of the current user.
struct MySqlDataSource {
    QString name;
    QString server;
    QString database;
    QString driverPath; // MariaDbDriverPath(), or a file the user picked
    QString port = QStringLiteral("3306");
};

// Registers the data source in the user's file through the driver manager's
// installer: its entry under "ODBC Data Sources" and the values Database,
// Description, Driver, Option, Password, Port, Server, Stmt and User of its
// own section. A missing file or section is made, other sections are kept.
// Throws OdbcError with the installer's message when any value cannot be
// written.
void RegisterMySqlDataSource(const MySqlDataSource& source);

} // namespace velmora::odbc
