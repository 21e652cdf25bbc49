// .csv: one sheet named after the file. UTF-16 when the file starts with its
// byte-order mark, else Windows-1251 unless it starts with a UTF-8 one or is
// valid UTF-8 throughout; a text holding NUL characters (UTF-16 without its
// mark, a binary file) is refused. The separator is the one of ";", tab and
// "," that splits the first lines most evenly. A file that changes while it
// is read (cut short, rewritten) is refused, never read in part.
//
// Every field is a text, kept as written ("1.10", "007" and
// "123456789012345678" are articles as much as numbers): a column that
// wants a number reads it from the text, as it does from a text cell of a
// workbook.
#include "platform/files/code_page.h"
#include "platform/spreadsheet/chunk_pipe.h"
#include "platform/spreadsheet/reader_backend.h"
#include "platform/spreadsheet/sheet_error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace velmora::sheet {

namespace {

constexpr qint64 kChunk = 1 << 20;

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

// Splits CSV text into fields: separators, line ends of every kind (a CR
// LF pair is one), quoted fields with doubled quotes, separators and line
// breaks inside. The state runs on from call to call, so the text may come
// in any pieces. Each non-empty field goes to onField(row, column, bytes,
// size), valid during the call; onField returns false to stop.
class CsvFields {
public:
    CsvFields(const QString& path, char separator, int firstRow) : path_(path), separator_(separator), row_(firstRow)
    {
        for (const char c : {separator, '\n', '\r', '"'})
            special_[static_cast<unsigned char>(c)] = true;
    }

    // false once onField asked to stop.
    template <class OnField>
    bool feed(const char* p, std::size_t n, OnField&& onField)
    {
        for (std::size_t i = 0; i < n && goOn_; ++i) {
            // Runs of ordinary characters go into the field at once.
            if (!pendingCr_ && !(quoted_ && afterQuote_)) {
                std::size_t j = i;
                if (quoted_) {
                    while (j < n && p[j] != '"')
                        ++j;
                } else {
                    while (j < n && !special_[static_cast<unsigned char>(p[j])])
                        ++j;
                }
                if (j > i && !quoted_ && field_.empty() && !wasQuoted_ && j < n && p[j] != '"') {
                    // A whole field before its separator or line end goes
                    // as it stands in the text; its end is handled below.
                    hand(onField, p + i, j - i);
                    i = j;
                } else if (j > i) {
                    field_.append(p + i, j - i);
                    i = j;
                    if (i >= n)
                        break;
                }
            }
            const char c = p[i];
            if (pendingCr_) {
                pendingCr_ = false;
                if (c == '\n')
                    continue;
            }
            if (quoted_) {
                if (afterQuote_) {
                    afterQuote_ = false;
                    if (c == '"') {
                        field_ += '"';
                        continue;
                    }
                    quoted_ = false; // that quote closed the field; c is handled below
                } else if (c == '"') {
                    afterQuote_ = true;
                    continue;
                } else {
                    field_ += c;
                    continue;
                }
            }
            if (c == separator_) {
                endField(onField);
                ++column_;
            } else if (c == '\n' || c == '\r') {
                endField(onField);
                endRecord();
                pendingCr_ = c == '\r';
            } else if (c == '"' && field_.empty() && !wasQuoted_) {
                quoted_ = true;
                wasQuoted_ = true;
            } else {
                field_ += c;
            }
        }
        return goOn_;
    }

    // The end of the text: its last field when no line break follows it.
    template <class OnField>
    bool finish(OnField&& onField)
    {
        if (goOn_ && (!field_.empty() || wasQuoted_))
            endField(onField);
        return goOn_;
    }

private:
    template <class OnField>
    void hand(OnField&& onField, const char* p, std::size_t n)
    {
        if (column_ > kMaxColumns)
            throw SheetError(QStringLiteral("В файле \"%1\" больше %2 колонок (строка %3)")
                                 .arg(path_)
                                 .arg(kMaxColumns)
                                 .arg(row_));
        goOn_ = onField(row_, column_, p, n);
    }
    template <class OnField>
    void endField(OnField&& onField)
    {
        if (!field_.empty())
            hand(onField, field_.data(), field_.size());
        field_.clear();
        wasQuoted_ = false;
        afterQuote_ = false;
    }
    void endRecord()
    {
        ++row_;
        column_ = 1;
        if (row_ > kMaxRows + 1)
            throw SheetError(QStringLiteral("В файле \"%1\" больше %2 строк").arg(path_).arg(kMaxRows));
    }

