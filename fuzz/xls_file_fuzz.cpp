// An .xls file as it comes: the compound file and the workbook stream in it.
#include "fuzz_input.h"
#include "workbook_reads.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::fuzz;
    readWorkbookEveryWay(writeInput(data, size, QStringLiteral("input.xls")));
    return 0;
}
