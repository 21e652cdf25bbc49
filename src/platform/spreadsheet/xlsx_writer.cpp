// Workbook::saveAs: the model written through libxlsxwriter.
#include "platform/files/file_replace.h"
#include "platform/spreadsheet/number_formats.h"
#include "platform/spreadsheet/page_setup.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_store.h"
#include "platform/spreadsheet/style_table.h"
#include "platform/spreadsheet/workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <dlfcn.h>
#include <minizip/zip.h>
#include <unordered_map>
#include <xlsxwriter.h>

namespace velmora::sheet {

namespace {

constexpr int kMaxCellText = 32767;

lxw_color_t lxwColor(Color color)
{
    // libxlsxwriter reads 0 as "no colour": black has its own constant.
    const std::uint32_t rgb = color.rgb();
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : lxw_color_t(rgb);
}

std::uint8_t lxwBorder(const Border& b)
{
    const bool medium = b.weight == BorderWeight::Medium;
    switch (b.style) {
    case LineStyle::None:
        return LXW_BORDER_NONE;
    case LineStyle::Continuous:
        switch (b.weight) {
        case BorderWeight::Hairline:
            return LXW_BORDER_HAIR;
        case BorderWeight::Thin:
            return LXW_BORDER_THIN;
        case BorderWeight::Medium:
            return LXW_BORDER_MEDIUM;
        case BorderWeight::Thick:
            return LXW_BORDER_THICK;
        }
        return LXW_BORDER_THIN;
    case LineStyle::Dash:
        return medium || b.weight == BorderWeight::Thick ? LXW_BORDER_MEDIUM_DASHED : LXW_BORDER_DASHED;
    case LineStyle::Dot:
        return LXW_BORDER_DOTTED;
    case LineStyle::Double:
        return LXW_BORDER_DOUBLE;
    case LineStyle::DashDot:
        return medium || b.weight == BorderWeight::Thick ? LXW_BORDER_MEDIUM_DASH_DOT : LXW_BORDER_DASH_DOT;
    case LineStyle::DashDotDot:
        return medium || b.weight == BorderWeight::Thick ? LXW_BORDER_MEDIUM_DASH_DOT_DOT : LXW_BORDER_DASH_DOT_DOT;
    case LineStyle::SlantDashDot:
        return LXW_BORDER_SLANT_DASH_DOT;
    }
    return LXW_BORDER_THIN;
}

std::uint8_t lxwHAlign(HAlign a)
{
    switch (a) {
    case HAlign::General:
        return LXW_ALIGN_NONE;
    case HAlign::Left:
        return LXW_ALIGN_LEFT;
    case HAlign::Center:
        return LXW_ALIGN_CENTER;
    case HAlign::Right:
        return LXW_ALIGN_RIGHT;
    case HAlign::Fill:
        return LXW_ALIGN_FILL;
    case HAlign::Justify:
        return LXW_ALIGN_JUSTIFY;
    case HAlign::CenterAcrossSelection:
        return LXW_ALIGN_CENTER_ACROSS;
    case HAlign::Distributed:
        return LXW_ALIGN_DISTRIBUTED;
    }
    return LXW_ALIGN_NONE;
}

std::uint8_t lxwVAlign(VAlign a)
{
    switch (a) {
    case VAlign::Top:
        return LXW_ALIGN_VERTICAL_TOP;
    case VAlign::Center:
        return LXW_ALIGN_VERTICAL_CENTER;
    case VAlign::Bottom:
        return LXW_ALIGN_VERTICAL_BOTTOM;
    case VAlign::Justify:
        return LXW_ALIGN_VERTICAL_JUSTIFY;
    case VAlign::Distributed:
        return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    }
    return LXW_ALIGN_VERTICAL_BOTTOM;
}

void applyFont(lxw_format* f, const Font& font)
{
    const QByteArray name = font.name.toUtf8();
    format_set_font_name(f, name.constData());
    format_set_font_size(f, font.size);
    if (font.bold)
        format_set_bold(f);
    if (font.italic)
        format_set_italic(f);
    if (font.underline)
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (font.strikeout)
        format_set_font_strikeout(f);
    if (font.color.rgb() != 0)
        format_set_font_color(f, lxwColor(font.color));
}

// Writes one workbook; owns the libxlsxwriter handle until close.
class Writer {
public:
    Writer(const Workbook& book, const QString& file) : book_(book), file_(file)
    {
        lxw_workbook_options options{};
        // Row-by-row output is much lighter for large sheets, but cannot
        // merge cells: only a workbook without merges uses it.
        bool merges = false;
        for (int i = 1; i <= book.sheetCount(); ++i)
            merges = merges || !book.sheet(i).merges().empty();
        options.constant_memory = merges ? LXW_FALSE : LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        const QByteArray name = QFile::encodeName(file);
        wb_ = workbook_new_opt(name.constData(), &options);
        if (!wb_)
            throw SheetError(QStringLiteral("Не удалось создать файл \"%1\"").arg(file));
    }
    ~Writer()
    {
        if (wb_)
            workbook_close(wb_); // only on a failure path: the file is removed afterwards
    }

