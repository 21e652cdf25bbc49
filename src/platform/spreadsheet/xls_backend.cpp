// .xls: BIFF8 workbooks (Excel 97 and later) are read here record by
// record: values, formulas with their cached results, hyperlinks and
// merges. The workbook stream is walked where it lies in the container,
// and each cell goes to the sink as its record is read (shared strings as
// spans of one UTF-8 pool), so a sheet costs its block and little beside.
// freexl, which gives values only and fails badly on damaged files (reads
// past its buffers), is left for the older BIFF5 format.
#include "platform/spreadsheet/biff_formula.h"
#include "platform/spreadsheet/number_formats.h"
#include "platform/spreadsheet/ole_file.h"
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/sheet_look.h"
#include "platform/spreadsheet/xls_styles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cstring>
#include <freexl.h>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace velmora::sheet {

namespace {

enum : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kExternSheet = 0x0017,
    kName = 0x0018,
    kFilePass = 0x002F,
    kBoolErr = 0x0205,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kRk = 0x027E,
    kMulRk = 0x00BD,
    kLabelSst = 0x00FD,
    kSst = 0x00FC,
    kFormat = 0x041E,
    kXf = 0x00E0,
    kDateMode = 0x0022,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMergedCells = 0x00E5,
    kSupBook = 0x01AE,
    kHlink = 0x01B8,
    kString = 0x0207,
    kDimensions = 0x0200,
    kShrFmla = 0x04BC,
    kArray = 0x0221,
    kBof = 0x0809,
    kFont = 0x0031,
    kPalette = 0x0092,
    kColInfo = 0x007D,
    kDefColWidth = 0x0055,
};