    const QString& path_;
    const char separator_;
    std::array<bool, 256> special_{}; // the bytes that end a run of a field outside quotes
    int row_;
    int column_ = 1;
    std::string field_;
    bool quoted_ = false;     // inside quotes
    bool wasQuoted_ = false;  // the field began with a quote
    bool afterQuote_ = false; // a quote seen inside quotes: closing or doubled
    bool pendingCr_ = false;
    bool goOn_ = true;
};

// Finds where whole records end in CSV text that arrives piece by piece,
// following quotes as CsvFields does, so that each piece cut there parses
// on its own; counts the records, so each piece knows its first row. A run
// without quotes is searched for line ends, not walked byte by byte.
class CsvRecordEnds {
public:
    explicit CsvRecordEnds(char separator) : separator_(separator) {}

    // Scans what `text` holds past the part already scanned.
    void scan(const std::string& text)
    {
        const char* p = text.data();
        const std::size_t n = text.size();
        while (scanned_ < n) {
            if (!afterCr_ && !afterQuote_) {
                // Up to the next quote nothing matters but the line ends
                // outside quotes, and nothing at all inside them.
                const void* quote = std::memchr(p + scanned_, '"', n - scanned_);
                const std::size_t runEnd = quote ? std::size_t(static_cast<const char*>(quote) - p) : n;
                if (quoted_) {
                    scanned_ = runEnd;
                } else if (runEnd > scanned_) {
                    scanPlain(p, runEnd, n);
                    if (scanned_ < runEnd)
                        return; // a CR at the end: the next byte decides
                }
                if (!quote)
                    return;
            }
            step(p[scanned_]);
        }
    }
    // The end of the last whole record scanned, and how many records end
    // there or before.
    std::size_t lastEnd() const { return lastEnd_; }
    int records() const { return records_; }
    // The text before lastEnd() was taken away.
    void cut()
    {
        scanned_ -= lastEnd_;
        lastEnd_ = 0;
        records_ = 0;
    }

private:
    // [scanned_, end) holds no quote: count its line ends. A CR that ends
    // the text (of `size` bytes) is left unscanned: the byte after it
    // decides.
    void scanPlain(const char* p, std::size_t end, std::size_t size)
    {
        const std::size_t from = scanned_;
        const std::size_t to = end == size && p[end - 1] == '\r' ? end - 1 : end;
        if (to <= from)
            return;
        // Line feeds, and how many of them close a CR LF; then the CRs.
        std::size_t feeds = 0;
        std::size_t pairs = 0;
        std::size_t lastFeed = 0;
        for (const char* at = p + from; (at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(p + to - at))));
             ++at) {
            ++feeds;
            pairs += std::size_t(at > p + from && at[-1] == '\r');
            lastFeed = std::size_t(at - p);
        }
        std::size_t returns = 0;
        for (const char* at = p + from; (at = static_cast<const char*>(std::memchr(at, '\r', std::size_t(p + to - at))));
             ++at)
            ++returns;
        if (returns == pairs) {
            // Every line ends with LF (or CR LF): the last LF ends the last record.
            if (feeds > 0) {
                records_ += int(feeds);
                lastEnd_ = lastFeed + 1;
            }
        } else {
            for (std::size_t k = from; k < to; ++k) {
                if (p[k] == '\n') {
                    if (k == from || p[k - 1] != '\r') // the LF of a CR LF counts with its CR
                        ++records_;
                    lastEnd_ = k + 1;
                } else if (p[k] == '\r') {
                    if (p[k + 1] != '\n') {
                        ++records_;
                        lastEnd_ = k + 1;
                    } else {
                        ++records_;
                    }
                }
            }
        }
        const char last = p[to - 1];
        atFieldStart_ = last == separator_ || last == '\n' || last == '\r';
        scanned_ = to;
    }
    // One byte, with the state CsvFields keeps.
    void step(char c)
    {
        const std::size_t at = scanned_++;
        if (afterCr_) {
            // The record the CR ended ends here, or after this LF.
            afterCr_ = false;
            ++records_;
            if (c == '\n') {
                lastEnd_ = at + 1;
                return;
            }
            lastEnd_ = at;
        }
        if (quoted_) {
            if (afterQuote_) {
                afterQuote_ = false;
                if (c == '"')
                    return;
                quoted_ = false;
            } else {
                afterQuote_ = c == '"';
                return;
            }
        }
        if (c == '\n') {
            ++records_;
            lastEnd_ = at + 1;
            atFieldStart_ = true;
        } else if (c == '\r') {
            afterCr_ = true;
            atFieldStart_ = true;
        } else if (c == separator_) {
            atFieldStart_ = true;
        } else {
            if (c == '"' && atFieldStart_)
                quoted_ = true;
            atFieldStart_ = false;
        }
    }

    const char separator_;
    std::size_t scanned_ = 0;
    std::size_t lastEnd_ = 0;
    int records_ = 0;
    bool quoted_ = false;
    bool afterQuote_ = false;
    bool afterCr_ = false;
    bool atFieldStart_ = true;
};

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

