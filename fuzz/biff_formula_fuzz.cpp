// The parsed formula of an .xls cell (the tokens of a FORMULA, SHRFMLA or
// NAME record). Input: the cell's row (two bytes, little-endian) and column
// (one byte), then the tokens.
#include "fuzz_input.h"

#include "platform/spreadsheet/biff_formula.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora::sheet;
    if (size < 3)
        return 0;
    static const BiffFormulaContext context{
        {QStringLiteral("Лист1"), QStringLiteral("Sheet 2"), QStringLiteral("Данные")},
        {{0, 0}, {1, 2}, {-1, -1}, {2, 0}},
        {QStringLiteral("Итого"), QStringLiteral("_xlnm.Print_Area")}};
    const int row = data[0] | data[1] << 8;
    const int column = data[2];
    const QString text = decompileBiffFormula(data + 3, size - 3, context, row, column);
    if (!text.isEmpty() && !text.startsWith(u'='))
        velmora::fuzz::broken("formula text without its \"=\"", text);
    return 0;
}
