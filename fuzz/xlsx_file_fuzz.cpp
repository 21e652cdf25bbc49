// An .xlsx file as it comes: the zip, its relationships and every part.
#include "fuzz_input.h"
#include "workbook_reads.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::fuzz;
    readWorkbookEveryWay(writeInput(data, size, QStringLiteral("input.xlsx")));
    return 0;
}
