#pragma once

// The combined stock export: one workbook row per article of the shop's own
// stock (loaded as a price list under its own supplier name), with each
// chosen supplier's stock text for that article in a column of its own and
// the largest of those quantities last. Offers are grouped by Description,
// the normalised article key the loader keeps; no markup is applied.

#include "platform/db/connection.h"
#include "platform/spreadsheet/value_block.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmora::orders {

// The supplier names the own stock is loaded under.
inline const QString kOwnStockName = QStringLiteral("_Наш склад");
inline const QString kBrevikOwnStockName = QStringLiteral("_Бревик-мото");

// The start/stop button's two captions: idle and running.
inline const QString kUserExportCaption = QStringLiteral("Экспорт в Excel");
inline const QString kUserExportStopCaption = QStringLiteral("Остановить!");

inline const QString kUserExportStopped = QStringLiteral("Экспорт сводного ОСТАНОВЛЕН!");
inline const QString kUserExportTemplate = QStringLiteral("Price-svod.xlsx");
// The output folder's setting (order database, TypeText).
inline const QString kUserExportFolderSetting = QStringLiteral("Edit_PathTemplate");

// "Сводный от " + dotted date + ".xlsx".
QString UserExportFileName(const QDate& today);
// The default output folder: the program folder, ending in "/".
QString DefaultUserExportFolder(const QString& programFolder);

// The output folder as stored (the setting kUserExportFolderSetting, by
// default the program folder), ending in "/".
QString ReadUserExportFolder(db::Connection& orderDb, const QString& programFolder);

// A run's status texts: each status with the button caption that goes
// with it; only a changed text is passed on. A stop request is polled
// through `stopRequested`.
struct UserExportReport {
    std::function<void(const QString& status, const QString& caption)> status;
    std::function<bool()> stopRequested;
};

// The rows of the workbook from column A, n + 6 columns for n suppliers: A
// empty, B the own stock's article, C its name, D its TextNoName, E its
// stock, then each supplier's stock text, then the largest quantity (a
// number). One row per key held by an own-stock offer, in the database's
// order of Description (case ignored, as keys are compared); the first
// own-stock offer of a key stands, of a supplier's offers the one with the
// highest Number. A NULL key and "*****" are no keys. Nothing when a stop
// was requested (the stop's status already passed on).
std::optional<sheet::ValueBlock> ReadUserExportRows(db::Connection& priceDb, const QStringList& suppliers,
                                                    const QString& ownStockName,
                                                    const UserExportReport& report = {});

struct UserExportRequest {
    QStringList supplierNames; // the column suppliers in order; empty names are skipped
    QString ownStockName = kOwnStockName;
    QString folder;            // the output folder (the setting, ending in "/")
    QString programFolder;     // Price-svod.xlsx
    QDate today = QDate::currentDate();
};

enum class UserExportOutcome { Finished, Stopped, Failed };

struct UserExportResult {
    UserExportOutcome outcome = UserExportOutcome::Failed;
    QString path;      // the file written, when finished
    QString errorText; // when failed (also the last status)
};

// A whole run as the worker does it: the rows, then the template filled
// (D1 the date, row 2 a column per supplier from F with column F's format,
// the maximum's column after them, the rows from row 4 in row 4's format)
// and saved as the folder's UserExportFileName, made when missing. Every
// end reports its status with the caption kUserExportCaption; an error
// ends the run with its message as the status, and nothing is written.
UserExportResult RunUserExport(db::Connection& priceDb, const UserExportRequest& request,
                               const UserExportReport& report = {});

} // namespace velmora::orders
