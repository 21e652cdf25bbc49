#pragma once

#include "../common/program_databases.h"

namespace velmora::testing {

// Rows of `parametr` as "Id|Name_out|Nacen_out|Path|FileName|SheetName|Dates".
inline QStringList parametrRows(const db::Connection& priceDb)
{
    return queryRows(priceDb, QStringLiteral(
        "SELECT Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates FROM parametr ORDER BY Id"));
}

} // namespace velmora::testing
