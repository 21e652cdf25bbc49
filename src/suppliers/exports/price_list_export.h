#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace velmora::exports {

// A failure of an export, with the text the user sees.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The header texts of the exported columns: the user's column titles
// (settings Column_art_Name ... of the order database).
struct ExportColumnTitles {
    QString art = QStringLiteral("Артикул");
    QString tovar = QStringLiteral("Товар");
    QString pricemax = QStringLiteral("Цена (розн.)");
    QString sklad = QStringLiteral("Склад");
    QString garant = QStringLiteral("Страна");
    QString textNoName = QStringLiteral("Производит.");
    QString description = QStringLiteral("Описание");

    static ExportColumnTitles fromSettings(db::Connection& orderDb);
};

// At most this many goods of one price list go into a workbook.
inline constexpr int kMaxWorkbookRows = 65528;

// What a user is told of goods left out of a workbook.
QString OmittedRowsText(int omitted);

struct ExportResult {
    QString path;        // the file written
    int rowsWritten = 0;
    int rowsOmitted = 0; // goods beyond kMaxWorkbookRows
};

// "<folder of the list's Path>/Export/"; "" for a list without a file
// (an empty Path or "-").
QString ExportFolderFor(const QString& priceListPath);
// A supplier name as a file name: characters a file name cannot hold
// (/ \ : * ? " < > | and control characters) become "_".
QString SafeFileName(const QString& name);
// Creates the folder when missing; throws "Невозможно создать директорию " + folder.
void EnsureFolder(const QString& folder);

// Doubles every '"', turns characters below 32 into blanks, and quotes the
// result when the text held , ; " CR LF or TAB.
QString CsvQuoteField(const QString& text);

// The goods of one price list as CSV: one line per offer in Number order,
// Art;Tovar;PriceOut, no header, Windows-1251, CRLF; the price with a
// decimal comma ("1234,5", "1200"). Written through a temporary file; when
// an existing file cannot be replaced, throws "Файл: <path>\rоткрыт в
// другой программе. Выгрузка невозможна!".
ExportResult ExportPriceListCsv(db::Connection& priceDb, const QString& name, const QString& folder);

// The goods of one price list as a workbook from the template: B1 the
// title, A4:H4 the header, from row 5 Art, Tovar, PriceOut, Pricemax, Sklad,
// Garant, TextNoName, Description with the formats of the template's
// A5:D5 repeated over the block.
ExportResult ExportPriceListWorkbook(db::Connection& priceDb, const QString& name, const QString& templatePath,
                                     const QString& outputPath, const ExportColumnTitles& titles,
                                     const QString& displayCode);

// Every list into one workbook ("ВСЕ ТОВАРЫ из Базы"), blocks back to back
// from row 5; at most the sheet's last row is filled, the rest is counted
// in rowsOmitted. `step` is called after each list.
ExportResult ExportAllPriceListsWorkbook(db::Connection& priceDb, const QStringList& names, const QString& templatePath,
                                         const QString& outputPath, const ExportColumnTitles& titles,
                                         const QString& displayCode, const std::function<void(int)>& step = {});

// The price text of a CSV line: up to four decimals, decimal comma.
QString CsvPriceText(double value);

} // namespace velmora::exports
