#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

namespace velmora::sheet {

// A zip file opened for reading its entries (minizip), closed by the
// destructor. Entry names compare exactly, without a leading "/".
class ZipArchive {
public:
    // Throws SheetError when the file is no readable zip.
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const std::string& entry);
    // The entry's inflated size as the archive states it; 0 when missing.
    std::uint64_t entrySize(const std::string& entry);
    // The whole entry; throws SheetError when it is missing or damaged.
    std::string read(const std::string& entry);
    // Hands the entry to `chunk` piece by piece (inflated); `chunk` returns
    // false to stop.
    void stream(const std::string& entry, const std::function<bool(const char*, std::size_t)>& chunk);

private:
    void open(const std::string& entry);
    QString path_;
    std::uint64_t fileSize_ = 0;
    void* zip_ = nullptr;
};

} // namespace velmora::sheet
