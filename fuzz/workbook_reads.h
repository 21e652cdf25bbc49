#pragma once

#include <QString>

namespace velmora::fuzz {

// Reads a workbook file every way the program reads one: the sheet names,
// then each of the first sheets streamed (texts as values and as bytes),
// as a block within the limits the imports set, and its look; then the
// whole file into the workbook model. A SheetError is the readers' one
// way to refuse a file; anything else escapes (and is a finding). What
// comes out is checked against what the reader promises: cells inside the
// sheet, each row's in column order, finite numbers, blocks within the
// limits asked for, and the same values whichever way the sheet is read.
void readWorkbookEveryWay(const QString& path);

} // namespace velmora::fuzz