    void write()
    {
        for (int i = 1; i <= book_.sheetCount(); ++i)
            writeSheet(book_.sheet(i), i);
        lxw_workbook* wb = wb_;
        wb_ = nullptr;
        const lxw_error rc = workbook_close(wb);
        if (rc != LXW_NO_ERROR)
            throw SheetError(QStringLiteral("Не удалось записать книгу \"%1\": %2")
                                 .arg(file_, QString::fromUtf8(lxw_strerror(rc))));
    }

private:
    void check(lxw_error rc, const SheetStore& sheet, int row, int column)
    {
        if (rc != LXW_NO_ERROR)
            throw SheetError(QStringLiteral("Не удалось записать ячейку %1 листа \"%2\": %3")
                                 .arg(toA1(CellRef{row, column}), sheet.name, QString::fromUtf8(lxw_strerror(rc))));
    }

    lxw_format* format(std::uint32_t style)
    {
        if (style == 0)
            return nullptr;
        auto it = formats_.find(style);
        if (it != formats_.end())
            return it->second;
        const CellStyle& s = book_.styles().at(style);
        lxw_format* f = workbook_add_format(wb_);
        applyFont(f, s.font);
        if (s.fill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, lxwColor(*s.fill));
        }
        if (!s.numberFormat.isEmpty()) {
            const int builtin = builtinNumberFormatId(s.numberFormat);
            if (builtin > 0) {
                format_set_num_format_index(f, std::uint8_t(builtin));
            } else {
                const QByteArray code = s.numberFormat.toUtf8();
                format_set_num_format(f, code.constData());
            }
        }
        if (s.hAlign != HAlign::General)
            format_set_align(f, lxwHAlign(s.hAlign));
        if (s.vAlign)
            format_set_align(f, lxwVAlign(*s.vAlign));
        if (s.wrapText)
            format_set_text_wrap(f);
        if (s.indent > 0)
            format_set_indent(f, std::uint8_t(std::min(s.indent, 250)));
        if (!s.locked)
            format_set_unlocked(f);
        auto side = [&](const Border& b, void (*setStyle)(lxw_format*, std::uint8_t),
                        void (*setColor)(lxw_format*, lxw_color_t)) {
            if (b.style == LineStyle::None)
                return;
            setStyle(f, lxwBorder(b));
            if (b.color.rgb() != 0)
                setColor(f, lxwColor(b.color));
        };
        side(s.left, format_set_left, format_set_left_color);
        side(s.right, format_set_right, format_set_right_color);
        side(s.top, format_set_top, format_set_top_color);
        side(s.bottom, format_set_bottom, format_set_bottom_color);
        if ((s.diagonalUp || s.diagonalDown) && s.diagonal.style != LineStyle::None) {
            format_set_diag_type(f, s.diagonalUp && s.diagonalDown ? LXW_DIAGONAL_BORDER_UP_DOWN
                                    : s.diagonalUp                 ? LXW_DIAGONAL_BORDER_UP
                                                                   : LXW_DIAGONAL_BORDER_DOWN);
            format_set_diag_border(f, lxwBorder(s.diagonal));
            if (s.diagonal.color.rgb() != 0)
                format_set_diag_color(f, lxwColor(s.diagonal.color));
        }
        formats_.emplace(style, f);
        return f;
    }

