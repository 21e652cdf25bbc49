#include "platform/spreadsheet/xlsx_backend.h"

#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/xlsx_parallel_rows.h"
#include "platform/spreadsheet/xlsx_parts.h"
#include "platform/spreadsheet/xlsx_sheet_parser.h"
#include "platform/spreadsheet/xlsx_styles.h"

#include <exception>
#include <thread>

namespace velmora::sheet {

using namespace xlsx;

XlsxBackend::XlsxBackend(const QString& path) : path_(path), zip_(std::make_unique<ZipArchive>(path))
{
    // The main part, from the package relationships (normally xl/workbook.xml).
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, rel] : readRels(*zip_, path, ""))
        if (endsWith(rel.type, "/officeDocument"))
            workbookPart = resolvePart("", rel.target);
    if (!zip_->contains(workbookPart)) {
        if (zip_->contains("EncryptedPackage"))
            throw SheetError(QStringLiteral("Книга \"%1\" защищена паролем").arg(path));
        throw SheetError(QStringLiteral("Файл \"%1\" не является книгой Excel (xlsx): нет части %2")
                             .arg(path, QString::fromStdString(workbookPart)));
    }
    WorkbookParser book(path, workbookPart);
    const std::string data = zip_->read(workbookPart);
    book.feed(data.data(), data.size(), true);
    date1904_ = book.date1904;
    const auto rels = readRels(*zip_, path, workbookPart);
    const std::string base = folderOf(workbookPart);
    for (const auto& [id, rel] : rels) {
        if (endsWith(rel.type, "/sharedStrings"))
            sharedStringsPart_ = resolvePart(base, rel.target);
        else if (endsWith(rel.type, "/styles"))
            stylesPart_ = resolvePart(base, rel.target);
    }
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        const auto& sheet = book.sheets[i];
        auto rel = rels.find(sheet.relId);
        // Chart sheets and dialog sheets are not worksheets.
        if (rel == rels.end() || !endsWith(rel->second.type, "/worksheet"))
            continue;
        sheets_.push_back(SheetEntry{sheet.name, resolvePart(base, rel->second.target), int(i)});
    }
    for (const auto& n : book.names) {
        if (n.name == "_xlnm.Print_Titles") {
            if (auto rows = printTitleRows(n.value))
                printTitles_[n.sheet] = *rows;
        } else if (n.name == "_xlnm.Print_Area") {
            if (auto area = printAreaRange(n.value))
                printAreas_[n.sheet] = *area;
        }
    }
    if (sheets_.empty())
        throw SheetError(QStringLiteral("В книге \"%1\" нет ни одного листа").arg(path));
}

QStringList XlsxBackend::sheetNames() const
{
    QStringList names;
    for (const auto& s : sheets_)
        names << s.name;
    return names;
}

void XlsxBackend::loadStyles()
{
    if (stylesLoaded_)
        return;
    if (!stylesPart_.empty() && zip_->contains(stylesPart_)) {
        styles_ = readStyles(path_, stylesPart_, zip_->read(stylesPart_));
    } else {
        styles_.cells.emplace_back();
        styles_.isDate.push_back(false);
    }
    stylesLoaded_ = true;
}

void XlsxBackend::loadStrings(ZipArchive& zip)
{
    auto pool = std::make_shared<StringPool>();
    std::vector<StringPool::Span> spans;
    if (!sharedStringsPart_.empty() && zip.contains(sharedStringsPart_))
        readSharedStrings(zip, path_, sharedStringsPart_, *pool, spans, keepRichText_ ? &richRuns_ : nullptr);
    pool_ = std::move(pool);
    strings_ = std::move(spans);
    stringsLoaded_ = true;
}

const std::vector<CellStyle>& XlsxBackend::cellStyles()
{
    loadStyles();
    return styles_.cells;
}

