#pragma once

// The spreadsheet layer: reading supplier workbooks, and making the
// program's own workbooks from templates. Namespace velmora::sheet; CMake
// target velmora_spreadsheet (the sheet view: velmora_sheetview, see
// view/sheet_view.h; handing a workbook to the desktop: velmora_sheet_handover,
// see handover.h).
//
// Reading a price list (.xlsx, .xls, .csv), streamed, one sheet at a time:
//
//     WorkbookReader reader(path);                  // throws SheetError
//     QStringList names = reader.sheetNames();      // sheet 1 is names[0]
//     SheetData data = reader.readSheet(1, {.maxColumns = 8});
//     CellRef last = data.info.lastUsedCell;        // from the cells, not the file's claim
//     for (int r = 1; r <= data.values.rows(); ++r) {
//         QString name = data.values.text(r, 2);    // "" when empty
//         double price = data.values.number(r, 3);  // typed: values.type(r, c)
//         QString link = data.hyperlink(r, 4);      // cell's first hyperlink
//         QString f = data.formula(r, 4);           // "=HYPERLINK(...)" or ""
//     }
//     reader.streamSheet(1, [](const RowData& row) { ...; return true; });
//     SheetLook look = reader.readSheetLook(1);     // fonts, fills, column widths
//     Font font = look.style(2, 1).font;  double w = look.columnWidth(1);
//
// A reader belongs to one thread at a time (it uses worker threads of its
// own for large sheets). Values: numbers, dates (day numbers, 30.12.1899 =
// 0), text, booleans, errors; a formula cell gives its cached result and its
// formula text in A1 form with English function names.
//
// Making a workbook from a template and handing it to the user:
//
//     Workbook book = Workbook::openTemplate(templatePath(programDir, "zakaz.xls"));
//     Worksheet& ws = book.sheet(1);                // or book.sheet("Заказ")
//     ws.setName("Заказ 5 от 01.02.2026");
//     ws.insertRowCopy(14, 15);                     // extend the formatted data row
//     ws.setText(14, 2, "АРТ-1");
//     ws.setFormulaR1C1(14, 8, "=RC[-2]*RC[-1]");
//     ws.range("A15:K15").setBold(true);
//     ws.rows(16, 20).group();  ws.setOutlineSummaryAbove(true);
//     ws.cells(3, 1).setFontColor(Color::fromBgr(0x0000FF));   // red
//     ws.range("A5:H9").setValues(block);           // one block per range
//     HandOver h = handOverVisible(book, folder + "/Заказ 5.xlsx");
//     if (!h.opened) { /* show h.savedPath */ }
//
// Templates are shipped into the program folder with the CMake function
// velmora_add_sheet_templates(FILES ...) defined in this folder. Saving
// writes a temporary file and renames it, and never over the template.
// Every failure throws SheetError with a message naming the file or
// address. Rows and columns count from 1 everywhere; colours are Windows
// blue-green-red numbers.

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/cell_value.h"
#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/handover.h"
#include "platform/spreadsheet/page_setup.h"
#include "platform/spreadsheet/range.h"
#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/templates.h"
#include "platform/spreadsheet/value_block.h"
#include "platform/spreadsheet/workbook.h"
#include "platform/spreadsheet/worksheet.h"