    lxw_format* fontFormat(const Font& font)
    {
        for (auto& [known, f] : fontFormats_)
            if (known == font)
                return f;
        lxw_format* f = workbook_add_format(wb_);
        applyFont(f, font);
        fontFormats_.emplace_back(font, f);
        return f;
    }

    static QByteArray cellText(const QString& text)
    {
        return (text.size() > kMaxCellText ? text.left(kMaxCellText) : text).toUtf8();
    }

    // The cell text in UTF-8, in a buffer reused from cell to cell (the
    // writer copies it); cut at the format's limit of 32767 characters.
    const char* utf8(const QString& text)
    {
        const qsizetype length = std::min<qsizetype>(text.size(), kMaxCellText);
        buffer_.resize(std::size_t(length) * 3 + 1);
        char* out = buffer_.data();
        std::size_t n = 0;
        const QChar* in = text.constData();
        for (qsizetype i = 0; i < length; ++i) {
            char32_t ch = in[i].unicode();
            if (QChar::isHighSurrogate(ch) && i + 1 < length && in[i + 1].isLowSurrogate()) {
                ch = QChar::surrogateToUcs4(char16_t(ch), in[i + 1].unicode());
                ++i;
            }
            if (ch < 0x80) {
                out[n++] = char(ch);
            } else if (ch < 0x800) {
                out[n++] = char(0xC0 | (ch >> 6));
                out[n++] = char(0x80 | (ch & 0x3F));
            } else if (ch < 0x10000) {
                out[n++] = char(0xE0 | (ch >> 12));
                out[n++] = char(0x80 | ((ch >> 6) & 0x3F));
                out[n++] = char(0x80 | (ch & 0x3F));
            } else {
                out[n++] = char(0xF0 | (ch >> 18));
                out[n++] = char(0x80 | ((ch >> 12) & 0x3F));
                out[n++] = char(0x80 | ((ch >> 6) & 0x3F));
                out[n++] = char(0x80 | (ch & 0x3F));
            }
        }
        out[n] = '\0';
        return out;
    }

