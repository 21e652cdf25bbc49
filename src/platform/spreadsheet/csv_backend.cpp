// .csv: one sheet named after the file. Windows-1251 unless the file starts
// with a UTF-8 byte-order mark or is valid UTF-8 throughout; the separator
// is the one of ";", tab and "," that splits the first lines most evenly.
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>
#include <map>

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

QString fromCp1251(const char* data, std::size_t size)
{
    QString out(qsizetype(size), Qt::Uninitialized);
    QChar* p = out.data();
    for (std::size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        p[i] = b < 0x80 ? QChar(char16_t(b)) : QChar(kCp1251[b - 0x80]);
    }
    return out;
}

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

const QRegularExpression& numberPattern()
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(0|[1-9][0-9]*)([.,][0-9]+)?$"));
    return re;
}

const QRegularExpression& datePattern()
{
    static const QRegularExpression re(
        QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4})(?: ([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?$"));
    return re;
}

// A field as the spreadsheet would take it: plain numbers and dd.mm.yyyy
// dates are typed; everything else, and numbers with leading zeros (article
// codes), stays text.
void typeField(const QString& text, CellEvent& e)
{
    const QString t = text.trimmed();
    if (!t.isEmpty() && t.size() <= 30 && (t[0].isDigit() || t[0] == u'-' || t[0] == u'+')) {
        if (numberPattern().match(t).hasMatch()) {
            bool ok = false;
            const double v = QString(t).replace(u',', u'.').toDouble(&ok);
            if (ok) {
                e.type = CellType::Number;
                e.number = v;
                return;
            }
        }
        const auto m = datePattern().match(t);
        if (m.hasMatch()) {
            const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
            const QTime time = m.captured(4).isEmpty()
                                   ? QTime(0, 0)
                                   : QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
            if (date.isValid() && time.isValid()) {
                e.type = CellType::Date;
                e.number = toDayNumber(QDateTime(date, time));
                return;
            }
        }
    }
    e.type = CellType::Text;
    e.text = text;
}

class CsvBackend : public WorkbookReader::Backend {
public:
    explicit CsvBackend(const QString& path) : path_(path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw SheetError(QStringLiteral("Файл \"%1\" не открывается: %2").arg(path, file.errorString()));
        const QByteArray head = file.peek(3);
        bom_ = head.startsWith("\xEF\xBB\xBF");
        utf8_ = bom_;
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
        QByteArray sample = file.read(64 * 1024);
        if (bom_)
            sample.remove(0, 3);
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
        if (bom_)
            file.read(3);
        int row = 1;
        int column = 1;
        std::string field;
        bool quoted = false;     // inside quotes
        bool wasQuoted = false;  // the field began with a quote
        bool afterQuote = false; // a quote seen inside quotes: closing or doubled
        bool pendingCr = false;
        CellEvent e;
        bool goOn = true;
        auto emitField = [&]() {
            if (!field.empty() || wasQuoted) {
                const QString text = utf8_ ? QString::fromUtf8(field.data(), qsizetype(field.size()))
                                           : fromCp1251(field.data(), field.size());
                if (!text.isEmpty()) {
                    e = CellEvent();
                    e.row = row;
                    e.column = column;
                    if (wasQuoted) {
                        e.type = CellType::Text;
                        e.text = text;
                    } else {
                        typeField(text, e);
                    }
                    if (column > kMaxColumns)
                        throw SheetError(QStringLiteral("В файле \"%1\" больше %2 колонок (строка %3)")
                                             .arg(path_)
                                             .arg(kMaxColumns)
                                             .arg(row));
                    goOn = sink.cell(e);
                }
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
            const QByteArray chunk = file.read(kChunk);
            const char* p = chunk.constData();
            const qsizetype n = chunk.size();
            for (qsizetype i = 0; i < n && goOn; ++i) {
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
        return info;
    }

private:
    QString path_;
    QString name_;
    bool bom_ = false;
    bool utf8_ = false;
    char separator_ = ';';
};

} // namespace

std::unique_ptr<WorkbookReader::Backend> makeCsvBackend(const QString& path)
{
    return std::make_unique<CsvBackend>(path);
}

} // namespace velmora::sheet
