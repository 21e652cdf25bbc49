#pragma once

#include "platform/db/connection.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::catalogue {

// The suppliers of the older loading windows (postavshik): each one's
// workbook, sheet, columns and how its items are recognised on loading.

// A column choice: 0 "Нет", 1 .. 26 the columns A .. Z.
inline constexpr int kMaxLoadColumn = 26;

struct SupplierSetup {
    QString postavshik;
    QString path;
    int columnArt = 0;
    int columnTovar = 0;
    int columnPrice = 0;
    int columnPricemax = 0;
    int columnGarant = 0;
    int columnSklad = 0;
    int sheet = 0;          // from 1; 0: none chosen
    bool artObrab = false;  // "Обрабатывать по артикулу"
    qint64 dates = 0;       // the day of the prices last loaded
};

// The suppliers in stored order, or by name.
QStringList loadingSupplierNames(db::Connection& priceDb, bool byName);

// The supplier's row; none when it has no row.
std::optional<SupplierSetup> readSupplierSetup(db::Connection& priceDb, const QString& postavshik);

// "Поля ПОСТАВЩИК, ПУТЬ, ЛИСТ, ТОВАР, ЦЕНА должны быть заполнены!"
QString setupFieldsMissingMessage();
// "Поля АРТИКУЛ, ТОВАР, ЦЕНА не могут совпадать!"
QString setupColumnsClashMessage();
// "Указанный файл не существует!"
QString missingWorkbookMessage();

// Button_zagruz: checks the settings (supplier, path, name and price
// columns given; article, name and price columns apart, the retail column
// apart from the name; the file there) and returns the message of the
// first check that fails, or stores them and returns an empty text. A new
// supplier gets Obrab "False", Obrab_Def "True", `today` as Dates and sheet
// 1 when none was chosen; an update leaves those and, without a chosen
// sheet, the stored sheet as they are. Art_obrab is stored "true"/"false".
QString saveSupplierSetup(db::Connection& priceDb, const SupplierSetup& setup, const QDate& today);

} // namespace velmora::catalogue
