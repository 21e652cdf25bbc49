#include "platform/spreadsheet/zip_archive.h"

#include "platform/spreadsheet/sheet_error.h"

#include <QFile>
#include <QFileInfo>
#include <minizip/unzip.h>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora::sheet {

ZipArchive::ZipArchive(const QString& path) : path_(path), fileSize_(std::uint64_t(std::max<qint64>(QFileInfo(path).size(), 0)))
{
    zip_ = unzOpen64(QFile::encodeName(path).constData());
    if (!zip_)
        throw SheetError(QStringLiteral("Файл \"%1\" повреждён или не является книгой Excel (xlsx)").arg(path));
}

ZipArchive::~ZipArchive()
{
    if (zip_)
        unzClose(zip_);
}

bool ZipArchive::contains(const std::string& entry)
{
    return unzLocateFile(zip_, entry.c_str(), 1) == UNZ_OK;
}

std::uint64_t ZipArchive::entrySize(const std::string& entry)
{
    if (unzLocateFile(zip_, entry.c_str(), 1) != UNZ_OK)
        return 0;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return 0;
    return info.uncompressed_size;
}

void ZipArchive::open(const std::string& entry)
{
    if (unzLocateFile(zip_, entry.c_str(), 1) != UNZ_OK)
        throw SheetError(QStringLiteral("В книге \"%1\" нет части %2").arg(path_, QString::fromStdString(entry)));
    if (unzOpenCurrentFile(zip_) != UNZ_OK)
        throw SheetError(
            QStringLiteral("Не удалось прочитать часть %2 книги \"%1\"").arg(path_, QString::fromStdString(entry)));
}

std::string ZipArchive::read(const std::string& entry)
{
    std::string data;
    stream(entry, [&](const char* bytes, std::size_t size) {
        data.append(bytes, size);
        return true;
    });
    return data;
}

namespace {

// Inflated pieces handed from the inflating thread to the parsing one; at
// most kDepth pieces wait, so memory stays bounded.
class PieceQueue {
public:
    static constexpr std::size_t kDepth = 4;
    struct Piece {
        std::vector<char> bytes;
        bool last = false;
    };
    bool push(Piece piece)
    {
        std::unique_lock lock(mutex_);
        space_.wait(lock, [&] { return pieces_.size() < kDepth || cancelled_; });
        if (cancelled_)
            return false;
        pieces_.push_back(std::move(piece));
        ready_.notify_one();
        return true;
    }
    Piece pop()
    {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return !pieces_.empty(); });
        Piece piece = std::move(pieces_.front());
        pieces_.pop_front();
        space_.notify_one();
        return piece;
    }
    void cancel()
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        space_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_, space_;
    std::deque<Piece> pieces_;
    bool cancelled_ = false;
};

constexpr std::size_t kPieceSize = 1 << 20;
constexpr unsigned long kThreadedSize = 4u << 20; // smaller entries inflate inline

// The XML of a workbook part shrinks ten to fifty times in the archive. A
// part that inflates far more, or to more than any price list holds, is
// made to exhaust the reader ("zip bomb"): it is refused before it costs
// minutes and gigabytes.
constexpr std::uint64_t kRatioCheckedFrom = 256ull << 20;
constexpr std::uint64_t kMaxInflationRatio = 100;
constexpr std::uint64_t kMaxPartSize = 4ull << 30;

bool beyondSaneSize(std::uint64_t inflated, std::uint64_t compressed)
{
    return inflated > kMaxPartSize
        || (inflated > kRatioCheckedFrom && inflated / std::max<std::uint64_t>(compressed, 1) > kMaxInflationRatio);
}

} // namespace

