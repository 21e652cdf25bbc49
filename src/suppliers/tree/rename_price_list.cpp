#include "suppliers/tree/rename_price_list.h"

#include "platform/db/statement.h"
#include "suppliers/tree/price_lists.h"

#include <optional>

namespace velmora {

QString RenameRefusalText(RenameResult result, const QString& newName)
{
    switch (result) {
    case RenameResult::EmptyName:
        return QStringLiteral("Название прайс-листа пустое!");
    case RenameResult::NameTaken:
        return QStringLiteral("Прайс-лист с названием \"%1\" уже есть!\rУкажите другое название.").arg(newName.trimmed());
    case RenameResult::NoSuchList:
        return QStringLiteral("Прайс-лист не найден.");
    case RenameResult::NotShown:
        return QStringLiteral("Список прайс-листов изменился: настройки не сохранены.\rВыберите прайс-лист снова.");
    case RenameResult::Renamed:
    case RenameResult::Unchanged:
        break;
    }
    return {};
}

QStringList PerPriceListSettingSuffixes()
{
    QStringList suffixes{QStringLiteral("_PostavDisable"), QStringLiteral("_PriceHistoryLoad"),
                         QStringLiteral("_DataLoad")};
    // The two markup scales of the supplier settings window.
    for (const char* family : {"p1", "n1", "p2", "n2"})
        for (int k = 1; k <= 6; ++k)
            suffixes << QStringLiteral("SpinEdit_%1_%2").arg(QLatin1String(family)).arg(k);
    return suffixes;
}

namespace {

void renameIn(db::Connection& db, const QString& table, const QString& column, const QString& oldName,
              const QString& newName)
{
    db::Statement st = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %2 = ?2").arg(table, column));
    st.bind(1, newName).bind(2, oldName);
    st.execute();
}

// Runs in the caller's transaction on the order database.
void renameSettings(db::Connection& orderDb, const QString& oldName, const QString& newName)
{
    // Binary comparison: a case-only rename must not delete its own rows.
    db::Statement dropStale = orderDb.prepare(QStringLiteral("DELETE FROM settings WHERE ParName = ?1 COLLATE BINARY"));
    db::Statement move = orderDb.prepare(
        QStringLiteral("UPDATE settings SET ParName = ?1 WHERE ParName = ?2 COLLATE BINARY"));
    for (const QString& suffix : PerPriceListSettingSuffixes()) {
        const QString from = oldName + suffix;
        const QString to = newName + suffix;
        const bool hasOwn =
            orderDb.scalar(QStringLiteral("SELECT count(*) FROM settings WHERE ParName = ?1 COLLATE BINARY"), {from})
                .toLongLong() > 0;
        if (!hasOwn)
            continue;
        if (from.compare(to, Qt::CaseInsensitive) != 0) {
            // A row left under the new name by an earlier list must not be
            // inherited in place of this list's own.
            dropStale.reset();
            dropStale.bind(1, to);
            dropStale.execute();
        }
        move.reset();
        move.bind(1, to).bind(2, from);
        move.execute();
    }
}

// The list's rows of the order database: its settings and the selection
// templates that name it. Runs in the caller's transaction.
void renameOrderRows(db::Connection& orderDb, const QString& oldName, const QString& newName)
{
    renameSettings(orderDb, oldName, newName);
    if (orderDb.tableExists(QStringLiteral("SelectTempPostav")))
        renameIn(orderDb, QStringLiteral("SelectTempPostav"), QStringLiteral("Postavshik"), oldName, newName);
}

} // namespace

RenameResult RenamePriceList(db::Connection& priceDb, db::Connection& orderDb, qint64 id, const QString& newName,
                             const QString& shownName)
{
    const QString name = newName.trimmed();
    const std::optional<PriceListRow> row = FindPriceListById(priceDb, id);
    if (!row)
        return RenameResult::NoSuchList;
    const QString oldName = row->Postavshik;
    if (!shownName.isNull() && oldName != shownName)
        return RenameResult::NotShown;
    if (oldName == name)
        return RenameResult::Unchanged;
    if (name.isEmpty())
        return RenameResult::EmptyName;
    if (PriceListNameTaken(priceDb, name, id))
        return RenameResult::NameTaken;

    // The settings live in the other database: its transaction opens first
    // and commits last, so a failure in either leaves both as they were.
    const bool separateSettings = &orderDb != &priceDb && orderDb.tableExists(QStringLiteral("settings"));
    std::optional<db::Transaction> settingsTx;
    if (separateSettings) {
        settingsTx.emplace(orderDb);
        renameOrderRows(orderDb, oldName, name);
    }
    {
        db::Transaction tx(priceDb);
        db::Statement setup = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET Postavshik = ?1 WHERE Id = ?2"));
        setup.bind(1, name).bind(2, id);
        setup.execute();
        for (const char* table : {"AllPostavPage", "AllTovarPostav", "BrandNamePostav", "AllPriceHistory"}) {
            if (priceDb.tableExists(QLatin1String(table)))
                renameIn(priceDb, QLatin1String(table), QStringLiteral("Postavshik"), oldName, name);
        }
        if (priceDb.tableExists(QStringLiteral("postav_info"))) {
            const bool hasCard = priceDb.scalar(QStringLiteral("SELECT count(*) FROM postav_info WHERE Postavshik = ?1"),
                                                {oldName}).toLongLong() > 0;
            if (hasCard && oldName.compare(name, Qt::CaseInsensitive) != 0) {
                db::Statement stale = priceDb.prepare(QStringLiteral("DELETE FROM postav_info WHERE Postavshik = ?1"));
                stale.bind(1, name);
                stale.execute();
            }
            renameIn(priceDb, QStringLiteral("postav_info"), QStringLiteral("Postavshik"), oldName, name);
        }
        if (!separateSettings && priceDb.tableExists(QStringLiteral("settings")))
            renameOrderRows(priceDb, oldName, name);
        tx.commit();
    }
    if (settingsTx)
        settingsTx->commit();
    return RenameResult::Renamed;
}

} // namespace velmora