// The text of an open file piece by piece: UTF-16 made into UTF-8, a NUL
// character refused, and the bytes read counted for the check against the
// file that was opened.
class CsvText {
public:
    CsvText(QFile& file, const QString& path, std::optional<QStringDecoder::Encoding> utf16)
        : file_(file), path_(path)
    {
        if (utf16)
            decoder_.emplace(*utf16);
    }

    // Appends the next text of at most `bytes` bytes of the file to `out`;
    // false at the end of the file.
    bool readInto(std::string& out, qint64 bytes)
    {
        const std::size_t had = out.size();
        // No more than the file holds, and a byte to see whether it grew:
        // Qt and the string below size a read by what is asked.
        const qint64 want = std::min(bytes, std::max<qint64>(file_.size() - file_.pos(), 0) + 1);
        if (decoder_) {
            const QByteArray piece = file_.read(want);
            if (piece.isEmpty())
                return false;
            read_ += piece.size();
            const QByteArray utf8 = QString(decoder_->decode(piece)).toUtf8();
            out.append(utf8.constData(), std::size_t(utf8.size()));
        } else {
            out.resize(had + std::size_t(want));
            const qint64 got = file_.read(out.data() + had, want);
            out.resize(had + std::size_t(std::max<qint64>(got, 0)));
            if (got <= 0)
                return false;
            read_ += got;
        }
        if (std::memchr(out.data() + had, 0, out.size() - had))
            throw SheetError(QStringLiteral("Файл \"%1\" не является текстом CSV: в нём есть нулевые символы "
                                            "(возможно, это UTF-16 без метки порядка байтов)")
                                 .arg(path_));
        return true;
    }
    qint64 bytesRead() const { return read_; }
    void skip(qint64 bytes) { read_ += file_.read(bytes).size(); }

private:
    QFile& file_;
    const QString& path_;
    std::optional<QStringDecoder> decoder_;
    qint64 read_ = 0;
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
                // Qt sizes a read by what is asked, not by what is left.
                const QByteArray chunk = file.read(std::min(kChunk, file.bytesAvailable()));
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
        CsvText text(file, path_, utf16_);
        text.skip(bomSize_);
        const int workers = ChunkPipe::workers();
        const bool whole = workers < 1 || file.size() < kParallelSize ? readInOrder(text, sink)
                                                                       : readInChunks(text, sink, workers);
        // Everything read: it must be the file that was opened, whole.
        if (whole && (text.bytesRead() != stamp_.size || !(FileStamp::of(path_) == stamp_)))
            throw SheetError(QStringLiteral("Файл \"%1\" изменился во время чтения").arg(path_));
        return info;
    }

