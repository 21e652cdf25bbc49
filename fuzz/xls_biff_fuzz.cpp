// The BIFF records of an .xls workbook stream, put into a sound compound
// file, so that every mutation lands in a record and none in the
// container's sector chains.
#include "fuzz_input.h"
#include "workbook_reads.h"

#include "platform/spreadsheet/ole_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::fuzz;
    const QString path = inputFolder() + QStringLiteral("/input.xls");
    velmora::sheet::writeSingleStreamOleFile(path, QStringLiteral("Workbook"),
                                             std::string(reinterpret_cast<const char*>(data), size));
    readWorkbookEveryWay(path);
    return 0;
}
