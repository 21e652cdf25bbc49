#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::sheet {

// One stream of a compound file where its bytes lie: runs of consecutive
// sectors inside the file's buffer, in stream order, so a reader walks them
// in place instead of copying the stream out. A stream kept in the mini
// stream (under 4 KB) is gathered into a buffer of its own. Valid while the
// OleFile it came from lives.
class OleStream {
public:
    struct Run {
        const unsigned char* data = nullptr;
        std::size_t size = 0;
    };
    OleStream() = default;
    OleStream(OleStream&&) = default;
    OleStream& operator=(OleStream&&) = default;
    OleStream(const OleStream&) = delete; // its runs may point into itself
    OleStream& operator=(const OleStream&) = delete;
    const std::vector<Run>& runs() const { return runs_; }
    std::uint64_t size() const { return size_; }
    // The whole stream in one string (for a reader that needs it so).
    std::string copy() const;

private:
    friend class OleFile;
    std::vector<Run> runs_;
    std::vector<unsigned char> gathered_; // a mini stream's bytes
    std::uint64_t size_ = 0;
};

// An OLE compound file (the container of .xls files and of password-
// protected .xlsx files): its streams by name. The file is read once into
// one buffer (not mapped: a file rewritten while it is read would fault a
// mapping, while a buffer stays whole), and streams are handed out as runs
// of it. Every chain is checked against the file's size and for loops, so a
// damaged or crafted file throws SheetError instead of reading out of
// bounds.
class OleFile {
public:
    explicit OleFile(const QString& path);

    // Names of the streams of the root storage.
    QStringList streamNames() const;
    bool hasStream(const QString& name) const; // without case
    // The stream where it lies; throws SheetError when it is missing or
    // damaged.
    OleStream openStream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };
    // The sectors of a chain of the FAT as runs of consecutive sectors, cut
    // at `size` bytes (0: the whole chain).
    std::vector<OleStream::Run> sectorRuns(std::uint32_t start, std::uint64_t size) const;
    // A small stream's bytes from the mini stream.
    std::vector<unsigned char> miniChain(std::uint32_t start, std::uint64_t size) const;
    std::vector<unsigned char> gather(std::uint32_t start) const; // a whole FAT chain
    [[noreturn]] void damaged(const char* what) const;
    std::uint32_t fat(std::uint32_t sector) const;
    const unsigned char* sector(std::uint32_t index) const;

    QString path_;
    std::unique_ptr<unsigned char[]> data_;
    std::size_t size_ = 0;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<unsigned char> miniStream_;
    std::vector<Entry> entries_;
};

// Writes a compound file holding one stream under `name` (4096-byte
// sectors, no mini stream): a clean container for a stream taken from a
// damaged or unusual one. Throws SheetError when the file cannot be written.
void writeSingleStreamOleFile(const QString& path, const QString& name, const std::string& stream);

} // namespace velmora::sheet
