// .xls: BIFF8 workbooks (Excel 97 and later) are read here record by
// record: values, formulas with their cached results, hyperlinks and
// merges. freexl, which gives values only and fails badly on damaged files
// (reads past its buffers), is left for the older BIFF5 format.
#include "platform/spreadsheet/biff_formula.h"
#include "platform/spreadsheet/number_formats.h"
#include "platform/spreadsheet/ole_file.h"
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cstring>
#include <freexl.h>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>

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

class RecordReader {
public:
    RecordReader(const std::string& stream, std::size_t offset)
        : data_(reinterpret_cast<const unsigned char*>(stream.data())), size_(stream.size()), pos_(offset)
    {
    }
    bool next(Record& record)
    {
        if (pos_ + 4 > size_)
            return false;
        record.type = u16(data_ + pos_);
        std::size_t length = u16(data_ + pos_ + 2);
        if (pos_ + 4 + length > size_)
            return false;
        record.parts.assign(1, {data_ + pos_ + 4, length});
        pos_ += 4 + length;
        while (pos_ + 4 <= size_ && u16(data_ + pos_) == kContinue) {
            length = u16(data_ + pos_ + 2);
            if (pos_ + 4 + length > size_)
                break;
            record.parts.emplace_back(data_ + pos_ + 4, length);
            pos_ += 4 + length;
        }
        return true;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_;
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
    // `chars` characters after a flags byte already read.
    bool characters(std::size_t chars, bool wide, QString& out)
    {
        out.reserve(qsizetype(chars));
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
            if (wide) {
                std::uint16_t ch;
                if (!word(ch))
                    return false;
                out += QChar(char16_t(ch));
            } else {
                unsigned char ch;
                if (!byte(ch))
                    return false;
                out += QChar(char16_t(ch));
            }
            --chars;
        }
        return true;
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

// A formula cell as the stream has it (its text and cached result), or a
// boolean or error constant.
struct FormulaCell {
    QString formula;
    CellType type = CellType::Empty;
    double number = 0;
    QString text;
};

// A sheet as its records give it.
struct SheetExtras {
    std::vector<std::pair<CellRef, FormulaCell>> cells;
    std::vector<CellRange> merges;
    std::vector<Hyperlink> hyperlinks;
    CellRef last{0, 0}; // the stated size
    void add(CellRef at, FormulaCell cell)
    {
        if (at.isValid())
            cells.emplace_back(at, std::move(cell));
    }
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
        stream_ = ole_.stream(streamName);
        biff8_ = readGlobals();
        if (!biff8_) {
            // Excel 5.0/95 and older: freexl reads their values. It gets the
            // stream in a clean container of our own, since it trusts sizes
            // and chains that a damaged file may get wrong.
            clean_ = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("velmora-xls-XXXXXX.xls")));
            if (!clean_->open())
                throw SheetError(QStringLiteral("Не удалось создать временный файл для чтения \"%1\"").arg(path));
            clean_->close();
            writeSingleStreamOleFile(clean_->fileName(), streamName, stream_);
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

    SheetInfo read(int index, CellSink& sink) override
    {
        const Sheet& sheet = sheets_[std::size_t(index - 1)];
        SheetInfo info;
        info.name = sheet.name;
        if (!biff8_)
            return readWithFreexl(index, sink, info);
        SheetExtras extras;
        readSheetStream(sheet.offset, extras);
        info.merges = std::move(extras.merges);
        info.hyperlinks = std::move(extras.hyperlinks);
        if (extras.last.row > 0)
            sink.dimension(extras.last);
        // Cells come grouped by rows but not always in order; a later record
        // for the same cell wins.
        auto& cells = extras.cells;
        std::stable_sort(cells.begin(), cells.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        CellEvent e;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i + 1 < cells.size() && cells[i + 1].first == cells[i].first)
                continue;
            const FormulaCell& c = cells[i].second;
            e = CellEvent();
            e.row = cells[i].first.row;
            e.column = cells[i].first.column;
            e.type = c.type;
            e.number = c.number;
            e.text = c.text;
            e.formula = c.formula;
            if (!sink.cell(e))
                break;
        }
        return info;
    }

private:
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

