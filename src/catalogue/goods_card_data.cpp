#include "goods_card_data.h"

#include "goods_list.h"
#include "group_tree.h"

#include "storage/value_helpers.h"

namespace velmora::catalogue {

namespace {

void readDetails(db::Connection& priceDb, qint64 code, CardFields& fields)
{
    db::Statement s = priceDb.prepare(QStringLiteral(
        "SELECT ifnull(URL, ''), ifnull(pictures, ''), ifnull(Comment, '') FROM Price_Tovar_Info WHERE Code = ?1"));
    s.bindInt(1, code);
    if (s.step()) {
        fields.url = s.text(0);
        fields.pictures = s.text(1);
        fields.comment = s.text(2);
    }
}

void writeDetails(db::Connection& priceDb, qint64 code, const CardFields& fields)
{
    db::Statement update = priceDb.prepare(
        QStringLiteral("UPDATE Price_Tovar_Info SET Art = ?2, URL = ?3, pictures = ?4, Comment = ?5 WHERE Code = ?1"));
    update.bindInt(1, code).bindText(2, fields.art).bindText(3, fields.url).bindText(4, fields.pictures);
    update.bindText(5, fields.comment).execute();
    if (priceDb.changes() > 0)
        return;
    db::Statement insert = priceDb.prepare(
        QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (?1, ?2, ?3, ?4, ?5)"));
    insert.bindInt(1, code).bindText(2, fields.art).bindText(3, fields.url).bindText(4, fields.pictures);
    insert.bindText(5, fields.comment).execute();
}

qint64 nextGoodCode(db::Connection& priceDb)
{
    return priceDb.scalar(QStringLiteral("SELECT ifnull(max(Code), 0) + 1 FROM price_main")).toLongLong();
}

// Another good than ownCode (NULL: any good) holds the article, case ignored.
bool articleTaken(db::Connection& priceDb, const QString& art, const QVariant& ownCode)
{
    return priceDb.scalar(QStringLiteral("SELECT 1 FROM price_main WHERE Art = ?1 AND Code IS NOT ?2 LIMIT 1"),
                          {art, ownCode})
        .isValid();
}

} // namespace

bool openCardForEdit(db::Connection& priceDb, qint64 code, int roundDigits, CardOpening& opening)
{
    Good good;
    if (!readGood(priceDb, code, good))
        return false;
    opening = CardOpening{};
    opening.mode = CardMode::Edit;
    opening.code = code;
    opening.kategor = good.kategor;
    const qint64 group = good.kategor.toLongLong();
    opening.groupName = groupName(priceDb, group);
    opening.groupNacen = groupDefaults(priceDb, group).markup;
    opening.fields.art = good.art;
    opening.fields.tovar = good.tovar;
    opening.fields.price = RoundValue(roundDigits, good.price1);
    opening.fields.nacen = good.nacen;
    opening.fields.garant = good.garant;
    opening.fields.superPrice = good.superPrice;
    readDetails(priceDb, code, opening.fields);
    opening.loadedPriceBase = good.priceBase;
    opening.loadedSale = good.sale;
    opening.shownArt = good.art;
    return true;
}

CardOpening openCardForAdd(db::Connection& priceDb, qint64 groupCode,
                           const std::function<QString(qint64 code, const QString& groupCode)>& articleFor)
{
    CardOpening opening;
    opening.mode = CardMode::Add;
    opening.code = nextGoodCode(priceDb);
    opening.kategor = QString::number(groupCode);
    opening.groupName = groupName(priceDb, groupCode);
    const GroupDefaults defaults = groupDefaults(priceDb, groupCode);
    opening.groupNacen = defaults.markup;
    opening.fields.nacen = defaults.markup;
    opening.fields.garant = defaults.warranty;
    if (articleFor)
        opening.fields.art = articleFor(opening.code, opening.kategor);
    opening.shownArt = opening.fields.art;
    return opening;
}

CardSaving saveCard(db::Connection& priceDb, const CardOpening& opening, const CardFields& fields, qint64 today)
{
    CardSaving result;
    if (fields.tovar.isEmpty()) {
        result.message = QStringLiteral("Укажите название товара !");
        return result;
    }
    db::Transaction tx(priceDb);
    const bool adding = opening.mode == CardMode::Add;
    const bool newArticle =
        !fields.art.isEmpty() && (adding || fields.art.compare(opening.shownArt, Qt::CaseInsensitive) != 0);
    if (newArticle && articleTaken(priceDb, fields.art, adding ? QVariant() : QVariant(opening.code))) {
        result.message = QStringLiteral("Такой Артикул уже существует!");
        return result;
    }

    if (adding) {
        result.code = nextGoodCode(priceDb);
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale,"
            " SuperPrice) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?5, ?7, ?8, 0, ?9)"));
        insert.bindInt(1, result.code).bindText(2, fields.art).bindText(3, opening.kategor).bindText(4, fields.tovar);
        insert.bindDouble(5, fields.price).bindInt(6, fields.nacen).bindInt(7, today).bindText(8, fields.garant);
        insert.bindInt(9, fields.superPrice ? 1 : 0).execute();
    } else {
        result.code = opening.code;
        db::Statement update = priceDb.prepare(QStringLiteral(
            "UPDATE price_main SET Kategor = ?2, Art = ?3, Tovar = ?4, PriceBase = ?5, Nacen = ?6, Price_1 = ?7,"
            " Garant = ?8, Sale = ?9, SuperPrice = ?10 WHERE Code = ?1"));
        update.bindInt(1, opening.code).bindText(2, opening.kategor).bindText(3, fields.art).bindText(4, fields.tovar);
        update.bindDouble(5, fields.superPrice ? fields.price : opening.loadedPriceBase);
        update.bindInt(6, fields.superPrice ? 0 : fields.nacen).bindDouble(7, fields.price).bindText(8, fields.garant);
        update.bindInt(9, opening.loadedSale ? 1 : 0).bindInt(10, fields.superPrice ? 1 : 0).execute();
    }
    writeDetails(priceDb, result.code, fields);
    tx.commit();
    result.saved = true;
    return result;
}

} // namespace velmora::catalogue
