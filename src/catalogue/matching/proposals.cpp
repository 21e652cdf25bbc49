#include "proposals.h"

#include "remainder_move.h"

#include <QHash>

namespace velmora::catalogue {
namespace {

const char* const kTickedOfGood = "SELECT Number_ost FROM Sootv_All WHERE Code = ?1 AND Check_sootv = 'true'";

void execWithGood(db::Connection& priceDb, const QString& sql, qint64 goodCode)
{
    db::Statement statement = priceDb.prepare(sql);
    statement.bindInt(1, goodCode);
    statement.execute();
}

bool goodHasRowsOf(db::Connection& priceDb, const char* sql, qint64 goodCode, const QString& postavshik)
{
    db::Statement select = priceDb.prepare(QString::fromUtf8(sql));
    select.bindInt(1, goodCode).bindText(2, postavshik);
    return select.step();
}

} // namespace

QList<ProposedGood> readProposedGoods(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT DISTINCT m.Code, m.Art, m.Tovar, m.PriceBase, i.Comment "
        "FROM (SELECT DISTINCT Code FROM Sootv_All) AS s JOIN price_main AS m ON m.Code = s.Code "
        "LEFT JOIN Price_Tovar_Info AS i ON i.Code = m.Code ORDER BY m.Tovar, m.Code"));
    QList<ProposedGood> goods;
    while (select.step())
        goods.append({select.integer(0), select.text(1), select.text(2), select.number(3), select.text(4)});
    return goods;
}

qint64 countProposals(db::Connection& priceDb)
{
    return priceDb.scalar(QStringLiteral("SELECT count(*) FROM Sootv_All")).toLongLong();
}

void prepareReview(db::Connection& priceDb)
{
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("UPDATE Sootv_All SET Check_sootv = 'false' WHERE Check_sootv IS NOT 'false'"));
    priceDb.exec(QStringLiteral("DELETE FROM Sootv_All WHERE NOT EXISTS "
                                "(SELECT 1 FROM price_all WHERE price_all.Number = Sootv_All.Number_ost)"));
    transaction.commit();
}

QList<Proposal> readProposals(db::Connection& priceDb, qint64 goodCode)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT rowid, Code, Art, Tovar, Postavshik, Check_sootv, Price, Pricemax, Tovar_main, Number_ost, Dates, "
        "Garant, Sklad FROM Sootv_All WHERE Code = ?1 ORDER BY Postavshik, rowid"));
    select.bindInt(1, goodCode);
    QList<Proposal> proposals;
    while (select.step()) {
        Proposal p;
        p.rowid = select.integer(0);
        p.code = select.integer(1);
        p.art = select.text(2);
        p.tovar = select.text(3);
        p.postavshik = select.text(4);
        p.ticked = select.text(5).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        p.price = select.number(6);
        p.pricemax = select.number(7);
        p.tovarMain = select.text(8);
        p.numberOst = select.integer(9);
        p.dates = select.integer(10);
        p.garant = select.text(11);
        p.sklad = select.text(12);
        proposals << p;
    }
    return proposals;
}

QString finishPreviousGoodMessage() { return QStringLiteral("Завершите обработку предыдущего товара !"); }

ProposalTick tickProposal(db::Connection& priceDb, qint64 rowid, bool ticked)
{
    db::Transaction transaction(priceDb);
    if (ticked) {
        db::Statement sameSupplier = priceDb.prepare(QStringLiteral(
            "SELECT 1 FROM Sootv_All AS other, Sootv_All AS p WHERE p.rowid = ?1 AND other.Code = p.Code "
            "AND other.Postavshik = p.Postavshik AND other.Tovar <> p.Tovar AND other.Check_sootv = 'true' LIMIT 1"));
        sameSupplier.bindInt(1, rowid);
        if (sameSupplier.step())
            return ProposalTick::SupplierTaken;
        db::Statement otherGood = priceDb.prepare(QStringLiteral(
            "SELECT 1 FROM Sootv_All WHERE Check_sootv = 'true' "
            "AND Code IS NOT (SELECT Code FROM Sootv_All WHERE rowid = ?1) LIMIT 1"));
        otherGood.bindInt(1, rowid);
        if (otherGood.step())
            return ProposalTick::OtherGoodPending;
    }
    const QString flag = ticked ? QStringLiteral("true") : QStringLiteral("false");
    db::Statement item = priceDb.prepare(QStringLiteral(
        "UPDATE price_all SET Check_obrab = ?2 WHERE Number = (SELECT Number_ost FROM Sootv_All WHERE rowid = ?1)"));
    item.bindInt(1, rowid).bindText(2, flag);
    item.execute();
    db::Statement proposal = priceDb.prepare(QStringLiteral("UPDATE Sootv_All SET Check_sootv = ?2 WHERE rowid = ?1"));
    proposal.bindInt(1, rowid).bindText(2, flag);
    proposal.execute();
    transaction.commit();
    return ProposalTick::Stored;
}

