#include "goods_commands.h"

namespace velmora::catalogue {

const QString kDeleteGoodsQuestion = QStringLiteral("Удалить выбранные товары?");
const QString kGoodsPreparedMessage = QStringLiteral("Товары подготовлены для перемещения");
const QString kNoGoodsToMoveMessage = QStringLiteral("Нет товаров для перемещения!");

void deleteGoods(db::Connection& priceDb, const QList<qint64>& codes)
{
    if (codes.isEmpty())
        return;
    db::Transaction tx(priceDb);
    const char* const statements[] = {
        "DELETE FROM price_main WHERE Code = ?1",   "DELETE FROM kritiskl WHERE Code_KritIskl = ?1",
        "DELETE FROM krit WHERE Code_krit = ?1",    "DELETE FROM sootv WHERE Code = ?1",
        "DELETE FROM svod WHERE Code_sootv = ?1",   "DELETE FROM Price_Tovar_Info WHERE Code = ?1",
    };
    for (const char* sql : statements) {
        db::Statement s = priceDb.prepare(QString::fromLatin1(sql));
        for (qint64 code : codes) {
            s.bindInt(1, code).execute();
            s.reset();
        }
    }
    tx.commit();
}

void moveGoods(db::Connection& priceDb, const QList<qint64>& codes, qint64 groupCode)
{
    db::Transaction tx(priceDb);
    db::Statement s = priceDb.prepare(QStringLiteral("UPDATE price_main SET Kategor = ?1 WHERE Code = ?2"));
    s.bindText(1, QString::number(groupCode));
    for (qint64 code : codes) {
        s.bindInt(2, code).execute();
        s.reset();
    }
    tx.commit();
}

} // namespace velmora::catalogue
