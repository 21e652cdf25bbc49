#include "platform/spreadsheet/xlsx_sheet_parser.h"

#include "platform/spreadsheet/cell_value.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_look.h"
#include "platform/spreadsheet/xlsx_parts.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace velmora::sheet::xlsx {

namespace {

double isoToDayNumber(const std::string& text)
{
    QDateTime dt = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(QString::fromStdString(text), Qt::ISODate), QTime(0, 0));
    return dt.isValid() ? toDayNumber(dt) : 0;
}

} // namespace

bool Delivery::deliver(RawItem& item)
{
    if (item.isRow) {
        row_ = item.hasRef ? item.row.row : row_ + 1;
        column_ = 0;
        if (row_ < 1 || row_ > kMaxRows)
            throw SheetError(
                QStringLiteral("Книга \"%1\" повреждена: номер строки %2 вне листа").arg(path_).arg(row_));
        item.row.row = row_;
        return sink_.row(item.row);
    }
    CellEvent& e = item.cell;
    if (!item.hasRef) {
        e.row = row_ > 0 ? row_ : 1;
        e.column = column_ + 1;
    } else if (e.row == 0) {
        e.row = row_ > 0 ? row_ : 1;
    }
    if (!CellRef{e.row, e.column}.isValid())
        throw SheetError(QStringLiteral("Книга \"%1\" повреждена: ячейка (%2, %3) вне листа")
                             .arg(path_)
                             .arg(e.row)
                             .arg(e.column));
    row_ = e.row;
    column_ = e.column;
    if (!e.formula.isEmpty()) {
        if (item.sharedSi >= 0 && item.sharedMaster)
            shared_[item.sharedSi] = SharedFormula{e.formula, CellRef{row_, column_}};
    } else if (item.sharedSi >= 0) {
        auto it = shared_.find(item.sharedSi);
        if (it != shared_.end())
            e.formula =
                moveA1Formula(it->second.text, row_ - it->second.origin.row, column_ - it->second.origin.column);
    }
    if (e.type == CellType::Empty && e.formula.isEmpty() && (!keepStyledBlanks_ || e.xf == 0))
        return true;
    return sink_.cell(e);
}

void SheetParser::recordInto(std::vector<RawItem>* items, StringPool* texts)
{
    record_ = items;
    texts_ = texts;
}

void SheetParser::startElement(const char* name, const char** a)
{
    if (inCell_) {
        if (is(name, "v")) {
            text.clear();
            collectText = true;
        } else if (is(name, "f")) {
            text.clear();
            collectText = true;
            const char* type = attribute(a, "t");
            sharedIndex_ = -1;
            sharedMaster_ = false;
            if (type && std::strcmp(type, "shared") == 0) {
                sharedIndex_ = toInt(attribute(a, "si"), -1);
                sharedMaster_ = attribute(a, "ref") != nullptr;
            }
            inFormula_ = true;
        } else if (is(name, "is")) {
            inline_.clear();
            inInline_ = true;
        } else if (is(name, "t") && inInline_ && phonetic_ == 0) {
            text.clear();
            collectText = true;
        } else if (is(name, "rPh")) {
            ++phonetic_;
        }
        return;
    }
    if (is(name, "c")) {
        startCell(a);
    } else if (is(name, "row")) {
        startRow(a);
    } else if (is(name, "dimension")) {
        if (auto r = parseRangeAttr(attribute(a, "ref")))
            sink_.dimension(r->last);
    } else if (is(name, "mergeCell")) {
        if (auto r = parseRangeAttr(attribute(a, "ref")))
            info_.merges.push_back(*r);
    } else if (is(name, "hyperlink")) {
        hyperlink(a);
    } else if (layout_) {
        layoutElement(name, a);
    }
}

void SheetParser::endElement(const char* name)
{
    if (!inCell_)
        return;
    if (is(name, "v")) {
        value_ = text;
        hasValue_ = true;
        collectText = false;
    } else if (is(name, "f")) {
        formulaText_ = text;
        collectText = false;
        inFormula_ = false;
    } else if (is(name, "t") && inInline_ && collectText) {
        appendCellText(inline_, text);
        collectText = false;
    } else if (is(name, "rPh")) {
        --phonetic_;
    } else if (is(name, "is")) {
        inInline_ = false;
        hasInline_ = true;
    } else if (is(name, "c")) {
        endCell();
    }
}