AcceptResult acceptProposals(db::Connection& priceDb, qint64 goodCode, const Question& ask, const MessageSink& tell)
{
    AcceptResult result;
    struct Ticked {
        qint64 rowid = 0;
        QString postavshik;
        qint64 numberOst = 0;
        bool itemThere = false;
    };
    QList<Ticked> ticked;
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT s.rowid, s.Postavshik, s.Number_ost, EXISTS (SELECT 1 FROM price_all AS p WHERE p.Number = s.Number_ost) "
        "FROM Sootv_All AS s WHERE s.Code = ?1 AND s.Check_sootv = 'true' ORDER BY s.Postavshik, s.rowid"));
    select.bindInt(1, goodCode);
    while (select.step())
        ticked.append({select.integer(0), select.text(1), select.integer(2), select.integer(3) != 0});

    // The questions first, each supplier's rows as they will stand.
    struct SupplierState {
        bool inSootv = false;
        bool inSvod = false;
    };
    QHash<QString, SupplierState> suppliers;
    QList<qint64> gone;
    QList<const Ticked*> declined;
    QList<QString> replaceSvodOf;
    for (const Ticked& t : ticked) {
        if (!t.itemThere) {
            gone << t.rowid;
            continue;
        }
        const QString key = t.postavshik.toCaseFolded();
        if (!suppliers.contains(key))
            suppliers.insert(key, {goodHasRowsOf(priceDb, "SELECT 1 FROM sootv WHERE Code = ?1 AND Postavshik = ?2",
                                                 goodCode, t.postavshik),
                                   goodHasRowsOf(priceDb,
                                                 "SELECT 1 FROM svod WHERE Code_sootv = ?1 AND Postavshik = ?2",
                                                 goodCode, t.postavshik)});
        SupplierState& state = suppliers[key];
        if (state.inSootv || state.inSvod) {
            if (ask && ask(replaceItemQuestion(t.postavshik, state.inSootv, state.inSvod))) {
                if (state.inSvod)
                    replaceSvodOf << t.postavshik;
                state.inSvod = false;
            } else {
                declined << &t;
                if (tell)
                    tell(moveDeclinedMessage());
                continue;
            }
        }
        ++result.accepted;
    }
    result.declined = int(declined.size());

    db::Transaction transaction(priceDb);
    db::Statement untick = priceDb.prepare(QStringLiteral("UPDATE Sootv_All SET Check_sootv = 'false' WHERE rowid = ?1"));
    db::Statement unmark = priceDb.prepare(QStringLiteral("UPDATE price_all SET Check_obrab = 'false' WHERE Number = ?1"));
    for (const Ticked* t : declined) {
        untick.bindInt(1, t->rowid);
        untick.execute();
        untick.reset();
        unmark.bindInt(1, t->numberOst);
        unmark.execute();
        unmark.reset();
    }
    db::Statement drop = priceDb.prepare(QStringLiteral("DELETE FROM Sootv_All WHERE rowid = ?1"));
    for (const qint64 rowid : gone) {
        drop.bindInt(1, rowid);
        drop.execute();
        drop.reset();
    }
    db::Statement deleteSvod = priceDb.prepare(QStringLiteral("DELETE FROM svod WHERE Code_sootv = ?1 AND Postavshik = ?2"));
    for (const QString& postavshik : replaceSvodOf) {
        deleteSvod.bindInt(1, goodCode).bindText(2, postavshik);
        deleteSvod.execute();
        deleteSvod.reset();
    }
    const QString tickedItems = QLatin1String(kTickedOfGood);
    execWithGood(priceDb,
                 QStringLiteral("DELETE FROM sootv WHERE Code = ?1 AND Postavshik IN "
                                "(SELECT Postavshik FROM Sootv_All WHERE Check_sootv = 'true' AND Code = ?1)"),
                 goodCode);
    execWithGood(priceDb,
                 QStringLiteral("INSERT INTO sootv (Code, Art, Tovar, Postavshik) SELECT ?1, Art, Tovar, Postavshik "
                                "FROM Sootv_All WHERE Code = ?1 AND Check_sootv = 'true' ORDER BY Postavshik, rowid"),
                 goodCode);
    execWithGood(priceDb,
                 QStringLiteral("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Dates, Garant, "
                                "Sklad) SELECT Art, Tovar, Price, Pricemax, Postavshik, ?1, Dates, Garant, Sklad "
                                "FROM Sootv_All WHERE Code = ?1 AND Check_sootv = 'true' ORDER BY Postavshik, rowid"),
                 goodCode);
    // The goods that may lose their last proposal with these items.
    QList<qint64> others;
    db::Statement sharing = priceDb.prepare(
        QStringLiteral("SELECT DISTINCT Code FROM Sootv_All WHERE Code <> ?1 AND Number_ost IN (%1)").arg(tickedItems));
    sharing.bindInt(1, goodCode);
    while (sharing.step())
        others << sharing.integer(0);
    // Only the accepted proposals' items leave the remainder: a mark set
    // elsewhere deletes nothing.
    execWithGood(priceDb, QStringLiteral("DELETE FROM price_all WHERE Number IN (%1)").arg(tickedItems), goodCode);
    execWithGood(priceDb, QStringLiteral("DELETE FROM Sootv_All WHERE Number_ost IN (%1)").arg(tickedItems), goodCode);
    execWithGood(priceDb, QStringLiteral("DELETE FROM Sootv_All WHERE Code = ?1"), goodCode);
    result.goodsLeft << goodCode;
    db::Statement remaining = priceDb.prepare(QStringLiteral("SELECT 1 FROM Sootv_All WHERE Code = ?1 LIMIT 1"));
    for (const qint64 code : others) {
        remaining.bindInt(1, code);
        if (!remaining.step())
            result.goodsLeft << code;
        remaining.reset();
    }
    transaction.commit();
    return result;
}

} // namespace velmora::catalogue
