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
    // Narrow texts reach the server as they are, read in the session's
    // client character set; UTF-8 ones are sent so only when that is
    // utf8mb4 (it is for a Unicode connection), else the driver converts
    // wide ones.
    utf8Texts_ = scalar(QStringLiteral("SELECT @@character_set_client")).toString() == QLatin1String("utf8mb4");
}

void Connection::close()
{
    if (connected_) {
        SQLDisconnect(dbc_);
        connected_ = false;
        utf8Texts_ = false;
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
    return Statement(dbc_, sql, true, utf8Texts_).rowsAffected();
}

Statement Connection::prepare(const QString& sql)
{
    requireOpen();
    return Statement(dbc_, sql, false, utf8Texts_);
}

Statement Connection::query(const QString& sql)
{
    requireOpen();
    return Statement(dbc_, sql, true, utf8Texts_);
}

QVariant Connection::scalar(const QString& sql)
{
    Statement statement = query(sql);
    return statement.step() ? statement.value(0) : QVariant();
}

} // namespace velmora::odbc
