#pragma once

#include "platform/db/connection.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace velmora {

// The eight goods fields a sheet maps to spreadsheet columns, in the order
// of the AllPostavPage columns Column_art ... Column_TextNoName.
enum class SheetField { Art, Tovar, Price, Pricemax, Sklad, Garant, Description, TextNoName };
inline constexpr int kSheetFieldCount = 8;

// The AllPostavPage column of a field ("Column_art" ...). Only these names
// are ever put into a statement's text.
QString SheetFieldColumn(SheetField field);

// One row of AllPostavPage: a sheet's settings.
struct SheetSettings {
    QString Postavshik;
    QString SheetName;
    std::array<qint64, kSheetFieldCount> columns{}; // column specs, by SheetField
    QString Obrab;
    int Nacen = 0;
    int Valuta = 0;
    int PriceSet = 0;
    QString TovarPrefiks;

    qint64 spec(SheetField field) const { return columns[size_t(field)]; }
};

// The sheet rows of a price list, ordered by SheetName.
std::vector<SheetSettings> ReadSheets(db::Connection& priceDb, const QString& name);
std::optional<SheetSettings> ReadSheet(db::Connection& priceDb, const QString& name, const QString& sheet);

// Inserts a sheet row with every column listed; a new row's currency is
// always written (the loader reads a missing one as USD).
void InsertSheet(db::Connection& priceDb, const SheetSettings& sheet);

// Single-value updates of one sheet row; false when the row does not exist.
bool SetSheetColumnSpec(db::Connection& priceDb, const QString& name, const QString& sheet, SheetField field, qint64 spec);
bool SetSheetValuta(db::Connection& priceDb, const QString& name, const QString& sheet, int valuta);
bool SetSheetNacen(db::Connection& priceDb, const QString& name, const QString& sheet, int nacen);
bool SetSheetPriceSet(db::Connection& priceDb, const QString& name, const QString& sheet, int priceSet);
bool SetSheetPrefix(db::Connection& priceDb, const QString& name, const QString& sheet, const QString& prefix);
// The eight specs at once, in one transaction.
bool SetSheetColumnSpecs(db::Connection& priceDb, const QString& name, const QString& sheet,
                         const std::array<qint64, kSheetFieldCount>& specs);

enum class SheetRenameResult { Renamed, Unchanged, EmptyName, NameTaken, NoSuchSheet };
// Renames a sheet row of a price list; an empty name and the name of another
// sheet row of the same list are refused.
SheetRenameResult RenameSheet(db::Connection& priceDb, const QString& name, const QString& oldSheet,
                              const QString& newSheet);
// "[...]" names match worksheets by part of their name and need no warning.
bool IsSheetNamePattern(const QString& sheetName);

// Deletes one sheet row of a price list; false when there was none.
bool DeleteSheet(db::Connection& priceDb, const QString& name, const QString& sheet);

// What choosing a price file changed.
struct SheetSyncResult {
    QStringList added;   // worksheets that got a new row
    QStringList kept;    // rows that still match a worksheet
    QStringList removed; // rows that match none
};

// Points the price list at a workbook and brings its sheet rows in line
// with the workbook's worksheets, in one transaction: Path, SheetCount (the
// number of worksheets) and PostavVisible = true are written; a row is kept
// when it names a worksheet (case and surrounding blanks ignored) and
// always when it is a "[text]" pattern; the others are deleted, so a
// workbook that lost sheets loses their rows. The only worksheet of a
// workbook that no row names keeps the first row, which reads it. The rows
// of a CSV file (its sheet is named after the file) are all kept. Every
// worksheet no row reads gets a new row with all specs 0, Nacen 0,
// PriceSet 0, empty texts and the currency `valutaForNewRows`.
//
// With StaleRows::Keep (the workbook opened again rather than chosen) no
// row is deleted: a row whose worksheet is gone keeps its settings and is
// listed under `removed` only as reported.
enum class StaleRows { Delete, Keep };
SheetSyncResult SyncSheetsWithWorkbook(db::Connection& priceDb, const QString& name, const QString& path,
                                       const QStringList& worksheetNames, int valutaForNewRows,
                                       StaleRows stale = StaleRows::Delete);

} // namespace velmora
