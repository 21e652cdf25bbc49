#include "odbc_connection.h"

#include "connection_string.h"
#include "odbc_handles.h"

namespace velmora::odbc {

using namespace detail;

namespace {

// Seconds a connection attempt may take before it fails.
constexpr SQLULEN kLoginTimeout = 15;

} // namespace

Connection::Connection()
{
    SQLHENV env = SQL_NULL_HENV;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw OdbcError(QStringLiteral("Не удалось открыть диспетчер драйверов ODBC"));
    env_ = env;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, SQLPOINTER(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        env_ = nullptr;
        throw OdbcError(QStringLiteral("Не удалось открыть диспетчер драйверов ODBC"));
    }
    dbc_ = dbc;
}

Connection::Connection(const QString& connectionString) : Connection() { open(connectionString); }

Connection::~Connection()
{
    close();
    if (dbc_)
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_)
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void Connection::open(const QString& connectionString)
{
    close();
    const QString odbcString = OdbcConnectionString(connectionString);
    SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, SQLPOINTER(kLoginTimeout), 0);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(dbc_, nullptr, const_cast<SQLWCHAR*>(wide(odbcString)), SQL_NTS, out,
                                           SQLSMALLINT(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT);
    if (!succeeded(rc))
        fail(SQL_HANDLE_DBC, dbc_, QStringLiteral("Не удалось подключиться к источнику данных ODBC"));
    connected_ = true;
}

void Connection::close()
{
    if (connected_) {
        SQLDisconnect(dbc_);
        connected_ = false;
    }
}

void Connection::requireOpen() const
{
    if (!connected_)
        throw OdbcError(QStringLiteral("Нет подключения к источнику данных ODBC"));
}

qint64 Connection::exec(const QString& sql)
{
    requireOpen();
    return Statement(dbc_, sql, true).rowsAffected();
}

Statement Connection::prepare(const QString& sql)
{
    requireOpen();
    return Statement(dbc_, sql, false);
}

Statement Connection::query(const QString& sql)
{
    requireOpen();
    return Statement(dbc_, sql, true);
}

QVariant Connection::scalar(const QString& sql)
{
    Statement statement = query(sql);
    return statement.step() ? statement.value(0) : QVariant();
}

} // namespace velmora::odbc
