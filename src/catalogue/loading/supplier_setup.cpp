#include "supplier_setup.h"

#include "catalogue/matching/remainder_move.h"
#include "platform/db/day_numbers.h"

#include <QFileInfo>

namespace velmora::catalogue {

QStringList loadingSupplierNames(db::Connection& priceDb, bool byName)
{
    QStringList names;
    db::Statement select = priceDb.prepare(byName ? QStringLiteral("SELECT Postavshik FROM postavshik ORDER BY Postavshik")
                                                  : QStringLiteral("SELECT Postavshik FROM postavshik ORDER BY rowid"));
    while (select.step())
        names << select.text(0);
    return names;
}

std::optional<SupplierSetup> readSupplierSetup(db::Connection& priceDb, const QString& postavshik)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Postavshik, Path, Column_art, Column_Tovar, Column_Price, Column_Pricemax, Column_Garant, Column_Sklad, "
        "Sheet, Art_obrab, Dates FROM postavshik WHERE Postavshik = ?1 ORDER BY rowid"));
    select.bindText(1, postavshik);
    if (!select.step())
        return std::nullopt;
    SupplierSetup setup;
    setup.postavshik = select.text(0);
    setup.path = select.text(1);
    int* const columns[] = {&setup.columnArt,      &setup.columnTovar,  &setup.columnPrice,
                            &setup.columnPricemax, &setup.columnGarant, &setup.columnSklad};
    for (int i = 0; i < 6; ++i)
        *columns[i] = int(select.integer(2 + i));
    setup.sheet = int(select.integer(8));
    setup.artObrab = yesNoTextIsTrue(select.text(9));
    setup.dates = select.integer(10);
    return setup;
}

QString setupFieldsMissingMessage() { return QStringLiteral("Поля ПОСТАВЩИК, ПУТЬ, ЛИСТ, ТОВАР, ЦЕНА должны быть заполнены!"); }

QString setupColumnsClashMessage() { return QStringLiteral("Поля АРТИКУЛ, ТОВАР, ЦЕНА не могут совпадать!"); }

QString missingWorkbookMessage() { return QStringLiteral("Указанный файл не существует!"); }

QString saveSupplierSetup(db::Connection& priceDb, const SupplierSetup& setup, const QDate& today)
{
    if (setup.postavshik.isEmpty() || setup.path.isEmpty() || setup.columnTovar == 0 || setup.columnPrice == 0)
        return setupFieldsMissingMessage();
    if (setup.columnArt == setup.columnTovar || setup.columnArt == setup.columnPrice
        || setup.columnTovar == setup.columnPricemax || setup.columnTovar == setup.columnPrice)
        return setupColumnsClashMessage();
    if (!QFileInfo(setup.path).isFile())
        return missingWorkbookMessage();

    const QString artObrab = setup.artObrab ? QStringLiteral("true") : QStringLiteral("false");
    db::Transaction transaction(priceDb);
    const std::optional<SupplierSetup> stored = readSupplierSetup(priceDb, setup.postavshik);
    if (!stored) {
        db::Statement insert = priceDb.prepare(QStringLiteral(
            "INSERT INTO postavshik (Postavshik, Path, Column_art, Column_Tovar, Column_Price, Column_Pricemax, "
            "Column_Garant, Column_Sklad, Sheet, Art_obrab, Obrab, Dates, Obrab_Def) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, 'False', ?11, 'True')"));
        insert.bindText(1, setup.postavshik).bindText(2, setup.path);
        insert.bindInt(3, setup.columnArt).bindInt(4, setup.columnTovar).bindInt(5, setup.columnPrice);
        insert.bindInt(6, setup.columnPricemax).bindInt(7, setup.columnGarant).bindInt(8, setup.columnSklad);
        insert.bindInt(9, setup.sheet > 0 ? setup.sheet : 1).bindText(10, artObrab).bindInt(11, db::dayNumber(today));
        insert.execute();
    } else {
        db::Statement update = priceDb.prepare(QStringLiteral(
            "UPDATE postavshik SET Path = ?2, Column_art = ?3, Column_Tovar = ?4, Column_Price = ?5, "
            "Column_Pricemax = ?6, Column_Garant = ?7, Column_Sklad = ?8, Sheet = ?9, Art_obrab = ?10 "
            "WHERE Postavshik = ?1"));
        update.bindText(1, setup.postavshik).bindText(2, setup.path);
        update.bindInt(3, setup.columnArt).bindInt(4, setup.columnTovar).bindInt(5, setup.columnPrice);
        update.bindInt(6, setup.columnPricemax).bindInt(7, setup.columnGarant).bindInt(8, setup.columnSklad);
        update.bindInt(9, setup.sheet > 0 ? setup.sheet : stored->sheet).bindText(10, artObrab);
        update.execute();
    }
    transaction.commit();
    return QString();
}

} // namespace velmora::catalogue
