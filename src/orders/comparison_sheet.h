#pragma once

// The comparison sheet of the order list Zakaz: for each good the prices
// and stock texts of the chosen suppliers from svod beside the order's
// price, with the relative differences, the cheapest supplier, the number
// of suppliers with a price and their average. Its settings are one
// template of SvodPriceZakaz.ini beside the program.

#include "orders/order_exports.h"
#include "platform/db/connection.h"
#include "platform/spreadsheet/value_block.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

namespace velmora::orders {

// ---- The template ----------------------------------------------------------

// The one template in use.
inline const QString kComparisonTemplateName = QStringLiteral("Zakaz");

// A template's settings (section "FileExcel " + name).
struct ComparisonTemplate {
    QString folder;         // Path_Excel, ending in "/"
    bool inRoubles = false; // SvodKurs: prices × KursRUBRate
    bool fileDate = true;   // FileDate: prefix + date + suffix, else the fixed name
    QString prefix;         // FilePrefics
    QString suffix;         // FileSuffics
    QString fixedName;      // FileNameSvod
    QString templatePath;   // Edit_ExcelTemplate
};

// SvodPriceZakaz.ini beside the program.
QString ComparisonIniPath(const QString& programFolder);
// The default output folder: "Сводные прайс-листы/" beside the program.
QString DefaultComparisonFolder(const QString& programFolder);

// The template's settings, each missing key at its default (the default
// folder, prices as stored, the date in the name, the template file
// Svod_Price.xls beside the program).
ComparisonTemplate ReadComparisonTemplate(const QString& iniPath, const QString& name, const QString& programFolder);
// Whether [TemplateName] lists the template.
bool ComparisonTemplateExists(const QString& iniPath, const QString& name);
// Whether the supplier is shown in the template's sheet (section
// "Postav " + name; a supplier without a key is).
bool ComparisonSupplierChosen(const QString& iniPath, const QString& name, const QString& supplier);
// Stores the template: it is listed in [TemplateName] and made the active
// one, its settings and, for each supplier, whether it is shown. False
// when the file could not be written (the message goes to `messages`).
bool SaveComparisonTemplate(const QString& iniPath, const QString& name, const ComparisonTemplate& settings,
                            const QVector<std::pair<QString, bool>>& suppliers, const MessageSink& messages = {});

// The sheet's file name: prefix + dotted date + suffix, or the fixed name,
// with the characters a file name cannot hold made "_", and ".xlsx"; the
// date alone when the name would be empty.
QString ComparisonFileName(const ComparisonTemplate& settings, const QDate& today);

// The suppliers offering a good of the order, in name order (case
// ignored), each once.
QStringList ComparisonSuppliers(db::Connection& priceDb);

// ---- The values ------------------------------------------------------------

// One svod row of a good.
struct ComparisonOffer {
    QString supplier;
    double price = 0;
    QString sklad;
};
// One line of the order with its good's svod rows in table order.
struct ComparisonLine {
    QString art;
    QString tovar;
    double priceOut = 0;
    QVector<ComparisonOffer> offers;
};

// The sheet's values from row 7, one row per line, 10 + 3k columns for k
// chosen suppliers: A the article (empty when it repeats the line above), B
// the name, D the order price P (rounded); per supplier i from E its price
// (rounded, at `rubRate` when given), stock text and price / P − 1; then the
// cheapest supplier, its price and difference, the number of suppliers with
// a price above 0, their average and its difference. Differences only when
// P > 0; a supplier offering the good twice shows its later row, both
// counted.
struct ComparisonPricing {
    int roundDigits = 2;
    double rubRate = 0; // 0: prices as stored
};
sheet::ValueBlock BuildComparisonValues(const QVector<ComparisonLine>& lines, const QStringList& suppliers,
                                        const ComparisonPricing& pricing);

// ---- The sheet -------------------------------------------------------------

struct ComparisonInput {
    db::Connection* priceDb = nullptr;
    QString iniPath;
    QString templateName = kComparisonTemplateName;
    QString programFolder;
    int roundDigits = 2;
    double kursRub = 27.0; // KursRUBRate
    ExportProgress progress;
    QDate today = QDate::currentDate();
};

// The message of a template that [TemplateName] does not list.
QString MissingComparisonTemplateMessage(const QString& name, const QString& iniPath);

// Writes the sheet for the template: the template workbook's sheet
// "Сводный прайс-лист" with the date in C1, one E:G block per chosen
// supplier (its name on row 4), row 7's formats copied to every line and
// the values from row 7; saved into the template's folder (made when
// missing) under its file name. Throws OrderExportError with the missing
// template's message, "Невозможно создать директорию " + folder,
// sheet::kFileNotSaved, or the layer's message for a template workbook
// that cannot be read; nothing is saved then. Returns the path saved.
QString WriteComparisonSheet(const ComparisonInput& input);

} // namespace velmora::orders
