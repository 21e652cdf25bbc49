#include "fuzz_database.h"

#include "fuzz_input.h"

#include "storage/schema.h"

namespace velmora::fuzz {

db::Connection& priceDatabase()
{
    static db::Connection connection = [] {
        const QString path = inputFolder() + QStringLiteral("/PRICE.vdb");
        createPriceDatabase(path);
        db::Connection made(path);
        made.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        return made;
    }();
    return connection;
}

} // namespace velmora::fuzz
