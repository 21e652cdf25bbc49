#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::sheet {

// An OLE compound file (the container of .xls files and of password-
// protected .xlsx files) read whole into memory: its streams by name. Every
// chain is checked against the file's size and for loops, so a damaged or
// crafted file throws SheetError instead of reading out of bounds.
class OleFile {
public:
    explicit OleFile(const QString& path);

    // Names of the streams of the root storage.
    QStringList streamNames() const;
    bool hasStream(const QString& name) const; // without case
    // The stream's bytes; throws SheetError when it is missing or damaged.
    std::string stream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };
    std::string chain(std::uint32_t start, std::uint64_t size, bool mini) const;
    [[noreturn]] void damaged(const char* what) const;
    std::uint32_t fat(std::uint32_t sector) const;
    const char* sector(std::uint32_t index) const;

    QString path_;
    std::string data_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::string miniStream_;
    std::vector<Entry> entries_;
};

// Writes a compound file holding one stream under `name` (4096-byte
// sectors, no mini stream): a clean container for a stream taken from a
// damaged or unusual one. Throws SheetError when the file cannot be written.
void writeSingleStreamOleFile(const QString& path, const QString& name, const std::string& stream);

} // namespace velmora::sheet