void ZipArchive::stream(const std::string& entry, const std::function<bool(const char*, std::size_t)>& chunk)
{
    open(entry);
    unz_file_info64 info{};
    unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0);
    // The ratios are taken over the compressed bytes the file really holds,
    // never over the size the archive states: a part that claims to be
    // larger in the archive than it is would hide its ratio and be inflated
    // up to the last bound.
    const std::uint64_t dataStart = unzGetCurrentFileZStreamPos64(zip_);
    const std::uint64_t compressed = std::min<std::uint64_t>(info.compressed_size, fileSize_ - std::min(fileSize_, dataStart));
    const QString part = QString::fromStdString(entry);
    auto damaged = [&] {
        return SheetError(QStringLiteral("Книга \"%1\" повреждена: часть %2 не распаковывается").arg(path_, part));
    };
    auto bomb = [&](std::uint64_t inflated) {
        unzCloseCurrentFile(zip_);
        return SheetError(QStringLiteral("Книга \"%1\" не читается: часть %2 распаковывается из %3 МБ в %4 МБ и больше, "
                                         "так прайс-листы не сжимаются. Чтение остановлено.")
                              .arg(path_, part)
                              .arg(double(compressed) / (1 << 20), 0, 'f', 1)
                              .arg(double(inflated) / (1 << 20), 0, 'f', 0));
    };
    // What the archive states first, then what really comes out: the
    // stated sizes may lie.
    if (beyondSaneSize(info.uncompressed_size, compressed))
        throw bomb(info.uncompressed_size);
    std::uint64_t inflated = 0;
    // Against the compressed bytes read so far (the reader's position in
    // the file), which no header can misstate.
    auto tooMuch = [&](int got) {
        inflated += std::uint64_t(std::max(got, 0));
        return beyondSaneSize(inflated, unzGetCurrentFileZStreamPos64(zip_) - dataStart);
    };
    bool complete = true;
    if (info.uncompressed_size < kThreadedSize) {
        // About the part's stated size: relationships and styles are a few
        // kilobytes, and a part that states too little is read on in pieces.
        std::vector<char> buffer(std::clamp<std::uint64_t>(info.uncompressed_size + 1, 4096, 256 * 1024));
        for (;;) {
            const int got = unzReadCurrentFile(zip_, buffer.data(), unsigned(buffer.size()));
            if (got < 0) {
                unzCloseCurrentFile(zip_);
                throw damaged();
            }
            if (got == 0)
                break;
            if (tooMuch(got))
                throw bomb(inflated);
            if (!chunk(buffer.data(), std::size_t(got))) {
                complete = false;
                break;
            }
        }
    } else {
        // Large parts (sheets, string tables) inflate on a second thread
        // while this one parses.
        PieceQueue queue;
        std::atomic<bool> failed{false};
        std::atomic<bool> exhausting{false};
        std::thread inflater([&] {
            for (;;) {
                PieceQueue::Piece piece;
                piece.bytes.resize(kPieceSize);
                int got = unzReadCurrentFile(zip_, piece.bytes.data(), unsigned(piece.bytes.size()));
                if (got < 0)
                    failed = true;
                else if (tooMuch(got)) {
                    exhausting = true;
                    got = 0;
                }
                piece.bytes.resize(got > 0 ? std::size_t(got) : 0);
                piece.last = got <= 0;
                if (!queue.push(std::move(piece)) || got <= 0)
                    return;
            }
        });
        struct Stop {
            PieceQueue& queue;
            std::thread& thread;
            ~Stop()
            {
                queue.cancel();
                if (thread.joinable())
                    thread.join();
            }
        } stop{queue, inflater};
        for (;;) {
            PieceQueue::Piece piece = queue.pop();
            if (piece.last)
                break;
            if (!chunk(piece.bytes.data(), piece.bytes.size())) {
                complete = false;
                break;
            }
        }
        queue.cancel();
        inflater.join();
        if (failed) {
            unzCloseCurrentFile(zip_);
            throw damaged();
        }
        if (exhausting)
            throw bomb(inflated);
    }
    // A CRC error shows up only at close, after the whole entry was read.
    const int rc = unzCloseCurrentFile(zip_);
    if (complete && rc == UNZ_CRCERROR)
        throw SheetError(QStringLiteral("Книга \"%1\" повреждена: ошибка контрольной суммы в части %2").arg(path_, part));
}

} // namespace velmora::sheet
