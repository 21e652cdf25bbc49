#pragma once

#include "platform/db/connection.h"

#include <QDate>
#include <QString>

#include <array>

namespace velmora::output {

// The table `parametr` of the price database holds six rows of fixed
// meaning:
//   1  price column 1 (Name_out, Nacen_out); Path, FileName, SheetName of
//      the Excel price list
//   2  price column 2; Path: the dBase export folder
//   3  price column 3; Path: the managers' database folder
//   4  price column 4 (its Path, FileName and SheetName belong to the
//      settings dialog)
//   5  Path: the YML catalogue file
//   6  Path: the MySQL connection string
inline constexpr int kParameterRowCount = 6;
inline constexpr int kPriceColumnCount = 4;

// One row of `parametr`.
struct ParameterRow {
    int id = 0;
    QString nameOut;  // Name_out: title of the price column
    int markup = 0;   // Nacen_out: output markup in whole percent
    QString path;     // a folder, a file path or a connection string
    QString fileName;
    QString sheetName;
    qint64 dates = 0;
};

// The export parameters as every output reads them.
struct ExportParameters {
    std::array<ParameterRow, kParameterRowCount> rows; // rows[id - 1]

    // Row 1 ... 6; any other id gives an empty row.
    const ParameterRow& row(int id) const;

    // Price column 1 ... 4.
    QString priceColumnName(int column) const { return row(column).nameOut; }
    int priceColumnMarkup(int column) const { return row(column).markup; }

    QString excelFolder() const { return row(1).path; }
    QString excelFileName() const { return row(1).fileName; }
    QString excelSheetName() const { return row(1).sheetName; }
    QString dbfFolder() const { return row(2).path; }
    QString managersDatabaseFolder() const { return row(3).path; }
    QString ymlPath() const { return row(5).path; }
    QString connectionString() const { return row(6).path; }
};

// Reads rows 1 to 6 with every text trimmed: the blank that a newly made
// row holds in each text column reads as empty, so an emptiness check
// needs no trimming of its own. A missing row reads empty with 0 numbers.
// Throws db::DbError.
ExportParameters readExportParameters(db::Connection& priceDb);

// Dates the output that row `id` stands for with `day` ("update Parametr
// set dates=:dates where id=:id"); a missing row is left missing. Throws
// db::DbError.
void stampParameterDate(db::Connection& priceDb, int id, const QDate& day);

// What the parameters window stores from its fields.
struct ParameterInput {
    std::array<QString, kPriceColumnCount> columnNames;
    std::array<int, kPriceColumnCount> columnMarkups{};
    QString excelFolder;
    QString excelFileName;
    QString excelSheetName;
    QString dbfFolder;
    QString managersDatabaseFolder;
    // A blank text leaves the stored connection string as it is.
    QString connectionString;
};

// Stores the parameters window's fields, all in one transaction: each of
// rows 1 to 6 that is missing is first made with one blank in every text
// column and 0 in the numbers; rows 1 to 4 get their price column's title
// and markup, row 1 the Excel folder, file and sheet name, row 2 the dBase
// folder, row 3 the managers' database folder, row 6 the connection string
// unless that is blank. Row 5, the columns of row 4 beyond its price
// column and every Dates are left as they are. Throws db::DbError and
// leaves the table as it was.
void storeExportParameters(db::Connection& priceDb, const ParameterInput& input);

} // namespace velmora::output