void SheetParser::startRow(const char** a)
{
    RawItem item;
    item.isRow = true;
    RowEvent& e = item.row;
    const char* ref = nullptr;
    const char* height = nullptr;
    const char* customHeight = nullptr;
    const char* level = nullptr;
    const char* hidden = nullptr;
    const char* collapsed = nullptr;
    const char* style = nullptr;
    const char* customFormat = nullptr;
    for (const char** p = a; *p; p += 2) {
        const char* n = localName(p[0]);
        if (is(n, "r"))
            ref = p[1];
        else if (is(n, "ht"))
            height = p[1];
        else if (is(n, "customHeight"))
            customHeight = p[1];
        else if (is(n, "outlineLevel"))
            level = p[1];
        else if (is(n, "hidden"))
            hidden = p[1];
        else if (is(n, "collapsed"))
            collapsed = p[1];
        else if (is(n, "s"))
            style = p[1];
        else if (is(n, "customFormat"))
            customFormat = p[1];
    }
    item.hasRef = ref != nullptr;
    e.row = toInt(ref);
    if (toBool(customHeight) || layout_)
        e.height = toDouble(height);
    e.outlineLevel = std::uint8_t(std::clamp(toInt(level), 0, 7));
    e.hidden = toBool(hidden);
    e.collapsed = toBool(collapsed);
    if (toBool(customFormat))
        e.xf = std::uint32_t(std::max(0, toInt(style)));
    put(item);
}

void SheetParser::put(RawItem& item)
{
    if (record_)
        record_->push_back(std::move(item));
    else if (!delivery_.deliver(item))
        stop();
}

void SheetParser::startCell(const char** a)
{
    inCell_ = true;
    hasValue_ = false;
    hasInline_ = false;
    value_.clear();
    formulaText_.clear();
    sharedIndex_ = -1;
    sharedMaster_ = false;
    const char* ref = nullptr;
    const char* style = nullptr;
    const char* t = nullptr;
    for (const char** p = a; *p; p += 2) {
        const char* n = localName(p[0]);
        if (n[0] == 'r' && n[1] == 0)
            ref = p[1];
        else if (n[0] == 's' && n[1] == 0)
            style = p[1];
        else if (n[0] == 't' && n[1] == 0)
            t = p[1];
    }
    hasRef_ = ref != nullptr;
    ref_ = CellRef{};
    if (ref) {
        ref_ = parseRef(ref);
        if (ref_.column == 0)
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: неверный адрес ячейки \"%2\"")
                                 .arg(path_, QString::fromUtf8(ref)));
    }
    xf_ = std::uint32_t(std::max(0, toInt(style)));
    type_ = !t                            ? Type::Number
            : std::strcmp(t, "s") == 0    ? Type::Shared
            : std::strcmp(t, "str") == 0  ? Type::String
            : std::strcmp(t, "inlineStr") == 0 ? Type::Inline
            : std::strcmp(t, "b") == 0    ? Type::Bool
            : std::strcmp(t, "e") == 0    ? Type::Error
            : std::strcmp(t, "d") == 0    ? Type::IsoDate
                                          : Type::Number;
}

void SheetParser::endCell()
{
    inCell_ = false;
    RawItem item;
    item.hasRef = hasRef_;
    CellEvent& e = item.cell;
    e.row = ref_.row;
    e.column = ref_.column;
    e.xf = xf_;
    e.pool = nullptr;
    e.sharedIndex = -1;
    e.text.clear();
    e.type = CellType::Empty;
    e.number = 0;
    switch (type_) {
    case Type::Number:
        if (hasValue_ && !value_.empty()) {
            e.number = 0;
            const auto res = std::from_chars(value_.data(), value_.data() + value_.size(), e.number);
            if (res.ec != std::errc())
                e.number = std::atof(value_.c_str());
            const bool date = xf_ < isDate_.size() && isDate_[xf_];
            if (date && date1904_)
                e.number += 1462;
            e.type = date ? CellType::Date : CellType::Number;
            e.settleNumber();
        }
        break;
    case Type::Shared:
        if (hasValue_) {
            const int index = std::atoi(value_.c_str());
            if (!sst_) {
                e.sharedIndex = index;
                e.type = CellType::Text;
                break;
            }
            if (index < 0 || std::size_t(index) >= sst_->size())
                throw SheetError(QStringLiteral("Книга \"%1\" повреждена: нет общей строки %2 (ячейка %3)")
                                     .arg(path_)
                                     .arg(index)
                                     .arg(hasRef_ ? toA1(ref_) : QString()));
            e.pool = pool_;
            e.span = (*sst_)[std::size_t(index)];
            e.sharedIndex = index;
            e.type = CellType::Text;
        }
        break;
    case Type::String:
        if (hasValue_) {
            setText(e, value_);
            e.type = CellType::Text;
        }
        break;
    case Type::Inline:
        if (hasInline_) {
            setText(e, inline_);
            e.type = CellType::Text;
        }
        break;
    case Type::Bool:
        if (hasValue_) {
            e.number = value_ == "1" || value_ == "true" ? 1 : 0;
            e.type = CellType::Boolean;
        }
        break;
    case Type::Error:
        if (hasValue_) {
            e.text = QString::fromStdString(value_);
            e.type = CellType::Error;
        }
        break;
    case Type::IsoDate:
        if (hasValue_) {
            e.number = isoToDayNumber(value_);
            e.type = CellType::Date;
        }
        break;
    }
    if (!formulaText_.empty())
        e.formula = u'=' + QString::fromUtf8(formulaText_.data(), qsizetype(formulaText_.size()));
    item.sharedSi = sharedIndex_;
    item.sharedMaster = sharedMaster_;
    if (e.type == CellType::Empty && e.formula.isEmpty() && sharedIndex_ < 0 && (!layout_ || xf_ == 0))
        return;
    put(item);
}

