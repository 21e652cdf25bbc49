#include "shop_data_source.h"

#include "platform/odbc/data_source.h"

namespace velmora::output {

QString shopConnectionString()
{
    return QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=") +
           QLatin1String(kShopDataSourceName);
}

void RegisterShopDataSource(const QString& server, const QString& database, const QString& driverPath,
                            const QString& port)
{
    odbc::MySqlDataSource source;
    source.name = QLatin1String(kShopDataSourceName);
    source.server = server;
    source.database = database;
    source.driverPath = driverPath;
    source.port = port;
    odbc::RegisterMySqlDataSource(source);
}

} // namespace velmora::output
