#pragma once

// The cell formats of a BIFF8 (.xls) workbook: its FONT, XF and PALETTE
// records, gathered from the workbook globals, made into CellStyles.

#include "platform/spreadsheet/cell_style.h"

#include <QString>

#include <cstddef>
#include <map>
#include <vector>

namespace velmora::sheet::xls {

class StyleRecords {
public:
    // One record's body each, as the globals give them (a record too short
    // for its fields is left out).
    void font(const unsigned char* data, std::size_t size);
    void xf(const unsigned char* data, std::size_t size);
    void palette(const unsigned char* data, std::size_t size);

    // The formats by XF index (cells carry that index); `numberFormats` are
    // the file's own FORMAT records by id.
    std::vector<CellStyle> cellStyles(const std::map<int, QString>& numberFormats) const;

private:
    Color color(int index) const;
    std::vector<Font> fonts_;
    std::vector<std::vector<unsigned char>> xfs_;
    std::vector<Color> palette_; // the file's own colours 8 ... 63, when it has them
};

} // namespace velmora::sheet::xls