void SheetParser::setText(CellEvent& e, const std::string& utf8)
{
    if (texts_ && utf8.find("_x") == std::string::npos) {
        e.pool = texts_;
        e.span = texts_->addUtf8(utf8.data(), utf8.size());
    } else {
        e.text = decodeXlsxString(utf8);
    }
}

void SheetParser::hyperlink(const char** a)
{
    auto range = parseRangeAttr(attribute(a, "ref"));
    if (!range)
        return;
    Hyperlink link;
    link.range = *range;
    if (const char* location = attribute(a, "location"))
        link.subAddress = QString::fromUtf8(location);
    info_.hyperlinks.push_back(link);
    if (const char* id = attribute(a, "id"))
        linkIds.emplace_back(*range, id);
}

void SheetParser::layoutElement(const char* name, const char** a)
{
    if (is(name, "col")) {
        const int first = std::max(1, toInt(attribute(a, "min"), 1));
        const int last = std::min(kMaxColumns, toInt(attribute(a, "max"), first));
        StoredColumn column;
        if (const char* width = attribute(a, "width"))
            column.width = columnWidthFromFile(toDouble(width, -1));
        if (const char* style = attribute(a, "style"))
            column.style = std::uint32_t(std::max(0, toInt(style)));
        column.hidden = toBool(attribute(a, "hidden"));
        column.outlineLevel = std::uint8_t(std::clamp(toInt(attribute(a, "outlineLevel")), 0, 7));
        // A span over the whole width (a default for all columns) is kept
        // only up to a sensible width.
        for (int c = first; c <= std::min(last, first + 1024); ++c)
            layout_->columns[c] = column;
    } else if (is(name, "outlinePr")) {
        layout_->summaryAbove = !toBool(attribute(a, "summaryBelow"), true);
        layout_->summaryLeft = !toBool(attribute(a, "summaryRight"), true);
    } else if (is(name, "autoFilter")) {
        layout_->autoFilter = parseRangeAttr(attribute(a, "ref"));
    } else if (is(name, "selection")) {
        const CellRef active = parseRef(attribute(a, "activeCell"));
        if (active.isValid())
            layout_->activeCell = active;
    } else if (is(name, "sheetFormatPr")) {
        layout_->defaultRowHeight = toDouble(attribute(a, "defaultRowHeight"), 15);
        if (const char* width = attribute(a, "defaultColWidth"))
            layout_->defaultColumnWidth = toDouble(width, 8.43);
    } else if (is(name, "pageSetUpPr")) {
        layout_->page.fitToPages = toBool(attribute(a, "fitToPage"));
    } else if (is(name, "pageMargins")) {
        PageSetup& p = layout_->page;
        if (const char* v = attribute(a, "left"))
            p.marginLeft = toDouble(v);
        if (const char* v = attribute(a, "right"))
            p.marginRight = toDouble(v);
        if (const char* v = attribute(a, "top"))
            p.marginTop = toDouble(v);
        if (const char* v = attribute(a, "bottom"))
            p.marginBottom = toDouble(v);
        if (const char* v = attribute(a, "header"))
            p.marginHeader = toDouble(v);
        if (const char* v = attribute(a, "footer"))
            p.marginFooter = toDouble(v);
    } else if (is(name, "pageSetup")) {
        PageSetup& p = layout_->page;
        const char* orientation = attribute(a, "orientation");
        p.landscape = orientation && std::strcmp(orientation, "landscape") == 0;
        p.paperSize = toInt(attribute(a, "paperSize"));
        p.scale = std::clamp(toInt(attribute(a, "scale"), 100), 10, 400);
        p.fitWidth = toInt(attribute(a, "fitToWidth"), 1);
        p.fitHeight = toInt(attribute(a, "fitToHeight"), 1);
    } else if (is(name, "printOptions")) {
        layout_->page.centerHorizontally = toBool(attribute(a, "horizontalCentered"));
        layout_->page.centerVertically = toBool(attribute(a, "verticalCentered"));
    } else if (is(name, "pane")) {
        const char* state = attribute(a, "state");
        if (state && std::strcmp(state, "frozen") == 0) {
            layout_->freezeAt = CellRef{toInt(attribute(a, "ySplit")) + 1, toInt(attribute(a, "xSplit")) + 1};
        }
    }
}

} // namespace velmora::sheet::xlsx
