#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace velmora::catalogue {

// The correspondences of own goods to supplier items (sootv) and the
// combined price (svod), as the criteria search's results move into them
// and as the correspondence page takes them out again. Every command runs
// in one transaction.

// "Товар, соответсвующий указанному, у данного поставщика уже выбран !"
QString tickRefusedMessage();
// "Не выбран собственный товар!"
QString noCurrentGoodMessage();

// Ticks (or unticks) one remainder item by its Number. A tick is refused,
// and nothing stored, when another item of the same supplier with another
// name is ticked already: at most one name per supplier goes to a good.
// Returns false when refused.
bool tickRemainderItem(db::Connection& priceDb, qint64 number, bool ticked);

// Moves the ticked remainder items to the good: the good's correspondences
// and combined-price rows of every supplier with a ticked item are
// replaced by the ticked items (svod.Obrab "false"), which leave price_all.
// Returns the number of items moved.
int moveTickedItemsToGood(db::Connection& priceDb, qint64 goodCode);

// A correspondence of a good (a row of sootv).
struct Correspondence {
    qint64 code = 0;
    QString art;
    QString tovar;
    QString postavshik;
    QString artObrab;
};
QList<Correspondence> readCorrespondences(db::Connection& priceDb, qint64 goodCode);

// "Удалить все товары": the good's combined-price rows go back into
// price_all (not ticked, taking part), its correspondences and
// combined-price rows are deleted.
void deleteGoodCorrespondences(db::Connection& priceDb, qint64 goodCode);
// "Удалить данный товар": the same for the good's rows of one name and
// supplier.
void deleteGoodCorrespondence(db::Connection& priceDb, qint64 goodCode, const QString& tovar,
                              const QString& postavshik);
// "Очистить таблицу соответствия": the same for every good.
void clearCorrespondenceTable(db::Connection& priceDb);

} // namespace velmora::catalogue
