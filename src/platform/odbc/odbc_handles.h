#pragma once

// Internal to the ODBC layer: the unixODBC headers, text conversions and
// diagnostics shared by its files.

#include "odbc_error.h"

#include <QString>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <vector>

namespace velmora::odbc::detail {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide characters are UTF-16");

inline const SQLWCHAR* wide(const QString& text) { return reinterpret_cast<const SQLWCHAR*>(text.utf16()); }

inline QString fromWide(const SQLWCHAR* text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The diagnostic records of a handle as one text, and the first SQLSTATE.
QString diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, QString* firstState = nullptr);

// Throws OdbcError with the handle's diagnostics after `what`, and the
// statement when given.
[[noreturn]] void fail(SQLSMALLINT handleType, SQLHANDLE handle, const QString& what, const QString& sql = {});

} // namespace velmora::odbc::detail