private:
    // Files this large are parsed on worker threads, cut at record ends
    // into pieces of about kPieceSize.
    static constexpr qint64 kParallelSize = 4 << 20;
    static constexpr std::size_t kPieceSize = 64 << 10;

    // A field's text in the file's encoding.
    QString fieldText(const char* p, std::size_t n) const
    {
        return utf8_ ? QString::fromUtf8(p, qsizetype(n)) : SingleByteCodePage::windows1251().decode(p, qsizetype(n));
    }

    // Fills `e` with the text cell of a field (as the bytes, valid while
    // `e` is used, when the file is UTF-8).
    void makeCell(CellEvent& e, int row, int column, const char* p, std::size_t n) const
    {
        e.row = row;
        e.column = column;
        e.utf8 = nullptr;
        e.type = CellType::Text;
        if (utf8_) {
            e.utf8 = p;
            e.utf8Size = n;
        } else {
            e.text = fieldText(p, n);
        }
    }

    CellValue fieldValue(const char* p, std::size_t n) const { return CellValue::text(fieldText(p, n)); }

    // The file read in order, its cells (or rows, for a sink that takes
    // them) going to the sink as they are parsed; false when the sink
    // stopped the read.
    bool readInOrder(CsvText& text, CellSink& sink) const
    {
        CsvFields fields(path_, separator_, 1);
        CellEvent e;
        RowData current;
        auto toSink = [&](int row, int column, const char* p, std::size_t n) {
            makeCell(e, row, column, p, n);
            return sink.cell(e);
        };
        auto toRows = [&](int row, int column, const char* p, std::size_t n) {
            if (row != current.row && !current.cells.empty()) {
                if (!sink.takeRow(current))
                    return false;
                current.cells.clear();
            }
            current.row = row;
            current.cells.push_back(RowCell{column, fieldValue(p, n), QString()});
            return true;
        };
        const bool rows = sink.takesRows();
        std::string chunk;
        bool goOn = true;
        while (goOn && text.readInto(chunk, kChunk)) {
            goOn = rows ? fields.feed(chunk.data(), chunk.size(), toRows) : fields.feed(chunk.data(), chunk.size(), toSink);
            chunk.clear();
        }
        if (!goOn)
            return false;
        if (!rows)
            return fields.finish(toSink);
        return fields.finish(toRows) && (current.cells.empty() || sink.takeRow(current));
    }

    // The file cut at record ends into pieces, each parsed on a worker and
    // handed to the sink in order: as whole rows, their texts made on the
    // worker, for a sink that takes rows; as cells with their texts in the
    // piece's pool otherwise.
    bool readInChunks(CsvText& text, CellSink& sink, int workers) const
    {
        const bool rows = sink.takesRows();
        const bool rowBytes = rows && sink.takesUtf8Texts();
        ChunkPipe pipe(
            [this, rows, rowBytes](SheetChunk& piece) {
                CsvFields fields(path_, separator_, piece.firstRow);
                // The rows an earlier piece left are overwritten one by one.
                std::size_t used = 0;
                auto cellsOf = [&](int row) -> std::vector<RowCell>& {
                    if (used == 0 || piece.rows[used - 1].row != row) {
                        if (used == piece.rows.size()) {
                            const std::size_t width = used > 0 ? piece.rows[used - 1].cells.size() : 8;
                            piece.rows.emplace_back().cells.reserve(width);
                        }
                        piece.rows[used].row = row;
                        piece.rows[used].cells.clear();
                        ++used;
                    }
                    return piece.rows[used - 1].cells;
                };
                auto toRows = [&](int row, int column, const char* p, std::size_t n) {
                    cellsOf(row).push_back(RowCell{column, fieldValue(p, n), QString()});
                    return true;
                };
                // The texts go into the piece's UTF-8, made large enough for
                // all of them (a field takes at most three bytes per byte of
                // the file), so the cells may point into it at once.
                const std::size_t room = piece.bytes.size() * (utf8_ ? 1 : 3);
                if (rowBytes && piece.utf8Capacity < room) {
                    piece.utf8 = std::make_unique_for_overwrite<char[]>(room);
                    piece.utf8Capacity = room;
                }
                char* utf8End = piece.utf8.get();
                const SingleByteCodePage& page = SingleByteCodePage::windows1251();
                const CellValue emptyText = CellValue::text(QString());
                auto toRowBytes = [&](int row, int column, const char* p, std::size_t n) {
                    RowCell& cell = cellsOf(row).emplace_back();
                    cell.column = column;
                    cell.value = emptyText;
                    cell.utf8 = utf8End;
                    if (utf8_) {
                        std::memcpy(utf8End, p, n);
                        utf8End += n;
                    } else {
                        utf8End = page.toUtf8(p, n, utf8End);
                    }
                    cell.utf8Size = std::size_t(utf8End - cell.utf8);
                    return true;
                };
                auto toItems = [&](int row, int column, const char* p, std::size_t n) {
                    CellEvent& cell = piece.items.emplace_back().cell;
                    makeCell(cell, row, column, p, n);
                    cell.span = cell.utf8 ? piece.texts.addUtf8(p, n) : piece.texts.add(cell.text);
                    cell.pool = &piece.texts;
                    cell.utf8 = nullptr;
                    cell.text = QString();
                    return true;
                };
                if (rowBytes) {
                    fields.feed(piece.bytes.data(), piece.bytes.size(), toRowBytes);
                    fields.finish(toRowBytes);
                    piece.rowCount = used;
                } else if (rows) {
                    fields.feed(piece.bytes.data(), piece.bytes.size(), toRows);
                    fields.finish(toRows);
                    piece.rowCount = used;
                } else {
                    piece.items.reserve(piece.bytes.size() / 12);
                    fields.feed(piece.bytes.data(), piece.bytes.size(), toItems);
                    fields.finish(toItems);
                }
            },
            [&sink, rows](SheetChunk& piece) {
                if (rows) {
                    for (std::size_t r = 0; r < piece.rowCount; ++r)
                        if (!sink.takeRow(piece.rows[r]))
                            return false;
                    return true;
                }
                for (RawItem& item : piece.items)
                    if (!sink.cell(item.cell))
                        return false;
                return true;
            },
            workers);
        CsvRecordEnds ends(separator_);
        std::string pending;
        int nextRow = 1;
        while (text.readInto(pending, qint64(kPieceSize))) {
            ends.scan(pending);
            if (ends.lastEnd() < kPieceSize)
                continue;
            const int records = ends.records();
            // The rest goes into the bytes of a piece already parsed.
            std::string rest = pipe.spareBytes();
            rest.assign(pending, ends.lastEnd());
            pending.resize(ends.lastEnd());
            ends.cut();
            if (!pipe.dispatch(std::exchange(pending, std::move(rest)), nextRow))
                return false;
            nextRow += records;
        }
        if (!pending.empty() && !pipe.dispatch(std::move(pending), nextRow))
            return false;
        return pipe.finish();
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
