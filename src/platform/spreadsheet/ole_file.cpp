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

std::uint16_t u16(const char* p)
{
    return std::uint16_t(std::uint8_t(p[0]) | (std::uint8_t(p[1]) << 8));
}

std::uint32_t u32(const char* p)
{
    return std::uint32_t(std::uint8_t(p[0])) | (std::uint32_t(std::uint8_t(p[1])) << 8) |
           (std::uint32_t(std::uint8_t(p[2])) << 16) | (std::uint32_t(std::uint8_t(p[3])) << 24);
}

} // namespace

void OleFile::damaged(const char* what) const
{
    throw SheetError(QStringLiteral("Файл \"%1\" повреждён (%2)").arg(path_, QLatin1String(what)));
}

const char* OleFile::sector(std::uint32_t index) const
{
    const std::uint64_t offset = (std::uint64_t(index) + 1) * sectorSize_;
    if (index > kMaxSector || offset + sectorSize_ > data_.size())
        damaged("сектор за концом файла");
    return data_.data() + offset;
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
    const QByteArray all = file.readAll();
    data_.assign(all.constData(), std::size_t(all.size()));
    if (data_.size() < 512 || std::memcmp(data_.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0)
        damaged("нет заголовка составного файла");
    const char* h = data_.data();
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
    const std::uint64_t totalSectors = data_.size() / sectorSize_;
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
        const char* s = sector(difatStart);
        for (std::uint32_t i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(u32(s + i * 4));
        difatStart = u32(s + perDifat * 4);
    }
    if (fatList.size() < fatSectors)
        damaged("таблица размещения неполна");
    const std::uint32_t perSector = sectorSize_ / 4;
    fat_.reserve(std::size_t(fatSectors) * perSector);
    for (std::uint32_t s : fatList) {
        const char* p = sector(s);
        for (std::uint32_t i = 0; i < perSector; ++i)
            fat_.push_back(u32(p + i * 4));
    }

    // Directory.
    const std::string dir = chain(dirStart, 0, false);
    for (std::size_t off = 0; off + 128 <= dir.size(); off += 128) {
        const char* e = dir.data() + off;
        const std::uint16_t nameBytes = u16(e + 64);
        Entry entry;
        entry.type = std::uint8_t(e[66]);
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
        const std::string mf = chain(miniFatStart, 0, false);
        for (std::size_t i = 0; i + 4 <= mf.size(); i += 4)
            miniFat_.push_back(u32(mf.data() + i));
        miniStream_ = chain(entries_[0].start, entries_[0].size, false);
    }
}

std::string OleFile::chain(std::uint32_t start, std::uint64_t size, bool mini) const
{
    std::string out;
    const std::uint32_t step = mini ? miniSectorSize_ : sectorSize_;
    const std::size_t limit = mini ? miniFat_.size() : fat_.size();
    if (size > data_.size() * 2 + 4096)
        damaged("размер потока больше файла");
    std::uint32_t current = start;
    std::size_t visited = 0;
    while (current != kEndOfChain && current != kFree) {
        if (current > kMaxSector || ++visited > limit)
            damaged("зацикленная или оборванная цепочка секторов");
        if (mini) {
            const std::uint64_t offset = std::uint64_t(current) * step;
            if (offset + step > miniStream_.size())
                damaged("мини-сектор за концом потока");
            out.append(miniStream_.data() + offset, step);
            if (current >= miniFat_.size())
                damaged("неверная мини-цепочка");
            current = miniFat_[current];
        } else {
            out.append(sector(current), step);
            current = fat(current);
        }
        if (size > 0 && out.size() >= size)
            break;
    }
    if (size > 0) {
        if (out.size() < size)
            damaged("поток короче заявленного");
        out.resize(std::size_t(size));
    }
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

std::string OleFile::stream(const QString& name) const
{
    for (const Entry& e : entries_) {
        if (e.type != 2 || e.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (e.size == 0)
            return {};
        return chain(e.start, e.size, e.size < miniCutoff_);
    }
    throw SheetError(QStringLiteral("В файле \"%1\" нет потока %2").arg(path_, name));
}

} // namespace velmora::sheet
