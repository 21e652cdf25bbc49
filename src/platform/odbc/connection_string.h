#pragma once

#include <QString>

namespace velmora::odbc {

// The connection string as the ODBC driver manager takes it. A string for
// ADO's ODBC provider ("Provider=MSDASQL.1;Persist Security Info=False;
// Data Source=<name>", with "User ID" and "Password" when given) becomes
// "DSN=<name>;UID=...;PWD=..."; the keys of its "Extended Properties" and
// any other keys are kept. A string without "Provider" is already an ODBC
// string and is returned as it is.
QString OdbcConnectionString(const QString& connectionString);

} // namespace velmora::odbc