    void writeSheet(const Worksheet& sheet, int index)
    {
        const SheetStore& s = sheet.store();
        const QByteArray name = s.name.toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(wb_, name.constData());
        if (!ws)
            throw SheetError(QStringLiteral("Недопустимое имя листа \"%1\"").arg(s.name));

        // Columns: consecutive columns with equal settings go as one span.
        for (auto it = s.columns.begin(); it != s.columns.end();) {
            auto next = it;
            int last = it->first;
            ++next;
            while (next != s.columns.end() && next->first == last + 1 && next->second.width == it->second.width &&
                   next->second.style == it->second.style && next->second.hidden == it->second.hidden &&
                   next->second.outlineLevel == it->second.outlineLevel) {
                last = next->first;
                ++next;
            }
            const StoredColumn& c = it->second;
            lxw_row_col_options opt{};
            opt.hidden = c.hidden;
            opt.level = c.outlineLevel;
            const double width = c.width >= 0 ? c.width : s.defaultColumnWidth;
            worksheet_set_column_opt(ws, lxw_col_t(it->first - 1), lxw_col_t(last - 1), width,
                                     c.style ? format(*c.style) : nullptr, &opt);
            it = next;
        }
        if (s.defaultRowHeight != 15 && s.defaultRowHeight > 0)
            worksheet_set_default_row(ws, s.defaultRowHeight, LXW_FALSE);

        // Before any row: row-by-row output refuses ranges above its row.
        if (s.autoFilter)
            check(worksheet_autofilter(ws, lxw_row_t(s.autoFilter->first.row - 1),
                                       lxw_col_t(s.autoFilter->first.column - 1),
                                       lxw_row_t(s.autoFilter->last.row - 1), lxw_col_t(s.autoFilter->last.column - 1)),
                  s, s.autoFilter->first.row, s.autoFilter->first.column);

        // Links go out with their row: row-by-row output cannot go back.
        std::map<CellRef, const Hyperlink*> links;
        for (const Hyperlink& l : s.hyperlinks)
            links.emplace(l.range.first, &l);
        auto link = links.begin();
        const int lastRow = std::max(int(s.rows.size()), links.empty() ? 0 : links.rbegin()->first.row);

        for (int rowNumber = 1; rowNumber <= lastRow; ++rowNumber) {
            const auto row0 = lxw_row_t(rowNumber - 1);
            static const StoredRow kEmptyRow;
            const StoredRow& row = std::size_t(rowNumber) <= s.rows.size() ? s.rows[row0] : kEmptyRow;
            if (row.height > 0 || row.style || row.outlineLevel || row.hidden || row.collapsed) {
                lxw_row_col_options opt{};
                opt.hidden = row.hidden;
                opt.level = row.outlineLevel;
                opt.collapsed = row.collapsed;
                const double height = row.height > 0 ? row.height : s.defaultRowHeight;
                worksheet_set_row_opt(ws, row0, height, row.style ? format(*row.style) : nullptr, &opt);
            }
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                const int column = int(c + 1);
                while (link != links.end() && link->first < CellRef{rowNumber, column}) {
                    writeLink(ws, s, *link->second);
                    ++link;
                }
                if (link != links.end() && link->first == CellRef{rowNumber, column}) {
                    writeLink(ws, s, *link->second);
                    ++link;
                    continue;
                }
                const StoredCell& cell = row.cells[c];
                if (!cell.isBlank())
                    writeCell(ws, s, rowNumber, column, cell);
            }
            while (link != links.end() && link->first.row == rowNumber) {
                writeLink(ws, s, *link->second);
                ++link;
            }
        }
        for (const CellRange& m : s.merges) {
            // merge_range writes the first cell as a string: write the merge
            // with the first cell's format, then put its value back.
            const StoredCell* first = s.cell(m.first.row, m.first.column);
            lxw_format* f = format(first ? first->style : 0);
            check(worksheet_merge_range(ws, lxw_row_t(m.first.row - 1), lxw_col_t(m.first.column - 1),
                                        lxw_row_t(m.last.row - 1), lxw_col_t(m.last.column - 1), "", f),
                  s, m.first.row, m.first.column);
            if (first && !first->isBlank())
                writeCell(ws, s, m.first.row, m.first.column, *first);
            // Formats of the other cells of the block are kept too.
            for (int r = m.first.row; r <= m.last.row; ++r)
                for (int c = m.first.column; c <= m.last.column; ++c) {
                    if (r == m.first.row && c == m.first.column)
                        continue;
                    const StoredCell* other = s.cell(r, c);
                    if (other && other->style)
                        worksheet_write_blank(ws, lxw_row_t(r - 1), lxw_col_t(c - 1), format(other->style));
                }
        }
        worksheet_outline_settings(ws, LXW_TRUE, s.summaryAbove ? LXW_FALSE : LXW_TRUE,
                                   s.summaryLeft ? LXW_FALSE : LXW_TRUE, LXW_FALSE);
        writePageSetup(ws, s.page);
        if (s.freezeAt.row > 1 || s.freezeAt.column > 1)
            worksheet_freeze_panes(ws, lxw_row_t(std::max(0, s.freezeAt.row - 1)),
                                   lxw_col_t(std::max(0, s.freezeAt.column - 1)));
        if (s.activeCell.isValid())
            worksheet_set_selection(ws, lxw_row_t(s.activeCell.row - 1), lxw_col_t(s.activeCell.column - 1),
                                    lxw_row_t(s.activeCell.row - 1), lxw_col_t(s.activeCell.column - 1));
        if (book_.indexOf(sheet) == activeIndex())
            worksheet_activate(ws);
        (void)index;
    }

