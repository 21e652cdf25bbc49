#include "platform/spreadsheet/ole_file.h"

#include "platform/spreadsheet/sheet_error.h"

#include <QFile>
#include <cstring>
#include <vector>

namespace velmora::sheet {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kMaxSector = 0xFFFFFFFA;

std::uint16_t u16(const unsigned char* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

} // namespace

std::string OleStream::copy() const
{
    std::string out;
    out.reserve(std::size_t(size_));
    for (const Run& run : runs_)
        out.append(reinterpret_cast<const char*>(run.data), run.size);
    return out;
}

void OleFile::damaged(const char* what) const
{
    throw SheetError(QStringLiteral("Файл \"%1\" повреждён (%2)").arg(path_, QLatin1String(what)));
}

const unsigned char* OleFile::sector(std::uint32_t index) const
{
    const std::uint64_t offset = (std::uint64_t(index) + 1) * sectorSize_;
    if (index > kMaxSector || offset + sectorSize_ > size_)
        damaged("сектор за концом файла");
    return data_.get() + offset;
}

std::uint32_t OleFile::fat(std::uint32_t sectorIndex) const
{
    if (sectorIndex >= fat_.size())
        damaged("неверная цепочка секторов");
    return fat_[sectorIndex];
}

OleFile::OleFile(const QString& path) : path_(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SheetError(QStringLiteral("Файл \"%1\" не открывается: %2").arg(path, file.errorString()));
    // One buffer of the file's size, filled by the reads themselves (not
    // zeroed first, not grown).
    const qint64 fileSize = file.size();
    if (fileSize < 512)
        damaged("нет заголовка составного файла");
    size_ = std::size_t(fileSize);
    data_ = std::make_unique_for_overwrite<unsigned char[]>(size_);
    std::size_t got = 0;
    while (got < size_) {
        const qint64 n = file.read(reinterpret_cast<char*>(data_.get() + got), qint64(size_ - got));
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    size_ = got; // a file cut meanwhile reads as the damaged file it now is
    if (size_ < 512 || std::memcmp(data_.get(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0)
        damaged("нет заголовка составного файла");
    const unsigned char* h = data_.get();
    const std::uint16_t sectorShift = u16(h + 30);
    const std::uint16_t miniShift = u16(h + 32);
    if (sectorShift != 9 && sectorShift != 12)
        damaged("неверный размер сектора");
    sectorSize_ = 1u << sectorShift;
    miniSectorSize_ = miniShift < 16 ? 1u << miniShift : 64;
    const std::uint32_t fatSectors = u32(h + 44);
    const std::uint32_t dirStart = u32(h + 48);
    miniCutoff_ = u32(h + 56);
    const std::uint32_t miniFatStart = u32(h + 60);
    const std::uint32_t miniFatCount = u32(h + 64);
    std::uint32_t difatStart = u32(h + 68);
    const std::uint32_t difatCount = u32(h + 72);
    const std::uint64_t totalSectors = size_ / sectorSize_;
    if (fatSectors > totalSectors || miniFatCount > totalSectors || difatCount > totalSectors)
        damaged("неверный заголовок");

    // The FAT's own sectors: 109 in the header, the rest in DIFAT sectors.
    std::vector<std::uint32_t> fatList;
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i)
        fatList.push_back(u32(h + 76 + i * 4));
    const std::uint32_t perDifat = sectorSize_ / 4 - 1;
    for (std::uint32_t d = 0; d < difatCount && fatList.size() < fatSectors; ++d) {
        if (difatStart > kMaxSector)
            damaged("неверная цепочка DIFAT");
        const unsigned char* s = sector(difatStart);
        for (std::uint32_t i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(u32(s + i * 4));
        difatStart = u32(s + perDifat * 4);
    }
    if (fatList.size() < fatSectors)
        damaged("таблица размещения неполна");
    const std::uint32_t perSector = sectorSize_ / 4;
    fat_.reserve(std::size_t(fatSectors) * perSector);
    for (std::uint32_t s : fatList) {
        const unsigned char* p = sector(s);
        for (std::uint32_t i = 0; i < perSector; ++i)
            fat_.push_back(u32(p + i * 4));
    }

    // Directory.
    const std::vector<unsigned char> dir = gather(dirStart);
    for (std::size_t off = 0; off + 128 <= dir.size(); off += 128) {
        const unsigned char* e = dir.data() + off;
        const std::uint16_t nameBytes = u16(e + 64);
        Entry entry;
        entry.type = e[66];
        if (entry.type == 0)
            continue;
        const int chars = nameBytes >= 2 && nameBytes <= 64 ? nameBytes / 2 - 1 : 0;
        for (int i = 0; i < chars; ++i)
            entry.name += QChar(char16_t(u16(e + i * 2)));
        entry.start = u32(e + 116);
        entry.size = sectorSize_ == 512 ? u32(e + 120) : (std::uint64_t(u32(e + 124)) << 32 | u32(e + 120));
        entries_.push_back(entry);
    }
    if (entries_.empty() || entries_[0].type != 5)
        damaged("нет корневого каталога");
    // The mini stream lives in the root entry's chain.
    if (miniFatCount > 0 && miniFatStart <= kMaxSector) {
        const std::vector<unsigned char> mf = gather(miniFatStart);
        for (std::size_t i = 0; i + 4 <= mf.size(); i += 4)
            miniFat_.push_back(u32(mf.data() + i));
        OleStream root;
        root.runs_ = sectorRuns(entries_[0].start, entries_[0].size);
        miniStream_.reserve(std::size_t(entries_[0].size));
        for (const OleStream::Run& run : root.runs_)
            miniStream_.insert(miniStream_.end(), run.data, run.data + run.size);
    }
}

std::vector<OleStream::Run> OleFile::sectorRuns(std::uint32_t start, std::uint64_t size) const
{
    std::vector<OleStream::Run> runs;
    if (size > std::uint64_t(size_) * 2 + 4096)
        damaged("размер потока больше файла");
    std::uint64_t total = 0;
    std::uint32_t current = start;
    std::size_t visited = 0;
    while (current != kEndOfChain && current != kFree) {
        if (current > kMaxSector || ++visited > fat_.size())
            damaged("зацикленная или оборванная цепочка секторов");
        const unsigned char* p = sector(current);
        // Consecutive sectors are consecutive bytes of the file: one run.
        if (!runs.empty() && runs.back().data + runs.back().size == p)
            runs.back().size += sectorSize_;
        else
            runs.push_back({p, sectorSize_});
        total += sectorSize_;
        current = fat(current);
        if (size > 0 && total >= size)
            break;
    }
    if (size > 0) {
        if (total < size)
            damaged("поток короче заявленного");
        runs.back().size -= std::size_t(total - size);
    }
    return runs;
}

std::vector<unsigned char> OleFile::gather(std::uint32_t start) const
{
    std::vector<unsigned char> out;
    for (const OleStream::Run& run : sectorRuns(start, 0))
        out.insert(out.end(), run.data, run.data + run.size);
    return out;
}

std::vector<unsigned char> OleFile::miniChain(std::uint32_t start, std::uint64_t size) const
{
    if (size > miniStream_.size())
        damaged("размер потока больше файла");
    std::vector<unsigned char> out;
    out.reserve(std::size_t(size));
    std::uint32_t current = start;
    std::size_t visited = 0;
    while (current != kEndOfChain && current != kFree && out.size() < size) {
        if (current > kMaxSector || ++visited > miniFat_.size())
            damaged("зацикленная или оборванная цепочка секторов");
        const std::uint64_t offset = std::uint64_t(current) * miniSectorSize_;
        if (offset + miniSectorSize_ > miniStream_.size())
            damaged("мини-сектор за концом потока");
        out.insert(out.end(), miniStream_.data() + offset, miniStream_.data() + offset + miniSectorSize_);
        if (current >= miniFat_.size())
            damaged("неверная мини-цепочка");
        current = miniFat_[current];
    }
    if (out.size() < size)
        damaged("поток короче заявленного");
    out.resize(std::size_t(size));
    return out;
}

QStringList OleFile::streamNames() const
{
    QStringList names;
    for (const Entry& e : entries_)
        if (e.type == 2)
            names << e.name;
    return names;
}

bool OleFile::hasStream(const QString& name) const
{
    for (const Entry& e : entries_)
        if (e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

namespace {

void put16(std::string& b, std::size_t at, std::uint16_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

void put32(std::string& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

void writeSingleStreamOleFile(const QString& path, const QString& name, const std::string& stream)
{
    constexpr std::uint32_t kSector = 4096;
    constexpr std::uint32_t kPerFat = kSector / 4;
    constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
    // At least the mini-stream cutoff, so the stream lives in big sectors.
    std::string data = stream;
    if (data.size() < 4096)
        data.resize(4096, '\0');
    const std::uint32_t streamSectors = std::uint32_t((data.size() + kSector - 1) / kSector);
    // FAT sectors needed for stream + directory + themselves (+ DIFAT).
    std::uint32_t fatSectors = 1;
    std::uint32_t difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + kPerFat - 2) / (kPerFat - 1) : 0;
        const std::uint32_t total = streamSectors + 1 + fatSectors + difatSectors;
        const std::uint32_t needed = (total + kPerFat - 1) / kPerFat;
        if (needed <= fatSectors)
            break;
        fatSectors = needed;
    }
    const std::uint32_t dirSector = streamSectors;
    const std::uint32_t firstFat = dirSector + 1;
    const std::uint32_t firstDifat = firstFat + fatSectors;
    const std::uint32_t totalSectors = firstDifat + difatSectors;

    std::string out(std::size_t(kSector) * (1 + totalSectors), '\0');
    // Header.
    const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(out.data(), magic, 8);
    put16(out, 24, 0x003E);  // minor version
    put16(out, 26, 0x0004);  // major version: 4096-byte sectors
    put16(out, 28, 0xFFFE);  // little-endian
    put16(out, 30, 12);      // sector shift
    put16(out, 32, 6);       // mini sector shift
    put32(out, 44, fatSectors);
    put32(out, 48, dirSector);
    put32(out, 56, 4096);    // mini stream cutoff
    put32(out, 60, kEndOfChain);
    put32(out, 64, 0);
    put32(out, 68, difatSectors ? firstDifat : kEndOfChain);
    put32(out, 72, difatSectors);
    for (std::uint32_t i = 0; i < 109; ++i)
        put32(out, 76 + i * 4, i < fatSectors ? firstFat + i : kFree);
    auto sectorAt = [&](std::uint32_t index) { return std::size_t(kSector) * (index + 1); };
    // Stream.
    std::memcpy(out.data() + sectorAt(0), data.data(), data.size());
    // Directory: the root and the stream.
    const std::size_t dir = sectorAt(dirSector);
    auto entry = [&](std::size_t at, const QString& entryName, int type, std::uint32_t child, std::uint32_t start,
                     std::uint64_t size) {
        const QString n = entryName.left(31);
        for (qsizetype i = 0; i < n.size(); ++i)
            put16(out, at + std::size_t(i) * 2, n[i].unicode());
        put16(out, at + 64, std::uint16_t((n.size() + 1) * 2));
        out[at + 66] = char(type);
        out[at + 67] = 1; // black
        put32(out, at + 68, kNoStream);
        put32(out, at + 72, kNoStream);
        put32(out, at + 76, child);
        put32(out, at + 116, start);
        put32(out, at + 120, std::uint32_t(size & 0xFFFFFFFF));
        put32(out, at + 124, std::uint32_t(size >> 32));
    };
    entry(dir, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    entry(dir + 128, name, 2, kNoStream, 0, stream.size() < 4096 ? 4096 : data.size());
    for (std::size_t e = 2; e < kSector / 128; ++e) {
        put32(out, dir + e * 128 + 68, kNoStream);
        put32(out, dir + e * 128 + 72, kNoStream);
        put32(out, dir + e * 128 + 76, kNoStream);
    }
    // FAT.
    auto setFat = [&](std::uint32_t index, std::uint32_t value) {
        put32(out, sectorAt(firstFat + index / kPerFat) + (index % kPerFat) * 4, value);
    };
    for (std::uint32_t i = 0; i < kPerFat * fatSectors; ++i)
        setFat(i, kFree);
    for (std::uint32_t i = 0; i < streamSectors; ++i)
        setFat(i, i + 1 < streamSectors ? i + 1 : kEndOfChain);
    setFat(dirSector, kEndOfChain);
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        setFat(firstFat + i, 0xFFFFFFFD);
    for (std::uint32_t i = 0; i < difatSectors; ++i)
        setFat(firstDifat + i, 0xFFFFFFFC);
    // DIFAT sectors for FAT sectors past the 109 in the header.
    for (std::uint32_t d = 0; d < difatSectors; ++d) {
        const std::size_t at = sectorAt(firstDifat + d);
        for (std::uint32_t k = 0; k < kPerFat - 1; ++k) {
            const std::uint32_t fat = 109 + d * (kPerFat - 1) + k;
            put32(out, at + k * 4, fat < fatSectors ? firstFat + fat : kFree);
        }
        put32(out, at + (kPerFat - 1) * 4, d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(out.data(), qint64(out.size())) != qint64(out.size()))
        throw SheetError(QStringLiteral("Не удалось записать временный файл \"%1\"").arg(path));
}

OleStream OleFile::openStream(const QString& name) const
{
    for (const Entry& e : entries_) {
        if (e.type != 2 || e.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        OleStream stream;
        stream.size_ = e.size;
        if (e.size == 0)
            return stream;
        if (e.size < miniCutoff_) {
            stream.gathered_ = miniChain(e.start, e.size);
            stream.runs_.push_back({stream.gathered_.data(), stream.gathered_.size()});
        } else {
            stream.runs_ = sectorRuns(e.start, e.size);
        }
        return stream;
    }
    throw SheetError(QStringLiteral("В файле \"%1\" нет потока %2").arg(path_, name));
}

} // namespace velmora::sheet
