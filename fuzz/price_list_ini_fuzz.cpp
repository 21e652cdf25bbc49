// The price-list settings file imported over the settings tables: hostile
// counts and values end in the report, a refused file changes nothing.
#include "fuzz_database.h"
#include "fuzz_input.h"

#include "suppliers/setup/price_list_ini.h"

#include <QStringList>

namespace {

qint64 settingsRows(velmora::db::Connection& db)
{
    return db.scalar(QStringLiteral("SELECT (SELECT COUNT(*) FROM AllPostavSetup) * 1000000"
                                    " + (SELECT COUNT(*) FROM AllPostavPage)"))
        .toLongLong();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora;
    db::Connection& db = fuzz::priceDatabase();
    const QString path = fuzz::writeInput(data, size, QStringLiteral("SetupPriceList.ini"));
    const qint64 before = settingsRows(db);
    QStringList messages;
    const PriceListIniImport result =
        LoadPriceListSettingsFromIni(db, path, [&](const QString& text) { messages << text; });
    if (!result.imported && settingsRows(db) != before)
        fuzz::broken("a refused file changed the settings");
    if (!result.imported && messages.size() != 1)
        fuzz::broken("a refused file without its one message", QString::number(messages.size()));
    return 0;
}