    static void writePageSetup(lxw_worksheet* ws, const PageSetup& p)
    {
        if (p.landscape)
            worksheet_set_landscape(ws);
        if (p.paperSize > 0 && p.paperSize < 256)
            worksheet_set_paper(ws, std::uint8_t(p.paperSize));
        if (p.fitToPages)
            worksheet_fit_to_pages(ws, std::uint16_t(std::max(0, p.fitWidth)), std::uint16_t(std::max(0, p.fitHeight)));
        else if (p.scale != 100)
            worksheet_set_print_scale(ws, std::uint16_t(p.scale));
        if (p.marginLeft || p.marginRight || p.marginTop || p.marginBottom)
            worksheet_set_margins(ws, p.marginLeft.value_or(-1), p.marginRight.value_or(-1), p.marginTop.value_or(-1),
                                  p.marginBottom.value_or(-1));
        if (p.centerHorizontally)
            worksheet_center_horizontally(ws);
        if (p.centerVertically)
            worksheet_center_vertically(ws);
        if (p.repeatRows)
            worksheet_repeat_rows(ws, lxw_row_t(p.repeatRows->first - 1), lxw_row_t(p.repeatRows->second - 1));
        if (p.printArea)
            worksheet_print_area(ws, lxw_row_t(p.printArea->first.row - 1), lxw_col_t(p.printArea->first.column - 1),
                                 lxw_row_t(p.printArea->last.row - 1), lxw_col_t(p.printArea->last.column - 1));
    }

    int activeIndex() const
    {
        return book_.indexOf(const_cast<Workbook&>(book_).activeSheet());
    }

    void writeCell(lxw_worksheet* ws, const SheetStore& s, int row, int column, const StoredCell& cell)
    {
        const auto r = lxw_row_t(row - 1);
        const auto c = lxw_col_t(column - 1);
        lxw_format* f = format(cell.style);
        if (!cell.formula.isEmpty()) {
            const QByteArray formula = cell.formula.toUtf8();
            if (cell.value.isText()) {
                const QByteArray result = cellText(cell.value.textValue());
                check(worksheet_write_formula_str(ws, r, c, formula.constData(), f, result.constData()), s, row,
                      column);
            } else {
                check(worksheet_write_formula_num(ws, r, c, formula.constData(), f, cell.value.toNumber()), s, row,
                      column);
            }
            return;
        }
        switch (cell.value.type()) {
        case CellType::Empty:
            check(worksheet_write_blank(ws, r, c, f), s, row, column);
            return;
        case CellType::Number:
        case CellType::Date:
            check(worksheet_write_number(ws, r, c, cell.value.toNumber(), f), s, row, column);
            return;
        case CellType::Boolean:
            check(worksheet_write_boolean(ws, r, c, cell.value.toNumber() != 0, f), s, row, column);
            return;
        case CellType::Error: {
            const QByteArray formula = (u'=' + cell.value.textValue()).toUtf8();
            check(worksheet_write_formula_num(ws, r, c, formula.constData(), f, 0), s, row, column);
            return;
        }
        case CellType::Text:
            break;
        }
        const QString& text = cell.value.textValue();
        auto rich = s.richText.find(CellRef{row, column});
        if (rich != s.richText.end() && !text.isEmpty() && text.size() <= kMaxCellText) {
            std::vector<QByteArray> pieces;
            std::vector<lxw_rich_string_tuple> tuples;
            for (const RichRun& run : rich->second) {
                if (run.length <= 0 || run.start >= text.size())
                    continue;
                pieces.push_back(text.mid(run.start, run.length).toUtf8());
                tuples.push_back(lxw_rich_string_tuple{fontFormat(run.font), nullptr});
            }
            std::vector<lxw_rich_string_tuple*> list;
            for (std::size_t i = 0; i < tuples.size(); ++i) {
                tuples[i].string = pieces[i].data();
                list.push_back(&tuples[i]);
            }
            list.push_back(nullptr);
            if (tuples.size() >= 2) {
                check(worksheet_write_rich_string(ws, r, c, list.data(), f), s, row, column);
                return;
            }
        }
        check(worksheet_write_string(ws, r, c, utf8(text), f), s, row, column);
    }

