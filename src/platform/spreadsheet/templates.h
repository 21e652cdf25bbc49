#pragma once

#include <QString>

namespace velmora::sheet {

// The path of a spreadsheet template in the program folder. A name ending
// in ".xls" is taken as the same stem ending in ".xlsx" (the program ships
// its templates as .xlsx). Throws SheetError naming the path when the file
// does not exist. Templates get into the program folder through the CMake
// function velmora_add_sheet_templates(TARGET name FILES ...) of this folder.
QString templatePath(const QString& programFolder, const QString& templateFileName);

} // namespace velmora::sheet
