// The XML parts of an .xlsx package (sheet, shared strings, styles,
// workbook, relationships), packed by the target into a sound zip, so that
// mutations land in the XML and none in the zip's checksums.
#include "fuzz_input.h"
#include "workbook_reads.h"
#include "xlsx_package.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::fuzz;
    const QString path = inputFolder() + QStringLiteral("/input.xlsx");
    writePackage(inputBytes(data, size), path);
    readWorkbookEveryWay(path);
    return 0;
}
