// .xls (BIFF8): values through freexl; formulas, their cached results,
// hyperlinks and merges from the workbook stream read here, since freexl
// gives none of them.
#include "platform/spreadsheet/biff_formula.h"
#include "platform/spreadsheet/ole_file.h"
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <QDateTime>
#include <QFile>
#include <cstring>
#include <freexl.h>
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

struct SheetExtras {
    std::map<CellRef, FormulaCell> formulas;
    std::vector<CellRange> merges;
    std::vector<Hyperlink> hyperlinks;
};

class FreexlHandle {
public:
    explicit FreexlHandle(const QString& path)
    {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle_);
        if (rc != FREEXL_OK) {
            handle_ = nullptr;
            throw SheetError(QStringLiteral("Файл \"%1\" повреждён или не является книгой Excel (код %2)")
                                 .arg(path)
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

class XlsBackend : public WorkbookReader::Backend {
public:
    explicit XlsBackend(const QString& path) : path_(path), ole_(path)
    {
        if (ole_.hasStream(QStringLiteral("EncryptedPackage")) || ole_.hasStream(QStringLiteral("EncryptionInfo")))
            throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path));
        if (ole_.hasStream(QStringLiteral("Workbook"))) {
            stream_ = ole_.stream(QStringLiteral("Workbook"));
            readGlobals();
        } else if (!ole_.hasStream(QStringLiteral("Book"))) {
            throw SheetError(QStringLiteral("Файл \"%1\" не является книгой Excel").arg(path));
        }
        freexl_ = std::make_unique<FreexlHandle>(path);
        unsigned int info = 0;
        if (freexl_get_info(freexl_->get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
            info == FREEXL_BIFF_OBFUSCATED)
            throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path));
        unsigned int count = 0;
        freexl_get_info(freexl_->get(), FREEXL_BIFF_SHEET_COUNT, &count);
        for (unsigned int i = 0; i < count; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(freexl_->get(), std::uint16_t(i), &name) == FREEXL_OK && name)
                freexlNames_ << QString::fromUtf8(name);
        }
        if (sheets_.empty()) {
            // An older (BIFF5) file: only the values that freexl gives.
            for (const QString& name : freexlNames_)
                sheets_.push_back(Sheet{name, 0});
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
        SheetExtras extras;
        if (sheet.offset > 0)
            readSheetStream(sheet.offset, extras);
        info.merges = extras.merges;
        info.hyperlinks = extras.hyperlinks;

        const qsizetype fx = freexlNames_.indexOf(sheet.name);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (fx >= 0 && freexl_select_active_worksheet(freexl_->get(), std::uint16_t(fx)) == FREEXL_OK)
            freexl_worksheet_dimensions(freexl_->get(), &rows, &columns);
        else if (fx >= 0)
            throw SheetError(QStringLiteral("Не удалось прочитать лист \"%1\" книги \"%2\"").arg(sheet.name, path_));
        if (rows > 0 && columns > 0)
            sink.dimension(CellRef{int(rows), int(columns)});

        auto formulaAt = extras.formulas.begin();
        CellEvent e;
        auto emitFormula = [&](const CellRef& at, const FormulaCell& f) {
            e = CellEvent();
            e.row = at.row;
            e.column = at.column;
            e.type = f.type;
            e.number = f.number;
            e.text = f.text;
            e.formula = f.formula;
            return sink.cell(e);
        };
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                const CellRef at{int(r + 1), int(c + 1)};
                // Formula cells freexl skipped, in their order.
                while (formulaAt != extras.formulas.end() && formulaAt->first < at) {
                    if (!emitFormula(formulaAt->first, formulaAt->second))
                        return info;
                    ++formulaAt;
                }
                if (formulaAt != extras.formulas.end() && formulaAt->first == at) {
                    if (!emitFormula(at, formulaAt->second))
                        return info;
                    ++formulaAt;
                    continue;
                }
                FreeXL_CellValue value;
                if (freexl_get_cell_value(freexl_->get(), r, c, &value) != FREEXL_OK)
                    continue;
                e = CellEvent();
                e.row = at.row;
                e.column = at.column;
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
        }
        for (; formulaAt != extras.formulas.end(); ++formulaAt)
            if (!emitFormula(formulaAt->first, formulaAt->second))
                break;
        return info;
    }

