#pragma once

#include <QString>

namespace velmora::sheet {

// Converts an R1C1 formula written at (row, column) to A1: "RC[-2]" is the
// cell two columns left in the same row, "R5C3" is $C$5, "R[-3]C:R[-2]C" at
// F10 is F7:F8. Reversed ranges are normalised (R[-1]C:R[-2]C at F10 gives
// F8:F9). Text in double quotes and sheet names in single quotes are kept.
// Throws SheetError when a reference falls outside the sheet.
QString r1c1ToA1(const QString& formula, int row, int column);

// Moves the relative references of an A1 formula by (rowDelta,
// columnDelta), as copying the formula to another cell does; absolute
// parts ($A$1) stay. A reference moved outside the sheet becomes #REF!.
QString moveA1Formula(const QString& formula, int rowDelta, int columnDelta);

// Adjusts an A1 formula to rows inserted (count > 0) or deleted (count < 0)
// at `row` of the sheet the formula refers to: references at or below the
// row move, absolute ones too, as the spreadsheet does. A reference to a
// deleted row becomes #REF!. References to other sheets are left alone.
QString adjustFormulaForRows(const QString& formula, int row, int count);
// The same for columns inserted or deleted at `column`.
QString adjustFormulaForColumns(const QString& formula, int column, int count);

// The formula as a Russian-language spreadsheet shows it (FormulaLocal):
// function names in Russian ("=HYPERLINK(\"http://a/b\",\"x\")" becomes
// "=ГИПЕРССЫЛКА(\"http://a/b\";\"x\")"), ";" between arguments and ","
// as the decimal separator. Text in quotes is kept. Functions without a
// known Russian name keep theirs.
QString toLocalFormula(const QString& a1Formula);

} // namespace velmora::sheet
