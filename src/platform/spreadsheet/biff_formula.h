#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <vector>

namespace velmora::sheet {

// What a BIFF8 formula needs from its workbook to be shown as text.
struct BiffFormulaContext {
    QStringList sheetNames;                    // by sheet order
    std::vector<std::pair<int, int>> externSheets; // XTI: first and last sheet index (-1: external)
    QStringList definedNames;                  // NAME records, 1-based in tokens
};

// The text ("=SUM(A1:B2)") of a parsed BIFF8 formula (rgce of `size`
// bytes) of the cell (row, column), both from 0; relative references of
// shared formulas are resolved against that cell. Returns "" for a formula
// it cannot show faithfully (an unknown token or function), never a wrong
// text.
QString decompileBiffFormula(const unsigned char* rgce, std::size_t size, const BiffFormulaContext& context,
                             int row, int column);

} // namespace velmora::sheet