    // The shared-string table; its strings run on across CONTINUE records.
    void readSst(const Record& r)
    {
        StringCursor cur(r);
        std::uint32_t total = 0, unique = 0;
        if (!cur.dword(total) || !cur.dword(unique))
            return;
        sst_.reserve(std::min<std::size_t>(unique, stream_.size() / 3));
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
            QString text;
            if (!cur.characters(chars, flags & 1, text))
                break;
            sst_.push_back(text);
            if (!cur.skip(std::size_t(runs) * 4 + ext))
                break;
        }
    }

    bool isDateXf(std::uint16_t xf) const { return xf < xfIsDate_.size() && xfIsDate_[xf]; }

    void addNumber(SheetExtras& extras, CellRef at, std::uint16_t xf, double value)
    {
        FormulaCell cell;
        cell.type = isDateXf(xf) ? CellType::Date : CellType::Number;
        cell.number = value + (cell.type == CellType::Date && date1904_ ? 1462 : 0);
        extras.add(at, std::move(cell));
    }

    void readSheetStream(std::size_t offset, SheetExtras& extras)
    {
        if (offset >= stream_.size())
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: лист за концом потока").arg(path_));
        RecordReader reader(stream_, offset);
        Record r;
        bool first = true;
        std::size_t pendingString = SIZE_MAX; // the formula waiting for its STRING record
        std::size_t lastFormula = SIZE_MAX;
        std::map<CellRef, std::vector<unsigned char>> sharedFormulas; // by their first cell
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
            auto at = [&](const unsigned char* p) { return CellRef{u16(p) + 1, u16(p + 2) + 1}; };
            switch (r.type) {
            case kNumber:
                if (n >= 14) {
                    double v;
                    std::memcpy(&v, d + 6, 8);
                    addNumber(extras, at(d), u16(d + 4), v);
                }
                break;
            case kRk:
                if (n >= 10)
                    addNumber(extras, at(d), u16(d + 4), rkValue(u32(d + 6)));
                break;
            case kMulRk: {
                if (n < 6)
                    break;
                const int row = u16(d) + 1;
                const int firstColumn = u16(d + 2) + 1;
                const std::size_t count = (n - 6) / 6;
                for (std::size_t i = 0; i < count; ++i) {
                    const unsigned char* p = d + 4 + i * 6;
                    addNumber(extras, CellRef{row, firstColumn + int(i)}, u16(p), rkValue(u32(p + 2)));
                }
                break;
            }
            case kLabelSst: {
                if (n < 10)
                    break;
                const std::uint32_t index = u32(d + 6);
                if (index >= sst_.size())
                    throw SheetError(QStringLiteral("Книга \"%1\" повреждена: нет общей строки %2").arg(path_).arg(index));
                FormulaCell cell;
                cell.type = CellType::Text;
                cell.text = sst_[index];
                extras.add(at(d), std::move(cell));
                break;
            }
            case kLabel: {
                if (n < 9)
                    break;
                StringCursor cur(r);
                cur.skip(6);
                std::uint16_t chars = 0;
                unsigned char flags = 0;
                FormulaCell cell;
                cell.type = CellType::Text;
                if (cur.word(chars) && cur.byte(flags) && cur.characters(chars, flags & 1, cell.text))
                    extras.add(at(d), std::move(cell));
                break;
            }
            case kFormula: {
                if (n < 22)
                    break;
                const CellRef cellAt = at(d);
                FormulaCell cell;
                const unsigned char* result = d + 6;
                pendingString = SIZE_MAX;
                bool waitsForString = false;
                if (u16(result + 6) == 0xFFFF) {
                    switch (result[0]) {
                    case 0:
                        waitsForString = true; // the text is in the STRING record that follows
                        cell.type = CellType::Text;
                        break;
                    case 1:
                        cell.type = CellType::Boolean;
                        cell.number = result[2] ? 1 : 0;
                        break;
                    case 2:
                        cell.type = CellType::Error;
                        cell.text = errorText(result[2]);
                        break;
                    default:
                        cell.type = CellType::Text; // empty text
                        break;
                    }
                } else {
                    std::memcpy(&cell.number, result, 8);
                    cell.type = isDateXf(u16(d + 4)) ? CellType::Date : CellType::Number;
                    if (cell.type == CellType::Date && date1904_)
                        cell.number += 1462;
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
                            cell.formula = decompileBiffFormula(it->second.data(), it->second.size(), context_,
                                                                cellAt.row - 1, cellAt.column - 1);
                    } else {
                        cell.formula = decompileBiffFormula(rgce, cce, context_, cellAt.row - 1, cellAt.column - 1);
                    }
                }
                extras.add(cellAt, std::move(cell));
                lastFormula = extras.cells.size() - 1;
                if (waitsForString)
                    pendingString = lastFormula;
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
                if (lastFormula != SIZE_MAX) {
                    auto& [where, cell] = extras.cells[lastFormula];
                    if (cell.formula.isEmpty())
                        cell.formula = decompileBiffFormula(tokens.data(), tokens.size(), context_, where.row - 1,
                                                            where.column - 1);
                }
                sharedFormulas[origin] = std::move(tokens);
                break;
            }
            case kString: {
                if (pendingString == SIZE_MAX)
                    break;
                StringCursor cur(r);
                std::uint16_t chars = 0;
                unsigned char flags = 0;
                QString text;
                if (cur.word(chars) && cur.byte(flags) && cur.characters(chars, flags & 1, text))
                    extras.cells[pendingString].second.text = text;
                pendingString = SIZE_MAX;
                break;
            }
            case kBoolErr: {
                if (n < 8)
                    break;
                FormulaCell cell;
                if (d[7]) {
                    cell.type = CellType::Error;
                    cell.text = errorText(d[6]);
                } else {
                    cell.type = CellType::Boolean;
                    cell.number = d[6] ? 1 : 0;
                }
                extras.add(at(d), std::move(cell));
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
            case kHlink: {
                std::vector<unsigned char> all;
                for (const auto& [p, size] : r.parts)
                    all.insert(all.end(), p, p + size);
                if (auto link = parseHlink(all.data(), all.size()))
                    extras.hyperlinks.push_back(*link);
                break;
            }
            default:
                break;
            }
        }
    }

    QString path_;
    OleFile ole_;
    std::string stream_;
    bool biff8_ = false;
    std::vector<Sheet> sheets_;
    BiffFormulaContext context_;
    std::vector<QString> sst_;
    std::map<int, QString> formats_;
    std::vector<std::uint16_t> xfFormats_;
    std::vector<bool> xfIsDate_;
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
