#include "price_list_rows.h"

#include "platform/spreadsheet/cell_ref.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

#include <algorithm>

namespace velmora::output {

void formatGroupHeader(sheet::Range range, const HeaderLook& look)
{
    range.changeStyle([&look](sheet::CellStyle& style) {
        style.font.name = look.fontName;
        style.font.size = look.fontSize;
        style.font.color = look.fontColor;
        style.font.bold = look.bold;
        style.font.italic = look.italic;
        style.font.underline = look.underline;
        style.fill = look.fill;
    });
}

GroupOutline::GroupOutline(sheet::Worksheet& sheet) : sheet_(sheet) { sheet_.setOutlineSummaryAbove(true); }

void GroupOutline::beginGroup(int level, int headerRow)
{
    level = std::clamp(level, 1, int(headers_.size()) + 1);
    closeFrom(level, headerRow);
    headers_.push_back(headerRow);
}

void GroupOutline::finish(int nextRow) { closeFrom(1, nextRow); }

void GroupOutline::closeFrom(int level, int nextRow)
{
    // The rows of a group that reach past the sheet's end were never
    // written; the outline stops with the sheet.
    const int last = std::min(nextRow - 1, sheet::kMaxRows);
    while (int(headers_.size()) >= level) {
        const int first = headers_.back() + 1;
        headers_.pop_back();
        if (first <= last)
            sheet_.groupRows(first, last);
    }
}

SuperPriceMark readSuperPriceMark(SettingsStore& orderSettings)
{
    SuperPriceMark mark;
    mark.on = orderSettings.readBoolean(QStringLiteral("SuperPrice"), QStringLiteral("0"));
    mark.text = orderSettings.readText(QStringLiteral("SuperPrice"), QString());
    return mark;
}

std::optional<double> outputPrice(double price1, double nacen, double markup, double rate, int digits)
{
    if (!(price1 > 0))
        return std::nullopt;
    return RoundValue(digits, price1 * (1 + nacen / 100.0) * (1 + markup / 100.0) * rate);
}

} // namespace velmora::output
