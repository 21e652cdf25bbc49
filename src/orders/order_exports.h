#pragma once

#include "orders/order_clients.h"
#include "platform/db/connection.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace velmora::orders {

// A failure of an order workbook, with the text the user sees; nothing was
// written when it is thrown before the first file.
class OrderExportError : public std::runtime_error {
public:
    explicit OrderExportError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The user's column titles of the supplier goods grid, the header texts of
// the workbooks.
struct OrderColumnTitles {
    QString art = QStringLiteral("Артикул");
    QString tovar = QStringLiteral("Товар");
    QString sklad = QStringLiteral("Склад");
    QString garant = QStringLiteral("Страна");
    QString description = QStringLiteral("Описание");
    QString textNoName = QStringLiteral("Производит.");
};

// The wait window, as the exporters drive it: begin with the number of
// lines, a step per line, finish at the end (also after a failure). Empty
// members do nothing.
struct ExportProgress {
    std::function<void(int steps)> begin;
    std::function<void()> step;
    std::function<void()> finish;
};

// What every order workbook is made from.
struct OrderExportInput {
    db::Connection* orderDb = nullptr;
    db::Connection* priceDb = nullptr; // the purchaser's table and the client layouts
    // The order-number list's text: the order exported.
    QString orderNumberText;
    // The client layouts' number text (the hidden order-number field): it
    // names their files and fills their number cells.
    QString layoutNumberText;
    OrderClient client;
    OrderColumnTitles titles;
    QString displayCode = QStringLiteral("RUB"); // "Цена (" + code + ")"
    QString programFolder;                       // templates and output folders
    ExportProgress progress;
    QDate today = QDate::currentDate();
};

// The messages of the exporters' checks.
inline const QString kBadOrderNumberMessage = QStringLiteral("Неверный номер заказа\rВыгрузка невозможна!");
inline const QString kWrongLayoutClientMessage = QStringLiteral(
    "У вас неверно выбран Клиент!\r\rВ названии Клиента обязательно должно быть:\r\"Мирвена\" или \"Тальверон\"");
inline const QString kNoLayoutTemplateMessage = QStringLiteral(
    "Не выбран шаблон для выгрузкиВыбирите один из шаблонов: \"Тальверон\" или \"Мирвена\"");

// The output file of a workbook: the name trimmed, the characters a file
// name cannot hold made "_" (blanks too unless `keepBlanks`), "_2", "_3" ...
// before ".xlsx" while the file exists. `suffix` receives the suffix taken.
QString OrderOutputPath(const QString& folder, const QString& name, bool keepBlanks, QString* suffix = nullptr);

// Each exporter throws OrderExportError on a failure (an order number that
// is no integer, a missing template, an output folder that cannot be
// made, a workbook that cannot be saved) and returns what it saved.

// Requests per supplier ("Заказы/", template zakaz.xlsx): one workbook for
// each supplier of the order, holding that supplier's lines of the order.
QStringList ExportZakazPostav(const OrderExportInput& input);
// The whole order in one workbook ("Заказы/", zakaz.xlsx).
QString ExportZakazAll(const OrderExportInput& input);
// The order for the client, without suppliers ("Заявки/", zayavka.xlsx).
QString ExportZayavka(const OrderExportInput& input);
// The purchaser's table: purchase prices in the supplier's currency, no
// quantities or sums ("Заявки/", Quorvel.xlsx).
QString ExportZakazPurchaser(const OrderExportInput& input);

// Client layouts (templates in the program folder's client/).

// Supplier requests with the price left for the supplier, with the
// supplier's contacts ("Заказы/", client/zakaz.xlsx). A supplier whose
// request fails is skipped and named in `failed` ("name: message").
struct SupplierRequests {
    QStringList paths;
    QStringList failed;
};
SupplierRequests ExportZakazPostavClient(const OrderExportInput& input);
// The purchase workbook of the order from template 0 (client/zayavka.xlsx,
// "Тальверон") or 1 (client/zayavka2.xlsx, "Мирвена"); -1 for none chosen
// ("Заявки/").
QString ExportZayavkaClient(const OrderExportInput& input, int templateIndex);

// "Заказы/" and "Заявки/" beside the program.
QString OrdersFolder(const QString& programFolder);
QString RequestsFolder(const QString& programFolder);

} // namespace velmora::orders