    void writeLink(lxw_worksheet* ws, const SheetStore& s, const Hyperlink& link)
    {
        const int row = link.range.first.row;
        const int column = link.range.first.column;
        QString url = link.address;
        if (url.isEmpty() && link.subAddress.isEmpty())
            return;
        if (url.isEmpty())
            url = QStringLiteral("internal:") + link.subAddress;
        else if (!link.subAddress.isEmpty())
            url += u'#' + link.subAddress;
        else if (!url.contains(QLatin1String("://")) && !url.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
            url = QStringLiteral("external:") + url;
        const QByteArray target = url.toUtf8();
        const StoredCell* cell = s.cell(row, column);
        lxw_format* f = format(cell ? cell->style : 0);
        const QByteArray shown = cellText(cell ? cell->value.toText() : QString());
        lxw_error rc = worksheet_write_url_opt(ws, lxw_row_t(row - 1), lxw_col_t(column - 1), target.constData(), f,
                                               shown.isEmpty() ? nullptr : shown.constData(), nullptr);
        if (rc == LXW_ERROR_WORKSHEET_MAX_URL_LENGTH_EXCEEDED || rc == LXW_ERROR_WORKSHEET_MAX_NUMBER_URLS_EXCEEDED)
            return; // beyond what the format can hold: the cell keeps its text
        check(rc, s, row, column);
        // write_url replaced the cell by a string: put a number or formula back.
        if (cell && (!cell->formula.isEmpty() || cell->value.type() != CellType::Text))
            writeCell(ws, s, row, column, *cell);
    }

    const Workbook& book_;
    QString file_;
    lxw_workbook* wb_ = nullptr;
    std::unordered_map<std::uint32_t, lxw_format*> formats_;
    std::vector<std::pair<Font, lxw_format*>> fontFormats_;
    std::string buffer_;
};

} // namespace

void Workbook::saveAs(const QString& path) const
{
    const QFileInfo target(path);
    if (path.isEmpty() || target.fileName().isEmpty())
        throw SheetError(QStringLiteral("Не задано имя файла для сохранения книги"));
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        throw SheetError(QStringLiteral("Папка \"%1\" не существует").arg(folder.absolutePath()));
    if (target.isDir())
        throw SheetError(QStringLiteral("\"%1\" — это папка, а не файл").arg(path));
    if (sourceIsTemplate_ && target.exists() &&
        target.canonicalFilePath() == QFileInfo(sourcePath_).canonicalFilePath())
        throw SheetError(QStringLiteral("Нельзя сохранить книгу поверх шаблона \"%1\"").arg(path));

    // Write beside the target, then rename over it: a failed save leaves the
    // old file as it was and no partial file, a killed one a temporary that
    // the next save of the same name removes.
    ReplacementFile temp(target.absoluteFilePath());
    if (!temp.isValid())
        throw SheetError(QStringLiteral("Нет доступа на запись в папку \"%1\"").arg(folder.absolutePath()));
    {
        Writer writer(*this, temp.path());
        writer.write();
    }
    QFile::setPermissions(temp.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::WriteGroup | QFileDevice::ReadOther);
    if (!temp.replaceTarget())
        throw SheetError(QStringLiteral("Не удалось сохранить книгу \"%1\": файл занят или нет прав на запись")
                             .arg(path));
}

} // namespace velmora::sheet

// libxlsxwriter asks minizip for zlib's default deflate level and has no
// setting for another; at that level compressing the sheets is 40% of
// saving a large price list. Level 2 saves a third faster for a file about
// a tenth larger. The program's own definition of minizip's entry point is
// found before the library's, so this one sees every file libxlsxwriter
// adds, lowers the default level and passes the call on. Callers that ask
// for a level of their own keep it.
extern "C" int zipOpenNewFileInZip4_64(zipFile file, const char* filename, const zip_fileinfo* zipfi,
                                       const void* extrafield_local, uInt size_extrafield_local,
                                       const void* extrafield_global, uInt size_extrafield_global, const char* comment,
                                       int method, int level, int raw, int windowBits, int memLevel, int strategy,
                                       const char* password, uLong crcForCrypting, uLong versionMadeBy, uLong flagBase,
                                       int zip64)
{
    constexpr int kPackageDeflateLevel = 2;
    using OpenInZip = decltype(&zipOpenNewFileInZip4_64);
    static const auto minizipOpen = reinterpret_cast<OpenInZip>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (!minizipOpen)
        return ZIP_INTERNALERROR;
    if (level == Z_DEFAULT_COMPRESSION)
        level = kPackageDeflateLevel;
    return minizipOpen(file, filename, zipfi, extrafield_local, size_extrafield_local, extrafield_global,
                       size_extrafield_global, comment, method, level, raw, windowBits, memLevel, strategy, password,
                       crcForCrypting, versionMadeBy, flagBase, zip64);
}
