#include "xlsx_package.h"

#include "fuzz_input.h"

#include <QFile>
#include <QList>

#include <minizip/zip.h>

#include <iterator>
#include <memory>

namespace velmora::fuzz {

namespace {

constexpr const char* kDefaultParts[] = {
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)",
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="0" uniqueCount="0"/>)",
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>
</styleSheet>)",
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Лист1" sheetId="1" r:id="rId1"/></sheets></workbook>)",
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
</Relationships>)",
    nullptr,
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>)",
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)",
};
static_assert(std::size(kDefaultParts) == std::size(kPackagePartNames));

struct ZipClose {
    void operator()(void* zip) const { zipClose(zip, nullptr); }
};

} // namespace

void writePackage(const QByteArray& parts, const QString& path)
{
    const QList<QByteArray> given = parts.split('\0');
    std::unique_ptr<void, ZipClose> zip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE));
    if (!zip)
        broken("cannot make the package", path);
    for (std::size_t i = 0; i < std::size(kPackagePartNames); ++i) {
        const bool isGiven = qsizetype(i) < given.size();
        if (!isGiven && !kDefaultParts[i])
            continue;
        const QByteArray bytes = isGiven ? given[qsizetype(i)] : QByteArray(kDefaultParts[i]);
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip.get(), kPackagePartNames[i], &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0)
                != ZIP_OK
            || zipWriteInFileInZip(zip.get(), bytes.constData(), unsigned(bytes.size())) != ZIP_OK
            || zipCloseFileInZip(zip.get()) != ZIP_OK)
            broken("cannot write the package", path);
    }
}

} // namespace velmora::fuzz
