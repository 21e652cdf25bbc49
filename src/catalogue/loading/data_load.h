#pragma once

#include "supplier_setup.h"

#include "catalogue/supplier_files/supplier_file_settings.h"

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "platform/files/progress.h"
#include "platform/spreadsheet/value_block.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace velmora {
class SettingsStore;
}

namespace velmora::catalogue {

// Loading suppliers' workbooks into the matching tables: each supplier's
// items that were thrown away before go back into the trash (musor) with
// their new prices, those matched before refresh the combined price (svod)
// through the supplier's correspondences (sootv), the rest replace the
// supplier's items in the remainder (price_all).

// The status texts of the loading window, with their leading blanks.
namespace load_status {
inline const QString kWaiting = QStringLiteral("                            Ожидание ...");
inline const QString kClearing = QStringLiteral("                 Происходит очистка таблицы ...");
inline const QString kReading = QStringLiteral("                  Происходит закачка данных ...");
inline const QString kProcessing = QStringLiteral("                Обработка прайс-листа поставщика ...");
inline const QString kTrash = QStringLiteral("                 Происходит удаление мусора ...");
inline const QString kCombined = QStringLiteral("              Формирование сводного прайс-листа...");
inline const QString kCriteria = QStringLiteral("                Обработка товаров по критериям ...");
inline const QString kRepricing = QStringLiteral("                   Пересчет цен на все товары ...");
inline const QString kDone = QStringLiteral("                         Обработка закончена ...");
} // namespace load_status

// How loaded prices are rounded: RoundingPostav (on: to RoundingDegreePostav
// decimals).
struct LoadRounding {
    bool on = false;
    int digits = 2;
};
LoadRounding readLoadRounding(SettingsStore& settings);

// One price converted: divided by the rate (1: none) and rounded, with a
// rate to 3 decimals half up unless RoundingPostav rounds it; none for a
// cell that holds no number.
std::optional<double> loadPrice(const sheet::CellValue& cell, double rate, const LoadRounding& rounding);

struct LoadedItem {
    QString art;    // at most 30 characters
    QString tovar;  // at most 200
    double price = 0;
    double pricemax = 0; // the price when no retail column is chosen
    QString garant; // at most 50
    QString sklad;  // at most 50
};

// One row of the sheet; none when its name or purchase price is empty or
// a price is no number.
std::optional<LoadedItem> parseLoadRow(const sheet::ValueBlock& cells, int row, const SupplierSetup& setup, double rate,
                                       const LoadRounding& rounding);

// ---- The queue -------------------------------------------------------------

// What loading an entry gave.
struct LoadCounts {
    qint64 loaded = 0;
    qint64 trashed = 0;
    qint64 combined = 0;
    qint64 remainder = 0;
    std::optional<qint64> criteriaHits;
};

struct LoadQueueEntry {
    QString postavshik;
    qint64 day = 0;   // the prices' date as a day number
    double rate = 1;  // 1: none
    std::optional<LoadCounts> counts; // none until loaded
};

// A count as a result label shows it: the number, or "Нет".
QString loadCountText(const std::optional<qint64>& count);
// The rate box's text: "Нет" for 1, else the number ("27,5").
QString rateBoxText(double rate);
// The rate a box text stands for: 1 for "Нет"; none for a text that is no
// number above 0.
std::optional<double> rateFromBoxText(const QString& text);
// The rate box's key filter: as the price update's, and a decimal
// separator is refused at the text's start and a digit in front of the
// comma always passes. `caret` is where the key goes in.
RateKey filterLoadRateKey(const QString& text, int caret, QChar key);

// "Курс должен быть больше нуля!" with the supplier.
QString badRateMessage(const QString& postavshik);

// Checks every entry before anything is loaded: its rate above 0, its
// supplier's row and workbook there. The first problem's message, or empty.
QString queueProblem(db::Connection& priceDb, const QList<LoadQueueEntry>& entries);

// Where an entry's load reports: the status label and the bar.
struct LoadReport {
    std::function<void(const QString& status)> status;
    Progress* bar = nullptr;
};

// Extra steps of the bar for the criteria run.
inline constexpr int kCriteriaSteps = 500;

struct EntryLoad {
    bool loaded = false;
    QString failure; // why nothing was changed
    LoadCounts counts;
};

// Loads one entry: reads the supplier's sheet, and when it yields rows
// stores them (one transaction: the supplier's Dates, price_one, the trash,
// the correspondences' articles or names, the combined price, the
// remainder); with `withCriteria` the supplier's items then run through
// the automatic matching, which replaces only this supplier's proposals. A
// workbook that cannot be read, or yields no row, changes nothing.
// Known items are recognised by name, or by article when the supplier's
// Art_obrab is on and the item has an article. Throws db::DbError.
EntryLoad loadQueueEntry(db::Connection& priceDb, const LoadQueueEntry& entry, const LoadRounding& rounding,
                         bool withCriteria, const LoadReport& report);

} // namespace velmora::catalogue