std::uint16_t u16(const unsigned char* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// One BIFF record with the data of the CONTINUE records that follow it.
struct Record {
    std::uint16_t type = 0;
    std::vector<std::pair<const unsigned char*, std::size_t>> parts;
    const unsigned char* data() const { return parts.empty() ? nullptr : parts[0].first; }
    std::size_t size() const { return parts.empty() ? 0 : parts[0].second; }
};

// Walks the records of a BIFF stream where they lie in the container. A
// record's bytes are handed out in place; only a piece that straddles two
// runs of sectors is copied, into scratch blocks that are kept from record
// to record, so reading allocates nothing once the first blocks exist.
class RecordReader {
public:
    RecordReader(const OleStream& stream, std::size_t offset) : runs_(stream.runs()), pos_(offset)
    {
        std::size_t start = 0;
        for (const OleStream::Run& run : runs_) {
            starts_.push_back(start);
            start += run.size;
        }
        size_ = start;
    }
    bool next(Record& record)
    {
        scratchBlock_ = 0;
        scratchUsed_ = 0;
        unsigned char copied[4];
        const unsigned char* header = headerAt(pos_, copied);
        if (!header)
            return false;
        record.type = u16(header);
        std::size_t length = u16(header + 2);
        if (pos_ + 4 + length > size_)
            return false;
        record.parts.assign(1, {bytesAt(pos_ + 4, length), length});
        pos_ += 4 + length;
        while ((header = headerAt(pos_, copied)) && u16(header) == kContinue) {
            length = u16(header + 2);
            if (pos_ + 4 + length > size_)
                break;
            record.parts.emplace_back(bytesAt(pos_ + 4, length), length);
            pos_ += 4 + length;
        }
        return true;
    }

private:
    static constexpr std::size_t kScratchBlock = 1 << 16; // more than a record's longest part

    // The run holding stream offset `at` (which is below size_).
    std::size_t runAt(std::size_t at)
    {
        if (at < starts_[run_] || at >= starts_[run_] + runs_[run_].size)
            run_ = std::size_t(std::upper_bound(starts_.begin(), starts_.end(), at) - starts_.begin()) - 1;
        return run_;
    }
    bool copyAt(std::size_t at, std::size_t n, unsigned char* out)
    {
        if (at + n > size_)
            return false;
        while (n > 0) {
            const std::size_t r = runAt(at);
            const std::size_t offset = at - starts_[r];
            const std::size_t step = std::min(n, runs_[r].size - offset);
            std::memcpy(out, runs_[r].data + offset, step);
            out += step;
            at += step;
            n -= step;
        }
        return true;
    }
    // The 4-byte record header at `at`, in place or copied into `copied`;
    // nullptr past the end.
    const unsigned char* headerAt(std::size_t at, unsigned char* copied)
    {
        if (at + 4 > size_)
            return nullptr;
        const std::size_t r = runAt(at);
        const std::size_t offset = at - starts_[r];
        if (runs_[r].size - offset >= 4)
            return runs_[r].data + offset;
        copyAt(at, 4, copied);
        return copied;
    }
    // `n` bytes at `at` (checked by the caller), valid until the next record.
    const unsigned char* bytesAt(std::size_t at, std::size_t n)
    {
        if (n == 0)
            return nullptr;
        const std::size_t r = runAt(at);
        const std::size_t offset = at - starts_[r];
        if (runs_[r].size - offset >= n)
            return runs_[r].data + offset;
        if (scratchUsed_ + n > kScratchBlock) {
            ++scratchBlock_;
            scratchUsed_ = 0;
        }
        if (scratchBlock_ == scratch_.size())
            scratch_.push_back(std::make_unique_for_overwrite<unsigned char[]>(kScratchBlock));
        unsigned char* out = scratch_[scratchBlock_].get() + scratchUsed_;
        scratchUsed_ += n;
        copyAt(at, n, out);
        return out;
    }

    const std::vector<OleStream::Run>& runs_;
    std::vector<std::size_t> starts_;
    std::size_t size_ = 0;
    std::size_t pos_;
    std::size_t run_ = 0;
    std::vector<std::unique_ptr<unsigned char[]>> scratch_;
    std::size_t scratchBlock_ = 0;
    std::size_t scratchUsed_ = 0;
};

// Reads an XLUnicodeString that may run on into CONTINUE parts (each part
// after the first starts with a new flags byte).
class StringCursor {
public:
    explicit StringCursor(const Record& r) : record_(r) {}
    bool skip(std::size_t n)
    {
        while (n > 0) {
            if (part_ >= record_.parts.size())
                return false;
            const std::size_t left = record_.parts[part_].second - pos_;
            const std::size_t step = std::min(left, n);
            pos_ += step;
            n -= step;
            if (pos_ == record_.parts[part_].second && n > 0) {
                ++part_;
                pos_ = 0;
            }
        }
        return true;
    }
    bool byte(unsigned char& b)
    {
        while (part_ < record_.parts.size() && pos_ >= record_.parts[part_].second) {
            ++part_;
            pos_ = 0;
        }
        if (part_ >= record_.parts.size())
            return false;
        b = record_.parts[part_].first[pos_++];
        return true;
    }
    bool word(std::uint16_t& w)
    {
        unsigned char a, b;
        if (!byte(a) || !byte(b))
            return false;
        w = std::uint16_t(a | (b << 8));
        return true;
    }
    bool dword(std::uint32_t& d)
    {
        std::uint16_t a, b;
        if (!word(a) || !word(b))
            return false;
        d = a | (std::uint32_t(b) << 16);
        return true;
    }
    // `chars` characters after a flags byte already read, appended to `out`
    // as UTF-16 (a compressed string's bytes are its code points).
    bool characters(std::size_t chars, bool wide, std::u16string& out)
    {
        while (chars > 0) {
            if (part_ < record_.parts.size() && pos_ >= record_.parts[part_].second) {
                // A string split by CONTINUE: the new part repeats the flags.
                ++part_;
                pos_ = 0;
                unsigned char flags;
                if (!byte(flags))
                    return false;
                wide = flags & 1;
            }
            if (part_ >= record_.parts.size())
                return false;
            const unsigned char* p = record_.parts[part_].first + pos_;
            const std::size_t available = (record_.parts[part_].second - pos_) / (wide ? 2 : 1);
            const std::size_t take = std::min(chars, available);
            if (take == 0)
                return false; // half a character before the part's end
            const std::size_t at = out.size();
            out.resize(at + take);
            char16_t* dst = out.data() + at;
            if (wide) {
                for (std::size_t i = 0; i < take; ++i)
                    dst[i] = char16_t(p[2 * i] | (p[2 * i + 1] << 8));
            } else {
                for (std::size_t i = 0; i < take; ++i)
                    dst[i] = p[i];
            }
            pos_ += take * (wide ? 2 : 1);
            chars -= take;
        }
        return true;
    }
    bool characters(std::size_t chars, bool wide, QString& out)
    {
        std::u16string units;
        const bool whole = characters(chars, wide, units);
        out += QStringView(units.data(), qsizetype(units.size()));
        return whole;
    }

private:
    const Record& record_;
    std::size_t part_ = 0;
    std::size_t pos_ = 0;
};

// A UTF-16 string of `count` characters counted with its terminating zero.
QString hyperlinkString(const unsigned char*& p, const unsigned char* end)
{
    if (end - p < 4)
        return {};
    const std::uint32_t count = u32(p);
    p += 4;
    if (count > std::uint32_t(end - p) / 2)
        return {};
    QString text;
    for (std::uint32_t i = 0; i < count; ++i) {
        const char16_t ch = u16(p + i * 2);
        if (ch == 0)
            break;
        text += QChar(ch);
    }
    p += count * 2;
    return text;
}

const unsigned char kUrlMoniker[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                       0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
const unsigned char kFileMoniker[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                        0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// An HLINK record: the linked cells, then the hyperlink object.
std::optional<Hyperlink> parseHlink(const unsigned char* p, std::size_t size)
{
    const unsigned char* end = p + size;
    if (size < 8 + 16 + 8)
        return std::nullopt;
    Hyperlink link;
    link.range = CellRange{{u16(p) + 1, u16(p + 4) + 1}, {u16(p + 2) + 1, u16(p + 6) + 1}};
    if (!link.range.isValid())
        return std::nullopt;
    p += 8 + 16 + 4; // range, CLSID, stream version
    const std::uint32_t flags = u32(p);
    p += 4;
    if (flags & 0x14) // display name
        hyperlinkString(p, end);
    if (flags & 0x80) // target frame
        hyperlinkString(p, end);
    if (flags & 0x01) {
        if (flags & 0x100) {
            link.address = hyperlinkString(p, end);
        } else if (end - p >= 16) {
            const unsigned char* clsid = p;
            p += 16;
            if (std::memcmp(clsid, kUrlMoniker, 16) == 0 && end - p >= 4) {
                const std::uint32_t bytes = u32(p);
                p += 4;
                const std::size_t usable = std::min<std::size_t>(bytes, std::size_t(end - p));
                QString url;
                for (std::size_t i = 0; i + 1 < usable; i += 2) {
                    const char16_t ch = u16(p + i);
                    if (ch == 0)
                        break;
                    url += QChar(ch);
                }
                link.address = url;
                p += usable;
            } else if (std::memcmp(clsid, kFileMoniker, 16) == 0 && end - p >= 6) {
                const int up = u16(p);
                const std::uint32_t ansiLength = u32(p + 2);
                p += 6;
                if (ansiLength > std::size_t(end - p))
                    return std::nullopt;
                QString path = QString::fromLatin1(reinterpret_cast<const char*>(p),
                                                   qsizetype(ansiLength ? ansiLength - 1 : 0));
                p += ansiLength;
                // endServer, version, 16 + 4 reserved bytes, then the Unicode path.
                if (end - p >= 2 + 2 + 20 + 4) {
                    p += 24;
                    const std::uint32_t unicodeSize = u32(p);
                    p += 4;
                    if (unicodeSize > 0 && end - p >= 6) {
                        const std::uint32_t bytes = u32(p);
                        p += 6;
                        if (bytes <= std::size_t(end - p)) {
                            QString wide;
                            for (std::uint32_t i = 0; i + 1 < bytes; i += 2)
                                wide += QChar(char16_t(u16(p + i)));
                            path = wide;
                            p += bytes;
                        }
                    }
                }
                QString prefix;
                for (int i = 0; i < up; ++i)
                    prefix += QStringLiteral("../");
                link.address = prefix + path.replace(u'\\', u'/');
            } else {
                return std::nullopt; // a moniker kind price lists do not use
            }
        }
    }
    if (flags & 0x08)
        link.subAddress = hyperlinkString(p, end);
    if (link.address.isEmpty() && link.subAddress.isEmpty())
        return std::nullopt;
    return link;
}

QString errorText(int code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    default: return QStringLiteral("#N/A");
    }
}

// What a sheet's records give beside its cells.
struct SheetExtras {
    std::vector<CellRange> merges;
    std::vector<Hyperlink> hyperlinks;
    CellRef last{0, 0}; // the stated size
    std::map<int, StoredColumn> columns; // COLINFO widths
    std::optional<double> defaultWidth;  // DEFCOLWIDTH
};

// Whether the cell records of a sheet come in row and column order with
// no cell twice, as Excel writes them: then each cell goes to the sink as
// its record is read.
class CellOrder {
public:
    // false once a cell comes before or at the one seen last.
    bool see(std::uint32_t row, std::uint32_t firstColumn, std::uint32_t lastColumn)
    {
        const std::uint64_t first = std::uint64_t(row) << 16 | firstColumn;
        if (seen_ && first <= last_)
            return false;
        seen_ = true;
        last_ = std::uint64_t(row) << 16 | lastColumn;
        return true;
    }

private:
    bool seen_ = false;
    std::uint64_t last_ = 0;
};

class FreexlHandle {
public:
    // Opens `file`; messages name `shownPath`.
    FreexlHandle(const QString& file, const QString& shownPath)
    {
        const int rc = freexl_open(QFile::encodeName(file).constData(), &handle_);
        if (rc != FREEXL_OK) {
            handle_ = nullptr;
            throw SheetError(QStringLiteral("Файл \"%1\" повреждён или не является книгой Excel (код %2)")
                                 .arg(shownPath)
                                 .arg(rc));
        }
    }
    ~FreexlHandle()
    {
        if (handle_)
            freexl_close(handle_);
    }
    FreexlHandle(const FreexlHandle&) = delete;
    FreexlHandle& operator=(const FreexlHandle&) = delete;
    const void* get() const { return handle_; }

private:
    const void* handle_ = nullptr;
};

double parseFreexlDate(const char* text, unsigned char type)
{
    const QString s = QString::fromLatin1(text);
    if (type == FREEXL_CELL_TIME) {
        const QTime t = QTime::fromString(s, QStringLiteral("HH:mm:ss"));
        return t.isValid() ? t.msecsSinceStartOfDay() / 86400000.0 : 0;
    }
    QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(s, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return dt.isValid() ? toDayNumber(dt) : 0;
}

double rkValue(std::uint32_t rk)
{
    double v;
    if (rk & 2) {
        v = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&v, &bits, 8);
    }
    return (rk & 1) ? v / 100 : v;
}

class XlsBackend : public WorkbookReader::Backend {
public:
    explicit XlsBackend(const QString& path) : path_(path), ole_(path)
    {
        if (ole_.hasStream(QStringLiteral("EncryptedPackage")) || ole_.hasStream(QStringLiteral("EncryptionInfo")))
            throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path));
        QString streamName = QStringLiteral("Workbook");
        if (!ole_.hasStream(streamName)) {
            streamName = QStringLiteral("Book");
            if (!ole_.hasStream(streamName))
                throw SheetError(QStringLiteral("Файл \"%1\" не является книгой Excel").arg(path));
        }
        stream_ = ole_.openStream(streamName);
        biff8_ = readGlobals();
        if (!biff8_) {
            // Excel 5.0/95 and older: freexl reads their values. It gets the
            // stream in a clean container of our own, since it trusts sizes
            // and chains that a damaged file may get wrong.
            clean_ = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("velmora-xls-XXXXXX.xls")));
            if (!clean_->open())
                throw SheetError(QStringLiteral("Не удалось создать временный файл для чтения \"%1\"").arg(path));
            clean_->close();
            writeSingleStreamOleFile(clean_->fileName(), streamName, stream_.copy());
            freexl_ = std::make_unique<FreexlHandle>(clean_->fileName(), path);
            unsigned int info = 0;
            if (freexl_get_info(freexl_->get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
                info == FREEXL_BIFF_OBFUSCATED)
                throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path));
            unsigned int count = 0;
            freexl_get_info(freexl_->get(), FREEXL_BIFF_SHEET_COUNT, &count);
            for (unsigned int i = 0; i < count; ++i) {
                const char* name = nullptr;
                if (freexl_get_worksheet_name(freexl_->get(), std::uint16_t(i), &name) == FREEXL_OK && name)
                    sheets_.push_back(Sheet{QString::fromUtf8(name), 0});
            }
        }
        if (sheets_.empty())
            throw SheetError(QStringLiteral("В книге \"%1\" нет ни одного листа").arg(path));
    }

    QStringList sheetNames() const override
    {
        QStringList names;
        for (const Sheet& s : sheets_)
            names << s.name;
        return names;
    }

    SheetInfo read(int index, CellSink& sink) override { return read(index, sink, nullptr); }
    SheetInfo readWithLayout(int index, CellSink& sink, SheetLayout& layout) override
    {
        return read(index, sink, &layout);
    }
    std::vector<CellStyle> cellFormats() override { return styles_.cellStyles(formats_); }