private:
    struct Sheet {
        QString name;
        std::size_t offset; // of the sheet's BOF in the stream
    };

    void readGlobals()
    {
        RecordReader reader(stream_, 0);
        Record r;
        bool first = true;
        std::vector<bool> supbookInternal;
        std::vector<std::tuple<int, int, int>> xti;
        QStringList allSheets;
        std::vector<std::pair<QString, std::size_t>> boundSheets;
        while (reader.next(r)) {
            if (first) {
                first = false;
                if (r.type != kBof || r.size() < 2 || u16(r.data()) != 0x0600)
                    return; // not BIFF8: freexl alone
                continue;
            }
            const unsigned char* d = r.data();
            const std::size_t n = r.size();
            if (r.type == kEof)
                break;
            if (r.type == kFilePass)
                throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path_));
            if (r.type == kBoundSheet && n >= 8) {
                const std::uint32_t offset = u32(d);
                const unsigned char kind = d[5];
                StringCursor cur(r);
                cur.skip(6);
                unsigned char chars = 0, flags = 0;
                QString name;
                if (!cur.byte(chars) || !cur.byte(flags) || !cur.characters(chars, flags & 1, name))
                    continue;
                allSheets << name;
                if (kind == 0)
                    boundSheets.emplace_back(name, offset);
            } else if (r.type == kSupBook && n >= 4) {
                supbookInternal.push_back(u16(d + 2) == 0x0401);
            } else if (r.type == kExternSheet && n >= 2) {
                const std::uint16_t count = u16(d);
                for (std::uint16_t i = 0; i < count && 2 + (i + 1) * 6u <= n; ++i) {
                    const unsigned char* x = d + 2 + i * 6;
                    xti.emplace_back(u16(x), std::int16_t(u16(x + 2)), std::int16_t(u16(x + 4)));
                }
            } else if (r.type == kName && n >= 14) {
                const std::uint16_t options = u16(d);
                const unsigned char chars = d[3];
                StringCursor cur(r);
                cur.skip(14);
                unsigned char flags = 0;
                QString name;
                cur.byte(flags);
                cur.characters(chars, flags & 1, name);
                if ((options & 0x20) && !name.isEmpty()) {
                    static const char* builtin[] = {"Consolidate_Area", "Auto_Open", "Auto_Close", "Extract",
                                                    "Database", "Criteria", "Print_Area", "Print_Titles",
                                                    "Recorder", "Data_Form", "Auto_Activate", "Auto_Deactivate",
                                                    "Sheet_Title", "_FilterDatabase"};
                    const int code = name[0].unicode();
                    name = code < 14 ? QLatin1String(builtin[code]) : QStringLiteral("#NAME?");
                }
                context_.definedNames << name;
            }
        }
        context_.sheetNames = allSheets;
        for (const auto& [book, first, last] : xti) {
            const bool internal = book < int(supbookInternal.size()) && supbookInternal[std::size_t(book)];
            context_.externSheets.emplace_back(internal ? first : -1, internal ? last : -1);
        }
        for (const auto& [name, offset] : boundSheets)
            sheets_.push_back(Sheet{name, offset});
    }

    void readSheetStream(std::size_t offset, SheetExtras& extras)
    {
        RecordReader reader(stream_, offset);
        Record r;
        bool first = true;
        CellRef pendingString{0, 0};
        std::map<CellRef, std::pair<CellRef, std::vector<unsigned char>>> sharedFormulas; // by first cell
        CellRef lastFormula{0, 0};
        while (reader.next(r)) {
            const unsigned char* d = r.data();
            const std::size_t n = r.size();
            if (first) {
                first = false;
                if (r.type != kBof)
                    return;
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
            switch (r.type) {
            case kFormula: {
                if (n < 22)
                    break;
                const CellRef at{u16(d) + 1, u16(d + 2) + 1};
                FormulaCell cell;
                const unsigned char* result = d + 6;
                pendingString = CellRef{0, 0};
                if (u16(result + 6) == 0xFFFF) {
                    switch (result[0]) {
                    case 0:
                        pendingString = at; // text in the STRING record that follows
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
                    cell.type = CellType::Number;
                    std::memcpy(&cell.number, result, 8);
                }
                const std::uint16_t cce = u16(d + 20);
                if (22u + cce <= n) {
                    const unsigned char* rgce = d + 22;
                    if (cce >= 5 && rgce[0] == 0x01) {
                        // Part of a shared formula: its text comes with the
                        // SHRFMLA record after the first cell.
                        const CellRef origin{u16(rgce + 1) + 1, u16(rgce + 3) + 1};
                        auto it = sharedFormulas.find(origin);
                        if (it != sharedFormulas.end())
                            cell.formula = decompileBiffFormula(it->second.second.data(), it->second.second.size(),
                                                                context_, at.row - 1, at.column - 1);
                        else
                            sharedFormulas[origin].first = at; // first user; SHRFMLA follows
                    } else {
                        cell.formula = decompileBiffFormula(rgce, cce, context_, at.row - 1, at.column - 1);
                    }
                }
                lastFormula = at;
                extras.formulas[at] = cell;
                break;
            }
            case kShrFmla: {
                if (n < 10)
                    break;
                const std::uint16_t cce = u16(d + 8);
                if (10u + cce > n)
                    break;
                // The range's first cell is the origin the ptgExp tokens name.
                const CellRef origin{u16(d) + 1, d[4] + 1};
                std::vector<unsigned char> tokens(d + 10, d + 10 + cce);
                auto& entry = sharedFormulas[origin];
                entry.second = tokens;
                const CellRef user = lastFormula;
                auto f = extras.formulas.find(user);
                if (f != extras.formulas.end() && f->second.formula.isEmpty())
                    f->second.formula = decompileBiffFormula(tokens.data(), tokens.size(), context_, user.row - 1,
                                                             user.column - 1);
                break;
            }
            case kString: {
                if (pendingString.row == 0)
                    break;
                StringCursor cur(r);
                std::uint16_t chars = 0;
                unsigned char flags = 0;
                QString text;
                if (cur.word(chars) && cur.byte(flags) && cur.characters(chars, flags & 1, text))
                    extras.formulas[pendingString].text = text;
                pendingString = CellRef{0, 0};
                break;
            }
            case kBoolErr: {
                // freexl reads booleans as numbers and skips errors.
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
                extras.formulas[CellRef{u16(d) + 1, u16(d + 2) + 1}] = cell;
                break;
            }
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
                // Joined with CONTINUE parts, if any.
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
    std::unique_ptr<FreexlHandle> freexl_;
    QStringList freexlNames_;
    std::vector<Sheet> sheets_;
    BiffFormulaContext context_;
};

} // namespace

std::unique_ptr<WorkbookReader::Backend> makeXlsBackend(const QString& path)
{
    return std::make_unique<XlsBackend>(path);
}

} // namespace velmora::sheet
