// .csv: one sheet named after the file. UTF-16 when the file starts with its
// byte-order mark, else Windows-1251 unless it starts with a UTF-8 one or is
// valid UTF-8 throughout; a text holding NUL characters (UTF-16 without its
// mark, a binary file) is refused. The separator is the one of ";", tab and
// "," that splits the first lines most evenly. A file that changes while it
// is read (cut short, rewritten) is refused, never read in part.
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <array>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>

namespace velmora::sheet {

namespace {

constexpr qint64 kChunk = 1 << 20;

// Windows-1251, bytes 0x80..0xFF.
const char16_t kCp1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Checks UTF-8 validity across chunk boundaries.
class Utf8Checker {
public:
    bool feed(const unsigned char* p, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char b = p[i];
            if (pending_ > 0) {
                if ((b & 0xC0) != 0x80)
                    return false;
                --pending_;
                continue;
            }
            if (b < 0x80)
                continue;
            if (b >= 0xC2 && b <= 0xDF)
                pending_ = 1;
            else if (b >= 0xE0 && b <= 0xEF)
                pending_ = 2;
            else if (b >= 0xF0 && b <= 0xF4)
                pending_ = 3;
            else
                return false;
            sawMultibyte_ = true;
        }
        return true;
    }
    bool complete() const { return pending_ == 0; }

private:
    int pending_ = 0;
    bool sawMultibyte_ = false;
};

// The separator that splits the sample's lines most evenly.
char detectSeparator(const QByteArray& sample)
{
    const std::array<char, 3> candidates{';', '\t', ','};
    std::array<std::vector<int>, 3> counts;
    std::array<int, 3> current{0, 0, 0};
    bool quoted = false;
    int lines = 0;
    for (qsizetype i = 0; i < sample.size() && lines < 50; ++i) {
        const char c = sample[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < sample.size() && sample[i + 1] == '\n')
                ++i;
            for (int k = 0; k < 3; ++k) {
                counts[std::size_t(k)].push_back(current[std::size_t(k)]);
                current[std::size_t(k)] = 0;
            }
            ++lines;
            continue;
        }
        for (int k = 0; k < 3; ++k)
            if (c == candidates[std::size_t(k)])
                ++current[std::size_t(k)];
    }
    for (int k = 0; k < 3; ++k)
        if (current[std::size_t(k)] > 0 || counts[std::size_t(k)].empty())
            counts[std::size_t(k)].push_back(current[std::size_t(k)]);
    int best = 0;
    int bestScore = -1;
    for (int k = 0; k < 3; ++k) {
        std::map<int, int> frequency;
        for (int n : counts[std::size_t(k)])
            if (n > 0)
                ++frequency[n];
        int score = 0;
        for (const auto& [n, times] : frequency)
            score = std::max(score, times * 1000 + n);
        if (score > bestScore) {
            bestScore = score;
            best = k;
        }
    }
    return bestScore > 0 ? candidates[std::size_t(best)] : ';';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A plain number: optional sign, digits without a leading zero (article
// codes such as 0123 stay text), optionally "," or "." and more digits.
bool parseNumber(const char* p, std::size_t n, double& value)
{
    std::size_t i = 0;
    if (i < n && (p[i] == '-' || p[i] == '+'))
        ++i;
    const std::size_t intStart = i;
    while (i < n && isDigit(p[i]))
        ++i;
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && p[intStart] == '0'))
        return false;
    std::size_t fracDigits = 0;
    if (i < n && (p[i] == ',' || p[i] == '.')) {
        ++i;
        const std::size_t fracStart = i;
        while (i < n && isDigit(p[i]))
            ++i;
        fracDigits = i - fracStart;
        if (fracDigits == 0)
            return false;
    }
    if (i != n || n > 30)
        return false;
    char buffer[32];
    std::memcpy(buffer, p, n);
    for (std::size_t k = 0; k < n; ++k)
        if (buffer[k] == ',')
            buffer[k] = '.';
    const char* start = buffer[0] == '+' ? buffer + 1 : buffer;
    return std::from_chars(start, buffer + n, value).ec == std::errc();
}

