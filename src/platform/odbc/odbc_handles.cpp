#include "odbc_handles.h"

#include <QStringList>

namespace velmora::odbc::detail {

QString diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, QString* firstState)
{
    QStringList lines;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        std::vector<SQLWCHAR> text(1024);
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, text.data(),
                                            SQLSMALLINT(text.size()), &length);
        if (!succeeded(rc))
            break;
        const QString sqlState = fromWide(state, 5);
        if (firstState && firstState->isEmpty())
            *firstState = sqlState;
        lines << QStringLiteral("[%1] %2").arg(sqlState, fromWide(text.data(), qMin<qsizetype>(length, text.size() - 1)));
    }
    return lines.join(u'\r');
}

void fail(SQLSMALLINT handleType, SQLHANDLE handle, const QString& what, const QString& sql)
{
    QString state;
    QString message = handle ? diagnostics(handleType, handle, &state) : QString();
    message = message.isEmpty() ? what : what + u'\r' + message;
    if (!sql.isEmpty())
        message += u'\r' + sql;
    throw OdbcError(message, state);
}

} // namespace velmora::odbc::detail