private:
    SheetInfo read(int index, CellSink& sink, SheetLayout* layout)
    {
        const Sheet& sheet = sheets_[std::size_t(index - 1)];
        SheetInfo info;
        info.name = sheet.name;
        if (!biff8_)
            return readWithFreexl(index, sink, info);
        const bool indices = sink.wantsSharedIndices();
        SheetExtras extras;
        if (cellsInOrder(sheet.offset)) {
            bool sized = false;
            readSheetStream(sheet.offset, extras, indices, [&](const CellEvent& e) {
                if (!sized) {
                    sized = true;
                    if (extras.last.row > 0)
                        sink.dimension(extras.last);
                }
                return sink.cell(e);
            });
        } else {
            // Cells out of order, or one written twice: sorted first, and a
            // later record for the same cell wins.
            std::vector<CellEvent> cells;
            readSheetStream(sheet.offset, extras, indices, [&](const CellEvent& e) {
                cells.push_back(e);
                return true;
            });
            if (extras.last.row > 0)
                sink.dimension(extras.last);
            std::stable_sort(cells.begin(), cells.end(), [](const CellEvent& a, const CellEvent& b) {
                return CellRef{a.row, a.column} < CellRef{b.row, b.column};
            });
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i + 1 < cells.size() && cells[i + 1].row == cells[i].row && cells[i + 1].column == cells[i].column)
                    continue;
                if (!sink.cell(cells[i]))
                    break;
            }
        }
        if (indices)
            sink.resolveShared(sstPool_, sstSpans_);
        info.merges = std::move(extras.merges);
        info.hyperlinks = std::move(extras.hyperlinks);
        if (layout) {
            layout->columns = std::move(extras.columns);
            if (extras.defaultWidth)
                layout->defaultColumnWidth = *extras.defaultWidth;
        }
        return info;
    }

    struct Sheet {
        QString name;
        std::size_t offset; // of the sheet's BOF in the stream
    };

    SheetInfo readWithFreexl(int index, CellSink& sink, SheetInfo& info)
    {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(freexl_->get(), std::uint16_t(index - 1)) != FREEXL_OK ||
            freexl_worksheet_dimensions(freexl_->get(), &rows, &columns) != FREEXL_OK)
            throw SheetError(QStringLiteral("Не удалось прочитать лист \"%1\" книги \"%2\"").arg(info.name, path_));
        CellEvent e;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(freexl_->get(), r, c, &value) != FREEXL_OK)
                    continue;
                e = CellEvent();
                e.row = int(r + 1);
                e.column = int(c + 1);
                switch (value.type) {
                case FREEXL_CELL_INT:
                    e.type = CellType::Number;
                    e.number = value.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    e.type = CellType::Number;
                    e.number = value.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    e.type = CellType::Text;
                    e.text = QString::fromUtf8(value.value.text_value);
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    e.type = CellType::Date;
                    e.number = parseFreexlDate(value.value.text_value, value.type);
                    break;
                default:
                    continue;
                }
                if (!sink.cell(e))
                    return info;
            }
        return info;
    }

    // The workbook globals of a BIFF8 stream; false for an older format.
    bool readGlobals()
    {
        RecordReader reader(stream_, 0);
        Record r;
        bool first = true;
        std::vector<bool> supbookInternal;
        std::vector<std::tuple<int, int, int>> xti;
        QStringList allSheets;
        while (reader.next(r)) {
            if (first) {
                first = false;
                if (r.type != kBof || r.size() < 2 || u16(r.data()) != 0x0600)
                    return false;
                continue;
            }
            const unsigned char* d = r.data();
            const std::size_t n = r.size();
            if (r.type == kEof)
                break;
            switch (r.type) {
            case kFilePass:
                throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path_));
            case kBoundSheet: {
                if (n < 8)
                    break;
                const std::uint32_t offset = u32(d);
                const unsigned char kind = d[5];
                StringCursor cur(r);
                cur.skip(6);
                unsigned char chars = 0, flags = 0;
                QString name;
                if (!cur.byte(chars) || !cur.byte(flags) || !cur.characters(chars, flags & 1, name))
                    break;
                allSheets << name;
                if (kind == 0)
                    sheets_.push_back(Sheet{name, offset});
                break;
            }
            case kSupBook:
                if (n >= 4)
                    supbookInternal.push_back(u16(d + 2) == 0x0401);
                break;
            case kExternSheet: {
                if (n < 2)
                    break;
                const std::uint16_t count = u16(d);
                for (std::uint16_t i = 0; i < count && 2 + (i + 1) * 6u <= n; ++i) {
                    const unsigned char* x = d + 2 + i * 6;
                    xti.emplace_back(u16(x), std::int16_t(u16(x + 2)), std::int16_t(u16(x + 4)));
                }
                break;
            }
            case kName:
                if (n >= 14)
                    readName(r);
                break;
            case kSst:
                readSst(r);
                break;
            case kFormat: {
                if (n < 5)
                    break;
                StringCursor cur(r);
                std::uint16_t id = 0, chars = 0;
                unsigned char flags = 0;
                QString code;
                if (cur.word(id) && cur.word(chars) && cur.byte(flags) && cur.characters(chars, flags & 1, code))
                    formats_[id] = code;
                break;
            }
            case kXf:
                if (n >= 4)
                    xfFormats_.push_back(u16(d + 2));
                styles_.xf(d, n);
                break;
            case kFont:
                styles_.font(d, n);
                break;
            case kPalette:
                styles_.palette(d, n);
                break;
            case kDateMode:
                if (n >= 2)
                    date1904_ = u16(d) == 1;
                break;
            default:
                break;
            }
        }
        context_.sheetNames = allSheets;
        for (const auto& [book, firstSheet, lastSheet] : xti) {
            const bool internal = book < int(supbookInternal.size()) && supbookInternal[std::size_t(book)];
            context_.externSheets.emplace_back(internal ? firstSheet : -1, internal ? lastSheet : -1);
        }
        for (std::uint16_t id : xfFormats_) {
            auto custom = formats_.find(id);
            xfIsDate_.push_back(custom != formats_.end() ? isDateFormat(custom->second) : isBuiltinDateFormat(id));
        }
        return true;
    }

    void readName(const Record& r)
    {
        const unsigned char* d = r.data();
        const std::uint16_t options = u16(d);
        const unsigned char chars = d[3];
        StringCursor cur(r);
        cur.skip(14);
        unsigned char flags = 0;
        QString name;
        cur.byte(flags);
        cur.characters(chars, flags & 1, name);
        if ((options & 0x20) && !name.isEmpty()) {
            static const char* builtin[] = {"Consolidate_Area", "Auto_Open", "Auto_Close", "Extract", "Database",
                                            "Criteria", "Print_Area", "Print_Titles", "Recorder", "Data_Form",
                                            "Auto_Activate", "Auto_Deactivate", "Sheet_Title", "_FilterDatabase"};
            const int code = name[0].unicode();
            name = code < 14 ? QLatin1String(builtin[code]) : QStringLiteral("#NAME?");
        }
        context_.definedNames << name;
    }

    // The shared-string table, into one pool of UTF-8; its strings run on
    // across CONTINUE records.
    void readSst(const Record& r)
    {
        StringCursor cur(r);
        std::uint32_t total = 0, unique = 0;
        if (!cur.dword(total) || !cur.dword(unique))
            return;
        sstSpans_.reserve(std::min<std::size_t>(unique, std::size_t(stream_.size() / 3)));
        std::u16string text;
        for (std::uint32_t i = 0; i < unique; ++i) {
            std::uint16_t chars = 0;
            unsigned char flags = 0;
            if (!cur.word(chars) || !cur.byte(flags))
                break;
            std::uint16_t runs = 0;
            std::uint32_t ext = 0;
            if ((flags & 0x08) && !cur.word(runs))
                break;
            if ((flags & 0x04) && !cur.dword(ext))
                break;
            text.clear();
            if (!cur.characters(chars, flags & 1, text))
                break;
            sstSpans_.push_back(sstPool_->add(reinterpret_cast<const QChar*>(text.data()), text.size()));
            if (!cur.skip(std::size_t(runs) * 4 + ext))
                break;
        }
    }

    bool isDateXf(std::uint16_t xf) const { return xf < xfIsDate_.size() && xfIsDate_[xf]; }

    // Whether the cell records of the sheet whose BOF is at `offset` come in
    // order (a pass over the record headers, before any cell is decoded).
    bool cellsInOrder(std::size_t offset) const
    {
        RecordReader reader(stream_, offset);
        Record r;
        CellOrder order;
        int depth = -1; // the sheet's own BOF makes it 0
        while (reader.next(r)) {
            if (r.type == kBof) {
                ++depth;
                continue;
            }
            if (r.type == kEof) {
                if (depth-- <= 0)
                    break;
                continue;
            }
            if (depth != 0)
                continue;
            const unsigned char* d = r.data();
            const std::size_t n = r.size();
            switch (r.type) {
            case kNumber:
            case kRk:
            case kLabelSst:
            case kLabel:
            case kFormula:
            case kBoolErr:
                if (n >= 4 && !order.see(u16(d), u16(d + 2), u16(d + 2)))
                    return false;
                break;
            case kMulRk:
                if (n >= 12 && !order.see(u16(d), u16(d + 2), u16(d + 2) + std::uint32_t((n - 6) / 6) - 1))
                    return false;
                break;
            default:
                break;
            }
        }
        return true;
    }

    // Decodes the cell records of the sheet whose BOF is at `offset` in file
    // order, handing each cell to `deliver` (which returns false to stop), and
    // gathers its merges, hyperlinks and stated size into `extras`. Shared
    // strings come as indices when `indices`, else as spans of the pool.
    template <class Deliver>
    void readSheetStream(std::size_t offset, SheetExtras& extras, bool indices, Deliver&& deliver)
    {
        if (offset >= stream_.size())
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: лист за концом потока").arg(path_));
        RecordReader reader(stream_, offset);
        Record r;
        bool first = true;
        CellEvent e;
        // A formula waits for the records that may follow it: its shared
        // formula's tokens (SHRFMLA) and its text result (STRING).
        CellEvent formula;
        bool formulaPending = false;
        bool waitsForString = false;
        std::map<CellRef, std::vector<unsigned char>> sharedFormulas; // by their first cell
        std::uint16_t recordXf = 0; // the cell format of the record being read
        auto flushFormula = [&]() {
            if (!formulaPending)
                return true;
            formulaPending = false;
            waitsForString = false;
            return deliver(static_cast<const CellEvent&>(formula));
        };
        // Starts the cell of a record; false when the address is outside a sheet.
        auto start = [&](CellEvent& cell, int row, int column, CellType type) {
            cell.row = row;
            cell.column = column;
            cell.type = type;
            cell.number = 0;
            cell.text = QString();
            cell.formula = QString();
            cell.pool = nullptr;
            cell.sharedIndex = -1;
            cell.xf = recordXf;
            return CellRef{row, column}.isValid();
        };
        auto number = [&](int row, int column, std::uint16_t xf, double value) {
            if (!start(e, row, column, isDateXf(xf) ? CellType::Date : CellType::Number))
                return true;
            e.xf = xf;
            e.number = value + (e.type == CellType::Date && date1904_ ? 1462 : 0);
            e.settleNumber();
            return deliver(static_cast<const CellEvent&>(e));
        };
        while (reader.next(r)) {
            const unsigned char* d = r.data();
            const std::size_t n = r.size();
            if (first) {
                first = false;
                if (r.type != kBof)
                    throw SheetError(QStringLiteral("Книга \"%1\" повреждена: лист не найден в потоке").arg(path_));
                continue;
            }
            if (r.type == kEof)
                break;
            if (r.type == kBof) {
                // An embedded substream (chart): skip to its end.
                int depth = 1;
                while (depth > 0 && reader.next(r)) {
                    if (r.type == kBof)
                        ++depth;
                    else if (r.type == kEof)
                        --depth;
                }
                continue;
            }
            if (r.type != kShrFmla && r.type != kArray && r.type != kString && !flushFormula())
                return;
            const int row = n >= 4 ? u16(d) + 1 : 0;
            const int column = n >= 4 ? u16(d + 2) + 1 : 0;
            recordXf = n >= 6 ? u16(d + 4) : 0;
            switch (r.type) {
            case kNumber:
                if (n >= 14) {
                    double v;
                    std::memcpy(&v, d + 6, 8);
                    if (!number(row, column, u16(d + 4), v))
                        return;
                }
                break;
            case kRk:
                if (n >= 10 && !number(row, column, u16(d + 4), rkValue(u32(d + 6))))
                    return;
                break;
            case kMulRk: {
                if (n < 6)
                    break;
                const std::size_t count = (n - 6) / 6;
                for (std::size_t i = 0; i < count; ++i) {
                    const unsigned char* p = d + 4 + i * 6;
                    if (!number(row, column + int(i), u16(p), rkValue(u32(p + 2))))
                        return;
                }
                break;
            }
            case kLabelSst: {
                if (n < 10)
                    break;
                const std::uint32_t index = u32(d + 6);
                if (index >= sstSpans_.size())
                    throw SheetError(QStringLiteral("Книга \"%1\" повреждена: нет общей строки %2").arg(path_).arg(index));
                if (!start(e, row, column, CellType::Text))
                    break;
                if (indices) {
                    e.sharedIndex = int(index);
                } else {
                    e.pool = sstPool_.get();
                    e.span = sstSpans_[index];
                }
                if (!deliver(static_cast<const CellEvent&>(e)))
                    return;
                break;
            }
            case kLabel: {
                if (n < 9)
                    break;
                StringCursor cur(r);
                cur.skip(6);
                std::uint16_t chars = 0;
                unsigned char flags = 0;
                QString text;
                if (cur.word(chars) && cur.byte(flags) && cur.characters(chars, flags & 1, text) &&
                    start(e, row, column, CellType::Text)) {
                    e.text = text;
                    if (!deliver(static_cast<const CellEvent&>(e)))
                        return;
                }
                break;
            }
            case kFormula: {
                if (n < 22)
                    break;
                const bool valid = start(formula, row, column, CellType::Empty);
                const unsigned char* result = d + 6;
                if (u16(result + 6) == 0xFFFF) {
                    switch (result[0]) {
                    case 0:
                        waitsForString = true; // the text is in the STRING record that follows
                        formula.type = CellType::Text;
                        break;
                    case 1:
                        formula.type = CellType::Boolean;
                        formula.number = result[2] ? 1 : 0;
                        break;
                    case 2:
                        formula.type = CellType::Error;
                        formula.text = errorText(result[2]);
                        break;
                    default:
                        formula.type = CellType::Text; // empty text
                        break;
                    }
                } else {
                    std::memcpy(&formula.number, result, 8);
                    formula.type = isDateXf(u16(d + 4)) ? CellType::Date : CellType::Number;
                    if (formula.type == CellType::Date && date1904_)
                        formula.number += 1462;
                    formula.settleNumber();
                }
                const std::uint16_t cce = u16(d + 20);
                if (22u + cce <= n) {
                    const unsigned char* rgce = d + 22;
                    if (cce >= 5 && rgce[0] == 0x01) {
                        // Part of a shared formula: its tokens come with the
                        // SHRFMLA record after the range's first cell.
                        const CellRef origin{u16(rgce + 1) + 1, u16(rgce + 3) + 1};
                        auto it = sharedFormulas.find(origin);
                        if (it != sharedFormulas.end())
                            formula.formula = decompileBiffFormula(it->second.data(), it->second.size(), context_,
                                                                   row - 1, column - 1);
                    } else {
                        formula.formula = decompileBiffFormula(rgce, cce, context_, row - 1, column - 1);
                    }
                }
                formulaPending = valid;
                if (!valid)
                    waitsForString = false;
                break;
            }
            case kShrFmla: {
                if (n < 10)
                    break;
                const std::uint16_t cce = u16(d + 8);
                if (10u + cce > n)
                    break;
                const CellRef origin{u16(d) + 1, d[4] + 1};
                std::vector<unsigned char> tokens(d + 10, d + 10 + cce);
                if (formulaPending && formula.formula.isEmpty())
                    formula.formula = decompileBiffFormula(tokens.data(), tokens.size(), context_, formula.row - 1,
                                                           formula.column - 1);
                sharedFormulas[origin] = std::move(tokens);
                break;
            }
            case kString: {
                if (!formulaPending || !waitsForString)
                    break;
                waitsForString = false;
                StringCursor cur(r);
                std::uint16_t chars = 0;
                unsigned char flags = 0;
                QString text;
                if (cur.word(chars) && cur.byte(flags) && cur.characters(chars, flags & 1, text))
                    formula.text = text;
                break;
            }
            case kBoolErr: {
                if (n < 8 || !start(e, row, column, d[7] ? CellType::Error : CellType::Boolean))
                    break;
                if (d[7])
                    e.text = errorText(d[6]);
                else
                    e.number = d[6] ? 1 : 0;
                if (!deliver(static_cast<const CellEvent&>(e)))
                    return;
                break;
            }
            case kDimensions:
                if (n >= 14) {
                    const std::uint32_t rows = u32(d + 4);
                    const std::uint16_t columns = u16(d + 10);
                    if (rows > 0 && rows <= std::uint32_t(kMaxRows) && columns > 0)
                        extras.last = CellRef{int(rows), int(columns)};
                }
                break;
            case kMergedCells: {
                if (n < 2)
                    break;
                const std::uint16_t count = u16(d);
                for (std::uint16_t i = 0; i < count && 2 + (i + 1) * 8u <= n; ++i) {
                    const unsigned char* m = d + 2 + i * 8;
                    const CellRange range{{u16(m) + 1, u16(m + 4) + 1}, {u16(m + 2) + 1, u16(m + 6) + 1}};
                    if (range.isValid())
                        extras.merges.push_back(range);
                }
                break;
            }
            case kColInfo:
                if (n >= 10) {
                    StoredColumn c;
                    c.width = columnWidthFromFile(u16(d + 4) / 256.0);
                    c.hidden = u16(d + 8) & 0x01;
                    for (int col = u16(d) + 1; col <= std::min<int>(u16(d + 2) + 1, u16(d) + 1024); ++col)
                        extras.columns[col] = c;
                }
                break;
            case kDefColWidth:
                // Characters without padding; the column is as wide as
                // that plus 5 pixels, rounded up to a multiple of 8.
                if (n >= 2)
                    extras.defaultWidth = columnWidthFromFile(std::ceil((u16(d) * 7 + 5) / 8.0) * 8 / 7.0);
                break;
            case kHlink: {
                linkBytes_.clear();
                for (const auto& [p, size] : r.parts)
                    linkBytes_.insert(linkBytes_.end(), p, p + size);
                if (auto link = parseHlink(linkBytes_.data(), linkBytes_.size()))
                    extras.hyperlinks.push_back(*link);
                break;
            }
            default:
                break;
            }
        }
        flushFormula();
    }

    QString path_;
    OleFile ole_;
    OleStream stream_;
    bool biff8_ = false;
    std::vector<Sheet> sheets_;
    BiffFormulaContext context_;
    std::shared_ptr<StringPool> sstPool_ = std::make_shared<StringPool>();
    std::vector<StringPool::Span> sstSpans_;
    std::vector<unsigned char> linkBytes_; // an HLINK record with its CONTINUE parts
    std::map<int, QString> formats_;
    std::vector<std::uint16_t> xfFormats_;
    std::vector<bool> xfIsDate_;
    xls::StyleRecords styles_;
    bool date1904_ = false;
    std::unique_ptr<QTemporaryFile> clean_;
    std::unique_ptr<FreexlHandle> freexl_;
};

} // namespace

std::unique_ptr<WorkbookReader::Backend> makeXlsBackend(const QString& path)
{
    return std::make_unique<XlsBackend>(path);
}

} // namespace velmora::sheet