// dd.mm.yyyy with an optional " hh:mm" or " hh:mm:ss".
bool parseDate(const char* p, std::size_t n, double& day)
{
    int parts[6] = {0, 0, 0, 0, 0, 0};
    int digits[6] = {0, 0, 0, 0, 0, 0};
    const char separators[6] = {'.', '.', ' ', ':', ':', 0};
    int part = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (isDigit(c)) {
            parts[part] = parts[part] * 10 + (c - '0');
            if (++digits[part] > 4)
                return false;
        } else if (part < 5 && c == separators[part]) {
            ++part;
        } else {
            return false;
        }
    }
    const bool timeGiven = part >= 3;
    if (part < 2 || part == 3 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 || digits[2] != 4)
        return false;
    if (timeGiven && (digits[3] < 1 || digits[3] > 2 || digits[4] != 2 || (part == 5 && digits[5] != 2)))
        return false;
    const QDate date(parts[2], parts[1], parts[0]);
    const QTime time = timeGiven ? QTime(parts[3], parts[4], parts[5]) : QTime(0, 0);
    if (!date.isValid() || !time.isValid())
        return false;
    day = toDayNumber(date, time);
    return true;
}

// A field as the spreadsheet would take it: plain numbers and dd.mm.yyyy
// dates are typed, everything else stays text.
bool typeField(const char* p, std::size_t n, CellEvent& e)
{
    while (n > 0 && (*p == ' ' || *p == '\t')) {
        ++p;
        --n;
    }
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t'))
        --n;
    if (n == 0 || !(isDigit(p[0]) || p[0] == '-' || p[0] == '+'))
        return false;
    if (parseNumber(p, n, e.number)) {
        e.type = CellType::Number;
        return true;
    }
    if (parseDate(p, n, e.number)) {
        e.type = CellType::Date;
        return true;
    }
    return false;
}

// Windows-1251 bytes as UTF-8, into a buffer reused from field to field.
void cp1251ToUtf8(const std::string& in, std::string& out)
{
    out.clear();
    out.reserve(in.size() * 2);
    for (const char ch : in) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
            continue;
        }
        const char16_t c = kCp1251[b - 0x80];
        if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
}

// What tells a file from the same file rewritten or cut: its size and
// modification time.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;

    static FileStamp of(const QString& path)
    {
        const QFileInfo info(path);
        return {info.size(), info.lastModified()};
    }
    bool operator==(const FileStamp&) const = default;
};

