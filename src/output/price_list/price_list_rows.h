#pragma once

#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/color.h"
#include "platform/spreadsheet/range.h"
#include "platform/spreadsheet/worksheet.h"

#include <QString>

#include <optional>
#include <vector>

namespace velmora {
class SettingsStore;
}

namespace velmora::output {

// What the price-list workbooks that walk the goods group tree share: a
// header row per group formatted by its level, the group's goods below it,
// and row outlines by level (the spreadsheet price list; the combined price
// list by category).

// The look of a group's header row.
struct HeaderLook {
    QString fontName = QStringLiteral("Arial");
    double fontSize = 10;
    sheet::Color fontColor;          // black
    std::optional<sheet::Color> fill; // none: no fill
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// Gives every cell of `range` the look: font name, size, colour, bold,
// italic, underline and the fill; the rest of each cell's format stays.
void formatGroupHeader(sheet::Range range, const HeaderLook& look);

// The outline of the rows of a walk over the group tree: the rows below a
// group's header down to the row above the next header of its level or
// higher form one outline group, one level deeper than its parent's, with
// the header as the summary row above. A group without rows below its
// header forms none. The spreadsheet keeps at most seven levels: deeper
// groups stay at the seventh.
//
//     GroupOutline outline(sheet);
//     for (each group of the walk) {
//         outline.beginGroup(level, row);   // the group's header row
//         ... write the header and the goods below it ...
//     }
//     outline.finish(nextFreeRow);
class GroupOutline {
public:
    // Sets the sheet's outline to show summary rows above their detail.
    explicit GroupOutline(sheet::Worksheet& sheet);

    // A group of `level` (1: a top-level group) has its header at
    // `headerRow`: every open group of that level or deeper ends above it.
    // A level more than one below the deepest open one counts as the next.
    void beginGroup(int level, int headerRow);
    // The walk is over; `nextRow` is the row below the last one written.
    void finish(int nextRow);

private:
    void closeFrom(int level, int nextRow);
    sheet::Worksheet& sheet_;
    std::vector<int> headers_; // the header row of the open group of each level, from level 1
};

// The name suffix of super-priced goods: the setting SuperPrice as a
// boolean (on/off) and as a text.
struct SuperPriceMark {
    bool on = false;
    QString text;

    // `tovar` + " " + the text for a super-priced good while on; else `tovar`.
    QString nameOf(const QString& tovar, bool superPrice) const
    {
        return on && superPrice ? tovar + u' ' + text : tovar;
    }
};
// Reads both values (a missing row is stored with "0" and ""). Throws
// db::DbError.
SuperPriceMark readSuperPriceMark(SettingsStore& orderSettings);

// A good's price in an output price column: Price_1 × (1 + Nacen / 100) ×
// (1 + markup / 100), times `rate` (roubles per dollar) when the column is
// in roubles (pass 1 for dollars), rounded half up to `digits` places;
// nullopt when Price_1 is 0 or below (the list shows " - ").
std::optional<double> outputPrice(double price1, double nacen, double markup, double rate, int digits);

} // namespace velmora::output