SheetInfo XlsxBackend::read(int index, CellSink& sink, SheetLayout* layout)
{
    loadStyles();
    const bool indices = sink.wantsSharedIndices();
    // A block reader takes shared strings by index, so the string table can
    // be read on a second thread while this one reads the sheet.
    std::thread strings;
    std::exception_ptr stringsError;
    if (!stringsLoaded_) {
        if (indices && !sharedStringsPart_.empty()) {
            strings = std::thread([this, &stringsError] {
                try {
                    ZipArchive own(path_);
                    loadStrings(own);
                } catch (...) {
                    stringsError = std::current_exception();
                }
            });
        } else {
            loadStrings(*zip_);
        }
    }
    struct Joiner {
        std::thread& thread;
        ~Joiner()
        {
            if (thread.joinable())
                thread.join();
        }
    } joiner{strings};

    const SheetEntry& entry = sheets_[std::size_t(index - 1)];
    SheetInfo info;
    info.name = entry.name;
    const std::vector<StringPool::Span>* sst = indices ? nullptr : &strings_;
    const StringPool* pool = indices ? nullptr : pool_.get();
    SheetParser parser(path_, entry.part, sink, sst, pool, styles_.isDate, date1904_, info, layout);
    const int workers = ChunkPipe::workers();
    if (workers < 1 || zip_->entrySize(entry.part) < kParallelSheetSize) {
        zip_->stream(entry.part, [&](const char* bytes, std::size_t size) {
            parser.feed(bytes, size, false);
            return !parser.stopped();
        });
        if (!parser.stopped())
            parser.feed("", 0, true);
    } else {
        NullSink nullSink;
        SheetInfo chunkInfo;
        SheetLayout chunkLayout;
        ParallelRows rows(
            parser,
            [&] {
                return std::make_unique<SheetParser>(path_, entry.part, nullSink, sst, pool, styles_.isDate, date1904_,
                                                     chunkInfo, layout ? &chunkLayout : nullptr);
            },
            workers);
        enum class Mode { Prefix, Rows, Sequential } mode = Mode::Prefix;
        std::string pending;
        // pending holds no row end and no end of the rows before this offset:
        // each piece is searched once, never the whole tail again.
        std::size_t searched = 0;
        auto process = [&](bool final) {
            if (mode == Mode::Prefix) {
                bool selfClosing = false;
                const std::size_t start = sheetDataStart(pending, selfClosing);
                if (start != std::string::npos) {
                    parser.feed(pending.data(), start, false);
                    pending.erase(0, start);
                    mode = selfClosing ? Mode::Sequential : Mode::Rows;
                } else if (final || pending.size() > kMaxHeldRows) {
                    mode = Mode::Sequential;
                }
            }
            if (mode == Mode::Rows) {
                const std::size_t from = searched > kTagOverlap ? searched - kTagOverlap : 0;
                const std::size_t end = sheetDataEnd(pending, from);
                if (end != std::string::npos) {
                    if (end > 0 && !rows.dispatch(pending.substr(0, end)))
                        return false;
                    pending.erase(0, end);
                    mode = Mode::Sequential;
                    if (!rows.finish())
                        return false;
                } else {
                    while (pending.size() >= kChunkSize) {
                        const std::size_t cut =
                            lastRowEnd(pending, searched > kTagOverlap ? searched - kTagOverlap : 0);
                        // Either way no row end is left in what was searched.
                        if (cut > 0 && !rows.dispatch(pending.substr(0, cut)))
                            return false;
                        pending.erase(0, cut);
                        searched = pending.size();
                        if (cut == 0)
                            break;
                    }
                    if (pending.size() > kMaxHeldRows) {
                        // Too long a row to hold for the workers: the rows
                        // handed out first, then the main parser goes on.
                        if (!rows.finish())
                            return false;
                        mode = Mode::Sequential;
                    }
                    if (final) {
                        if (!rows.finish())
                            return false;
                        mode = Mode::Sequential;
                    }
                }
            }
            if (mode == Mode::Sequential && !pending.empty()) {
                parser.feed(pending.data(), pending.size(), false);
                pending.clear();
            }
            return !parser.stopped();
        };
        bool goOn = true;
        zip_->stream(entry.part, [&](const char* bytes, std::size_t size) {
            pending.append(bytes, size);
            goOn = process(false);
            return goOn;
        });
        if (goOn)
            goOn = process(true);
        if (goOn && !rows.stopped() && !parser.stopped())
            parser.feed("", 0, true);
    }
    if (strings.joinable())
        strings.join();
    if (stringsError)
        std::rethrow_exception(stringsError);
    if (indices)
        sink.resolveShared(pool_, strings_);
    if (layout) {
        auto titles = printTitles_.find(entry.position);
        if (titles != printTitles_.end())
            layout->page.repeatRows = titles->second;
        auto area = printAreas_.find(entry.position);
        if (area != printAreas_.end())
            layout->page.printArea = area->second;
    }
    if (!parser.linkIds.empty()) {
        const auto rels = readRels(*zip_, path_, entry.part);
        for (const auto& [range, id] : parser.linkIds) {
            auto rel = rels.find(id);
            if (rel == rels.end())
                continue;
            for (Hyperlink& link : info.hyperlinks)
                if (link.range == range && link.address.isEmpty())
                    link.address = QString::fromStdString(rel->second.target);
        }
    }
    return info;
}

std::unique_ptr<WorkbookReader::Backend> makeXlsxBackend(const QString& path)
{
    return std::make_unique<XlsxBackend>(path);
}

} // namespace velmora::sheet
