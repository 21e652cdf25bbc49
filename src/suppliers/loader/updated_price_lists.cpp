#include "suppliers/loader/updated_price_lists.h"

#include "platform/files/file_helpers.h"
#include "storage/settings_store.h"
#include "suppliers/loader/file_stamp.h"

#include <QFileInfo>

namespace velmora::loader {

QStringList FindUpdatedPriceLists(db::Connection& priceDb, db::Connection& settingsDb)
{
    struct Entry {
        QString name;
        QString path;
    };
    std::vector<Entry> lists;
    {
        db::Statement select = priceDb.prepare(QStringLiteral("SELECT Postavshik, Path FROM AllPostavSetup ORDER BY Id"));
        while (select.step()) {
            QString path = select.text(1);
            path.replace(u'\\', u'/');
            lists.push_back({select.text(0), path});
        }
    }
    SettingsStore settings(settingsDb);
    QStringList updated;
    for (const Entry& list : lists) {
        if (list.path.trimmed().isEmpty() || list.path == u"-")
            continue;
        const QFileInfo pathInfo(list.path);
        const QString file = NewestFileInFolder(pathInfo.path(), pathInfo.fileName());
        if (!QFileInfo(file).isFile())
            continue;
        const qint64 stored = settings.readInteger(list.name + QStringLiteral("_DataLoad"), QStringLiteral("0"));
        if (FileDosStamp(file) != stored)
            updated << list.name;
    }
    return updated;
}

} // namespace velmora::loader