class CsvBackend : public WorkbookReader::Backend {
public:
    explicit CsvBackend(const QString& path) : path_(path), stamp_(FileStamp::of(path))
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw SheetError(QStringLiteral("Файл \"%1\" не открывается: %2").arg(path, file.errorString()));
        const QByteArray head = file.peek(3);
        if (head.startsWith("\xFF\xFE"))
            utf16_ = QStringDecoder::Utf16LE;
        else if (head.startsWith("\xFE\xFF"))
            utf16_ = QStringDecoder::Utf16BE;
        bomSize_ = utf16_ ? 2 : head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        utf8_ = bomSize_ > 0; // UTF-16 is read as UTF-8 made from it
        if (!utf8_) {
            Utf8Checker checker;
            bool valid = true;
            while (valid && !file.atEnd()) {
                const QByteArray chunk = file.read(kChunk);
                valid = checker.feed(reinterpret_cast<const unsigned char*>(chunk.constData()), std::size_t(chunk.size()));
            }
            utf8_ = valid && checker.complete();
            file.seek(0);
        }
        file.read(bomSize_);
        QByteArray sample = file.read(64 * 1024);
        if (utf16_) {
            QStringDecoder decode(*utf16_);
            sample = QString(decode(sample)).toUtf8();
        }
        separator_ = detectSeparator(sample);
        name_ = QFileInfo(path).completeBaseName().left(31);
        if (name_.isEmpty())
            name_ = QStringLiteral("Лист1");
    }

    QStringList sheetNames() const override { return {name_}; }

    SheetInfo read(int, CellSink& sink) override
    {
        SheetInfo info;
        info.name = name_;
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly))
            throw SheetError(QStringLiteral("Файл \"%1\" не открывается: %2").arg(path_, file.errorString()));
        qint64 bytesRead = file.read(bomSize_).size();
        std::optional<QStringDecoder> decoder;
        if (utf16_)
            decoder.emplace(*utf16_);
        int row = 1;
        int column = 1;
        std::string field;
        bool quoted = false;     // inside quotes
        bool wasQuoted = false;  // the field began with a quote
        bool afterQuote = false; // a quote seen inside quotes: closing or doubled
        bool pendingCr = false;
        CellEvent e;
        bool goOn = true;
        std::string converted;
        auto emitField = [&]() {
            if (!field.empty()) {
                if (column > kMaxColumns)
                    throw SheetError(QStringLiteral("В файле \"%1\" больше %2 колонок (строка %3)")
                                         .arg(path_)
                                         .arg(kMaxColumns)
                                         .arg(row));
                e = CellEvent();
                e.row = row;
                e.column = column;
                if (wasQuoted || !typeField(field.data(), field.size(), e)) {
                    e.type = CellType::Text;
                    if (utf8_) {
                        e.utf8 = field.data();
                        e.utf8Size = field.size();
                    } else {
                        cp1251ToUtf8(field, converted);
                        e.utf8 = converted.data();
                        e.utf8Size = converted.size();
                    }
                }
                goOn = sink.cell(e);
            }
            field.clear();
            wasQuoted = false;
            afterQuote = false;
        };
        auto endLine = [&]() {
            emitField();
            ++row;
            column = 1;
            if (row > kMaxRows + 1)
                throw SheetError(QStringLiteral("В файле \"%1\" больше %2 строк").arg(path_).arg(kMaxRows));
        };
        while (goOn && !file.atEnd()) {
            QByteArray chunk = file.read(kChunk);
            bytesRead += chunk.size();
            if (decoder)
                chunk = QString(decoder->decode(chunk)).toUtf8();
            if (std::memchr(chunk.constData(), 0, std::size_t(chunk.size())))
                throw SheetError(QStringLiteral("Файл \"%1\" не является текстом CSV: в нём есть нулевые символы "
                                                "(возможно, это UTF-16 без метки порядка байтов)")
                                     .arg(path_));
            const char* p = chunk.constData();
            const qsizetype n = chunk.size();
            for (qsizetype i = 0; i < n && goOn; ++i) {
                // Runs of ordinary characters go into the field at once.
                if (!pendingCr && !(quoted && afterQuote)) {
                    qsizetype j = i;
                    if (quoted) {
                        while (j < n && p[j] != '"')
                            ++j;
                    } else {
                        while (j < n && p[j] != separator_ && p[j] != '\n' && p[j] != '\r' && p[j] != '"')
                            ++j;
                    }
                    if (j > i) {
                        field.append(p + i, std::size_t(j - i));
                        i = j;
                        if (i >= n)
                            break;
                    }
                }
                const char c = p[i];
                if (pendingCr) {
                    pendingCr = false;
                    if (c == '\n')
                        continue;
                }
                if (quoted) {
                    if (afterQuote) {
                        afterQuote = false;
                        if (c == '"') {
                            field += '"';
                            continue;
                        }
                        quoted = false; // that quote closed the field; handle c below
                    } else if (c == '"') {
                        afterQuote = true;
                        continue;
                    } else {
                        field += c;
                        continue;
                    }
                }
                if (c == separator_) {
                    emitField();
                    ++column;
                } else if (c == '\n' || c == '\r') {
                    endLine();
                    pendingCr = c == '\r';
                } else if (c == '"' && field.empty() && !wasQuoted) {
                    quoted = true;
                    wasQuoted = true;
                } else {
                    field += c;
                }
            }
        }
        if (goOn && (!field.empty() || wasQuoted))
            emitField();
        // Everything read: it must be the file that was opened, whole.
        if (goOn && (bytesRead != stamp_.size || !(FileStamp::of(path_) == stamp_)))
            throw SheetError(QStringLiteral("Файл \"%1\" изменился во время чтения").arg(path_));
        return info;
    }

private:
    QString path_;
    FileStamp stamp_;
    QString name_;
    std::optional<QStringDecoder::Encoding> utf16_;
    qint64 bomSize_ = 0;
    bool utf8_ = false;
    char separator_ = ';';
};

} // namespace

std::unique_ptr<WorkbookReader::Backend> makeCsvBackend(const QString& path)
{
    return std::make_unique<CsvBackend>(path);
}

} // namespace velmora::sheet
