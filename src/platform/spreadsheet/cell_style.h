#pragma once

#include "platform/spreadsheet/color.h"

#include <QString>
#include <array>
#include <optional>

namespace velmora::sheet {

// The spreadsheet's own numbers are kept as the enum values, so a caller can
// pass the constants it was given (HorizontalAlignment -4108 is Center).
enum class HAlign : int {
    General = 1,
    Left = -4131,
    Center = -4108,
    Right = -4152,
    Fill = 5,
    Justify = -4130,
    CenterAcrossSelection = 7,
    Distributed = -4117,
};

enum class VAlign : int { Top = -4160, Center = -4108, Bottom = -4107, Justify = -4130, Distributed = -4117 };

enum class LineStyle : int {
    None = -4142,
    Continuous = 1,
    Dash = -4115,
    DashDot = 4,
    DashDotDot = 5,
    Dot = -4118,
    Double = -4119,
    SlantDashDot = 13,
};

enum class BorderWeight : int { Hairline = 1, Thin = 2, Medium = -4138, Thick = 4 };

// Border positions. The spreadsheet's Borders(n) index maps as: 1 or 7 left,
// 2 or 10 right, 3 or 8 top, 4 or 9 bottom, 11 inside vertical, 12 inside
// horizontal, 5 diagonal down, 6 diagonal up (see borderEdgeFromIndex).
enum class BorderEdge : int {
    Left = 7,
    Top = 8,
    Bottom = 9,
    Right = 10,
    InsideVertical = 11,
    InsideHorizontal = 12,
    DiagonalDown = 5,
    DiagonalUp = 6,
};
// Throws SheetError for an index that names no border.
BorderEdge borderEdgeFromIndex(int index);

struct Border {
    LineStyle style = LineStyle::None;
    BorderWeight weight = BorderWeight::Thin;
    Color color; // black
    bool operator==(const Border&) const = default;
};

// The default is the writer's default font (Calibri 11).
struct Font {
    QString name = QStringLiteral("Calibri");
    double size = 11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    Color color; // black
    bool operator==(const Font&) const = default;
};

// The formatting of one cell.
struct CellStyle {
    Font font;
    std::optional<Color> fill; // none: no fill
    QString numberFormat;      // "" is General
    HAlign hAlign = HAlign::General;
    std::optional<VAlign> vAlign; // none: bottom
    bool wrapText = false;
    int indent = 0;
    // Sides of the cell: left, top, right, bottom, diagonal.
    Border left, top, right, bottom, diagonal;
    bool diagonalDown = false;
    bool diagonalUp = false;
    bool locked = true;
    bool operator==(const CellStyle&) const = default;
};

// A run of partial rich text: `length` characters from `start` (from 0) of
// the cell's text drawn in `font`.
struct RichRun {
    int start = 0;
    int length = 0;
    Font font;
    bool operator==(const RichRun&) const = default;
};

} // namespace velmora::sheet
