#include "remainder_move.h"

#include "correspondence.h"
#include "item_lists.h"

#include "storage/schema.h"

#include <QHash>
#include <QList>

namespace velmora::catalogue {
namespace {

struct PlannedMove {
    qint64 number = 0;
    QString postavshik;
    bool replace = false;
    bool artObrab = false;
};

bool exists(db::Connection& priceDb, const QString& sql, qint64 goodCode, const QString& postavshik)
{
    db::Statement select = priceDb.prepare(sql);
    select.bindInt(1, goodCode).bindText(2, postavshik);
    return select.step();
}

bool supplierArtObrab(db::Connection& priceDb, const QString& postavshik)
{
    db::Statement select =
        priceDb.prepare(QStringLiteral("SELECT Art_obrab FROM postavshik WHERE Postavshik = ?1 ORDER BY rowid"));
    select.bindText(1, postavshik);
    return select.step() && yesNoTextIsTrue(select.text(0));
}

} // namespace

QString moveDeclinedMessage() { return QStringLiteral("Перемещение товара отклонено"); }

QString replaceItemQuestion(const QString& supplier, bool inCorrespondences, bool inCombinedPrice)
{
    return QStringLiteral("Для поставщика: ") + supplier + QStringLiteral(" уже есть товар в:\r")
        + (inCorrespondences ? QStringLiteral("   - в таблице соответствия") : QString()) + u'\r'
        + (inCombinedPrice ? QStringLiteral("   - в сводном прайс-листе") : QString())
        + QStringLiteral("\r\rЗаменить существующий товар новым?");
}

bool yesNoTextIsTrue(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.at(0).toLower();
    return first == u't' || first == u'y';
}

QString yesNoFlagText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

MoveResult moveTickedItemsWithQuestion(db::Connection& priceDb, qint64 goodCode, const Question& ask,
                                       const MessageSink& tell)
{
    MoveResult result;
    if (goodCode == 0) {
        if (tell)
            tell(noCurrentGoodMessage());
        return result;
    }
    // The questions first, each supplier's rows as they will stand when
    // its item comes to be moved.
    struct SupplierState {
        bool inSootv = false;
        bool inSvod = false;
        bool artObrab = false;
    };
    QHash<QString, SupplierState> suppliers;
    QList<PlannedMove> moves;
    db::Statement ticked = priceDb.prepare(
        QStringLiteral("SELECT Number, Postavshik FROM price_all INDEXED BY price_all_Flags_to_reset "
                       "WHERE (%1) AND Check_sootv = 'true' ORDER BY Number")
            .arg(kPriceAllFlagsToReset));
    while (ticked.step()) {
        PlannedMove move{ticked.integer(0), ticked.text(1)};
        const QString key = move.postavshik.toCaseFolded();
        if (!suppliers.contains(key)) {
            suppliers.insert(key, {exists(priceDb, QStringLiteral("SELECT 1 FROM sootv WHERE Code = ?1 AND Postavshik = ?2"),
                                          goodCode, move.postavshik),
                                   exists(priceDb,
                                          QStringLiteral("SELECT 1 FROM svod WHERE Code_sootv = ?1 AND Postavshik = ?2"),
                                          goodCode, move.postavshik),
                                   supplierArtObrab(priceDb, move.postavshik)});
        }
        SupplierState& state = suppliers[key];
        if (state.inSootv || state.inSvod) {
            if (!ask || !ask(replaceItemQuestion(move.postavshik, state.inSootv, state.inSvod))) {
                ++result.declined;
                if (tell)
                    tell(moveDeclinedMessage());
                continue;
            }
            move.replace = true;
        }
        move.artObrab = state.artObrab;
        state.inSootv = state.inSvod = true;
        moves << move;
    }

    db::Transaction transaction(priceDb);
    db::Statement deleteSootv = priceDb.prepare(QStringLiteral("DELETE FROM sootv WHERE Code = ?1 AND Postavshik = ?2"));
    db::Statement deleteSvod =
        priceDb.prepare(QStringLiteral("DELETE FROM svod WHERE Code_sootv = ?1 AND Postavshik = ?2"));
    db::Statement toSootv = priceDb.prepare(QStringLiteral(
        "INSERT INTO sootv (Code, Art, Tovar, Postavshik, Art_obrab) "
        "SELECT ?1, Art, Tovar, Postavshik, ?3 FROM price_all WHERE Number = ?2"));
    db::Statement toSvod = priceDb.prepare(QStringLiteral(
        "INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant, Sklad) "
        "SELECT Art, Tovar, Price, Pricemax, Postavshik, ?1, ?3, Dates, Garant, Sklad FROM price_all WHERE Number = ?2"));
    db::Statement leave = priceDb.prepare(QStringLiteral("DELETE FROM price_all WHERE Number = ?1"));
    for (const PlannedMove& move : moves) {
        if (move.replace) {
            for (db::Statement* statement : {&deleteSootv, &deleteSvod}) {
                statement->bindInt(1, goodCode).bindText(2, move.postavshik);
                statement->execute();
                statement->reset();
            }
        }
        for (db::Statement* statement : {&toSootv, &toSvod}) {
            statement->bindInt(1, goodCode).bindInt(2, move.number).bindText(3, yesNoFlagText(move.artObrab));
            statement->execute();
            statement->reset();
        }
        leave.bindInt(1, move.number);
        leave.execute();
        leave.reset();
        ++result.moved;
    }
    clearItemTicks(priceDb, ItemTable::Remainder);
    transaction.commit();
    return result;
}

} // namespace velmora::catalogue
