#include "platform/spreadsheet/zip_archive.h"

#include "platform/spreadsheet/sheet_error.h"

#include <QFile>
#include <minizip/unzip.h>
#include <vector>

namespace velmora::sheet {

ZipArchive::ZipArchive(const QString& path) : path_(path)
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

void ZipArchive::stream(const std::string& entry, const std::function<bool(const char*, std::size_t)>& chunk)
{
    open(entry);
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const int got = unzReadCurrentFile(zip_, buffer.data(), unsigned(buffer.size()));
        if (got < 0) {
            unzCloseCurrentFile(zip_);
            throw SheetError(QStringLiteral("Книга \"%1\" повреждена: часть %2 не распаковывается")
                                 .arg(path_, QString::fromStdString(entry)));
        }
        if (got == 0)
            break;
        if (!chunk(buffer.data(), std::size_t(got)))
            break;
    }
    // A CRC error shows up only at close, after the whole entry was read.
    const int rc = unzCloseCurrentFile(zip_);
    if (rc == UNZ_CRCERROR)
        throw SheetError(QStringLiteral("Книга \"%1\" повреждена: ошибка контрольной суммы в части %2")
                             .arg(path_, QString::fromStdString(entry)));
}

} // namespace velmora::sheet
