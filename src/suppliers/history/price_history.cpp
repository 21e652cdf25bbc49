#include "suppliers/history/price_history.h"

#include "platform/db/day_numbers.h"

namespace velmora::history {

QVector<StoredLoad> ReadStoredLoads(db::Connection& priceDb, const QString& supplier)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Dates, count(ID) AS CountTovar FROM AllPriceHistory WHERE Postavshik = ?1 GROUP BY Dates"
        " ORDER BY Dates DESC"));
    select.bindText(1, supplier);
    QVector<StoredLoad> loads;
    while (select.step())
        loads.append(StoredLoad{select.number(0), int(select.integer(1))});
    return loads;
}

QString LoadStampText(double dates)
{
    const QDateTime stamp = db::dateTimeFromDayNumber(dates);
    if (stamp.time() == QTime(0, 0))
        return stamp.toString(QStringLiteral("dd.MM.yyyy"));
    return stamp.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

QString DeleteLoadQuestion(double dates)
{
    return QStringLiteral("Удалить прайс \"") + LoadStampText(dates) + QStringLiteral("\" из базы?");
}

QString ClearHistoryQuestion(const QString& supplier)
{
    return QStringLiteral("Очистить историю загруженный прайс-листов\rпо поставщику \"") + supplier +
           QStringLiteral("\" ?");
}

void DeleteStoredLoad(db::Connection& priceDb, const QString& supplier, double dates)
{
    db::Transaction transaction(priceDb);
    db::Statement remove =
        priceDb.prepare(QStringLiteral("DELETE FROM AllPriceHistory WHERE Postavshik = ?1 AND Dates = ?2"));
    remove.bindText(1, supplier);
    remove.bindDouble(2, dates);
    remove.execute();
    transaction.commit();
}

void DeleteWholeHistory(db::Connection& priceDb, const QString& supplier)
{
    db::Transaction transaction(priceDb);
    db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM AllPriceHistory WHERE Postavshik = ?1"));
    remove.bindText(1, supplier);
    remove.execute();
    transaction.commit();
}

bool HasStoredOffers(db::Connection& priceDb, const QString& supplier)
{
    return priceDb.scalar(QStringLiteral("SELECT 1 FROM AllPriceHistory WHERE Postavshik = ?1 LIMIT 1"), {supplier})
        .isValid();
}

HistoryResult HistoryResult::search(const QString& supplier, const QString& text, bool byName)
{
    HistoryResult result;
    result.supplier_ = supplier;
    const QString trimmed = text.trimmed();
    result.pattern_ = u'%' + (trimmed.isEmpty() ? QStringLiteral("%") : trimmed) + u'%';
    result.byName_ = byName;
    return result;
}

HistoryResult HistoryResult::oneLoad(const QString& supplier, double dates, bool byName)
{
    HistoryResult result;
    result.supplier_ = supplier;
    result.dates_ = dates;
    result.byName_ = byName;
    return result;
}

QVector<HistoryRow> HistoryResult::fetch(db::Connection& priceDb, const std::optional<HistoryRow>& after,
                                         int limit) const
{
    QString sql = QStringLiteral("SELECT ID, Art, Tovar, PriceOut, Dates FROM AllPriceHistory WHERE Postavshik = ?1");
    sql += pattern_ ? QStringLiteral(" AND (Tovar LIKE ?2 OR Art LIKE ?2)") : QStringLiteral(" AND Dates = ?2");
    if (after)
        sql += byName_ ? QStringLiteral(" AND (Tovar > ?3 OR (Tovar = ?3 AND ID > ?4))") : QStringLiteral(" AND ID > ?4");
    sql += byName_ ? QStringLiteral(" ORDER BY Tovar, ID") : QStringLiteral(" ORDER BY ID");
    sql += QStringLiteral(" LIMIT ?5");
    db::Statement select = priceDb.prepare(sql);
    select.bindText(1, supplier_);
    if (pattern_)
        select.bindText(2, *pattern_);
    else
        select.bindDouble(2, dates_);
    if (after) {
        if (byName_)
            select.bindText(3, after->tovar);
        select.bindInt(4, after->id);
    }
    select.bindInt(5, limit);
    QVector<HistoryRow> rows;
    while (select.step())
        rows.append(HistoryRow{select.integer(0), select.text(1), select.text(2), select.number(3), select.number(4)});
    return rows;
}

} // namespace velmora::history
