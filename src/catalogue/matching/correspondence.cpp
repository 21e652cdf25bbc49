#include "correspondence.h"

#include <functional>

namespace velmora::catalogue {
namespace {

// The ticked items and the suppliers they belong to.
const char* const kTicked = "Check_sootv = 'true'";

// Copies combined-price rows back into the remainder; `where` picks the
// svod rows, its parameters bound by `bind`.
void returnToRemainder(db::Connection& priceDb, const QString& where, const std::function<void(db::Statement&)>& bind)
{
    db::Statement copy = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, "
        "Sklad) SELECT Art, Tovar, Price, Pricemax, Postavshik, 'false', 'true', Dates, Garant, Sklad FROM svod ")
                                         + where);
    bind(copy);
    copy.execute();
}

void runWith(db::Connection& priceDb, const QString& sql, const std::function<void(db::Statement&)>& bind)
{
    db::Statement statement = priceDb.prepare(sql);
    bind(statement);
    statement.execute();
}

} // namespace

QString tickRefusedMessage()
{
    return QStringLiteral("Товар, соответсвующий указанному, у данного поставщика уже выбран !");
}

QString noCurrentGoodMessage() { return QStringLiteral("Не выбран собственный товар!"); }

bool tickRemainderItem(db::Connection& priceDb, qint64 number, bool ticked)
{
    db::Transaction transaction(priceDb);
    if (ticked) {
        db::Statement other = priceDb.prepare(QStringLiteral(
            "SELECT 1 FROM price_all AS other, price_all AS item WHERE item.Number = ?1 "
            "AND other.Postavshik = item.Postavshik AND other.Tovar <> item.Tovar AND other.Check_sootv = 'true' "
            "LIMIT 1"));
        other.bindInt(1, number);
        if (other.step())
            return false;
    }
    db::Statement store = priceDb.prepare(QStringLiteral("UPDATE price_all SET Check_sootv = ?2 WHERE Number = ?1"));
    store.bindInt(1, number).bindText(2, ticked ? QStringLiteral("true") : QStringLiteral("false"));
    store.execute();
    transaction.commit();
    return true;
}

int moveTickedItemsToGood(db::Connection& priceDb, qint64 goodCode)
{
    const auto bindGood = [goodCode](db::Statement& s) { s.bindInt(1, goodCode); };
    const QString ticked = QLatin1String(kTicked);
    db::Transaction transaction(priceDb);
    // The replaced correspondences take their combined-price rows with them,
    // or a stale offer would go on competing for the good's price.
    runWith(priceDb,
            QStringLiteral("DELETE FROM sootv WHERE Code = ?1 AND Postavshik IN "
                           "(SELECT Postavshik FROM price_all WHERE %1)").arg(ticked),
            bindGood);
    runWith(priceDb,
            QStringLiteral("DELETE FROM svod WHERE Code_sootv = ?1 AND Postavshik IN "
                           "(SELECT Postavshik FROM price_all WHERE %1)").arg(ticked),
            bindGood);
    runWith(priceDb,
            QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) "
                           "SELECT ?1, Art, Tovar, Postavshik FROM price_all WHERE %1 ORDER BY Number").arg(ticked),
            bindGood);
    runWith(priceDb,
            QStringLiteral("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, "
                           "Garant, Sklad) SELECT Art, Tovar, Price, Pricemax, Postavshik, ?1, 'false', Dates, "
                           "Garant, Sklad FROM price_all WHERE %1 ORDER BY Number").arg(ticked),
            bindGood);
    priceDb.exec(QStringLiteral("DELETE FROM price_all WHERE %1").arg(ticked));
    const int moved = priceDb.changes();
    transaction.commit();
    return moved;
}

QList<Correspondence> readCorrespondences(db::Connection& priceDb, qint64 goodCode)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Code, Art, Tovar, Postavshik, Art_obrab FROM sootv WHERE Code = ?1 ORDER BY rowid"));
    select.bindInt(1, goodCode);
    QList<Correspondence> rows;
    while (select.step())
        rows.append({select.integer(0), select.text(1), select.text(2), select.text(3), select.text(4)});
    return rows;
}

void deleteGoodCorrespondences(db::Connection& priceDb, qint64 goodCode)
{
    const auto bindGood = [goodCode](db::Statement& s) { s.bindInt(1, goodCode); };
    db::Transaction transaction(priceDb);
    returnToRemainder(priceDb, QStringLiteral("WHERE Code_sootv = ?1 ORDER BY rowid"), bindGood);
    runWith(priceDb, QStringLiteral("DELETE FROM sootv WHERE Code = ?1"), bindGood);
    runWith(priceDb, QStringLiteral("DELETE FROM svod WHERE Code_sootv = ?1"), bindGood);
    transaction.commit();
}

void deleteGoodCorrespondence(db::Connection& priceDb, qint64 goodCode, const QString& tovar,
                              const QString& postavshik)
{
    const auto bind = [&](db::Statement& s) { s.bindInt(1, goodCode).bindText(2, tovar).bindText(3, postavshik); };
    db::Transaction transaction(priceDb);
    returnToRemainder(priceDb, QStringLiteral("WHERE Code_sootv = ?1 AND Tovar = ?2 AND Postavshik = ?3 ORDER BY rowid"),
                      bind);
    runWith(priceDb, QStringLiteral("DELETE FROM sootv WHERE Code = ?1 AND Tovar = ?2 AND Postavshik = ?3"), bind);
    runWith(priceDb, QStringLiteral("DELETE FROM svod WHERE Code_sootv = ?1 AND Tovar = ?2 AND Postavshik = ?3"),
            bind);
    transaction.commit();
}

void clearCorrespondenceTable(db::Connection& priceDb)
{
    db::Transaction transaction(priceDb);
    returnToRemainder(priceDb, QStringLiteral("ORDER BY rowid"), [](db::Statement&) {});
    priceDb.exec(QStringLiteral("DELETE FROM sootv; DELETE FROM svod"));
    transaction.commit();
}

} // namespace velmora::catalogue
