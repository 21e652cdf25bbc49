// A CSV price list: code page, separators, quotes, line ends, field types.
#include "fuzz_input.h"
#include "workbook_reads.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::fuzz;
    // A zip or a compound file is read as a workbook whatever its name:
    // the other targets take those.
    const QByteArray bytes = inputBytes(data, size);
    if (bytes.startsWith("PK") || bytes.startsWith("\xD0\xCF\x11\xE0"))
        return 0;
    readWorkbookEveryWay(writeInput(bytes, QStringLiteral("input.csv")));
    return 0;
}
