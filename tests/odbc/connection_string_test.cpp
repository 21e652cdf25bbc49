#include "platform/odbc/connection_string.h"

#include <gtest/gtest.h>

using velmora::odbc::OdbcConnectionString;

TEST(OdbcConnectionString, AdoStringsForTheOdbcProviderBecomeOdbcStrings)
{
    struct Case {
        QString given;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=VelmoraShopODBCDataAdmin"),
         QStringLiteral("DSN=VelmoraShopODBCDataAdmin")},
        {QStringLiteral("Provider=MSDASQL.1;Password=secret;Persist Security Info=True;User ID=shop;"
                        "Data Source=Магазин"),
         QStringLiteral("PWD=secret;UID=shop;DSN=Магазин")},
        // Keys in any case, blanks around them, a quoted value holding ";".
        {QStringLiteral(" provider = MSDASQL ; data source = shop ; password = \"a;b\" "),
         QStringLiteral("DSN=shop;PWD={a;b}")},
        // The provider's own form for ODBC keys.
        {QStringLiteral("Provider=MSDASQL.1;Extended Properties=\"DSN=shop;SERVER=db.local\""),
         QStringLiteral("DSN=shop;SERVER=db.local")},
        // Plain ODBC strings are the driver manager's already.
        {QStringLiteral("DSN=VelmoraShopODBCDataAdmin"), QStringLiteral("DSN=VelmoraShopODBCDataAdmin")},
        {QStringLiteral("DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=3307;DATABASE=shop"),
         QStringLiteral("DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=3307;DATABASE=shop")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OdbcConnectionString(c.given), c.expected) << c.given.toStdString();
}
