#include "platform/spreadsheet/biff_formula.h"

#include "platform/spreadsheet/cell_ref.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace velmora::sheet {

namespace {

struct Function {
    int index;
    const char* name;
    int arguments; // fixed count, -1 variable
};

// The built-in function table of BIFF8 (the ones price lists and order
// sheets use, and the rest of the common set).
const Function kFunctions[] = {
    {0, "COUNT", -1},       {1, "IF", -1},          {2, "ISNA", 1},          {3, "ISERROR", 1},
    {4, "SUM", -1},         {5, "AVERAGE", -1},     {6, "MIN", -1},          {7, "MAX", -1},
    {8, "ROW", -1},         {9, "COLUMN", -1},      {10, "NA", 0},           {11, "NPV", -1},
    {12, "STDEV", -1},      {13, "DOLLAR", -1},     {14, "FIXED", -1},       {15, "SIN", 1},
    {16, "COS", 1},         {17, "TAN", 1},         {18, "ATAN", 1},         {19, "PI", 0},
    {20, "SQRT", 1},        {21, "EXP", 1},         {22, "LN", 1},           {23, "LOG10", 1},
    {24, "ABS", 1},         {25, "INT", 1},         {26, "SIGN", 1},         {27, "ROUND", 2},
    {28, "LOOKUP", -1},     {29, "INDEX", -1},      {30, "REPT", 2},         {31, "MID", 3},
    {32, "LEN", 1},         {33, "VALUE", 1},       {34, "TRUE", 0},         {35, "FALSE", 0},
    {36, "AND", -1},        {37, "OR", -1},         {38, "NOT", 1},          {39, "MOD", 2},
    {40, "DCOUNT", 3},      {41, "DSUM", 3},        {42, "DAVERAGE", 3},     {43, "DMIN", 3},
    {44, "DMAX", 3},        {45, "DSTDEV", 3},      {46, "VAR", -1},         {47, "DVAR", 3},
    {48, "TEXT", 2},        {49, "LINEST", -1},     {50, "TREND", -1},       {51, "LOGEST", -1},
    {52, "GROWTH", -1},     {56, "PV", -1},         {57, "FV", -1},          {58, "NPER", -1},
    {59, "PMT", -1},        {60, "RATE", -1},       {61, "MIRR", 3},         {62, "IRR", -1},
    {63, "RAND", 0},        {64, "MATCH", -1},      {65, "DATE", 3},         {66, "TIME", 3},
    {67, "DAY", 1},         {68, "MONTH", 1},       {69, "YEAR", 1},         {70, "WEEKDAY", -1},
    {71, "HOUR", 1},        {72, "MINUTE", 1},      {73, "SECOND", 1},       {74, "NOW", 0},
    {75, "AREAS", 1},       {76, "ROWS", 1},        {77, "COLUMNS", 1},      {78, "OFFSET", -1},
    {82, "SEARCH", -1},     {83, "TRANSPOSE", 1},   {86, "TYPE", 1},         {97, "ATAN2", 2},
    {98, "ASIN", 1},        {99, "ACOS", 1},        {100, "CHOOSE", -1},     {101, "HLOOKUP", -1},
    {102, "VLOOKUP", -1},   {105, "ISREF", 1},      {109, "LOG", -1},        {111, "CHAR", 1},
    {112, "LOWER", 1},      {113, "UPPER", 1},      {114, "PROPER", 1},      {115, "LEFT", -1},
    {116, "RIGHT", -1},     {117, "EXACT", 2},      {118, "TRIM", 1},        {119, "REPLACE", 4},
    {120, "SUBSTITUTE", -1}, {121, "CODE", 1},      {124, "FIND", -1},       {125, "CELL", -1},
    {126, "ISERR", 1},      {127, "ISTEXT", 1},     {128, "ISNUMBER", 1},    {129, "ISBLANK", 1},
    {130, "T", 1},          {131, "N", 1},          {140, "DATEVALUE", 1},   {141, "TIMEVALUE", 1},
    {142, "SLN", 3},        {143, "SYD", 4},        {144, "DDB", -1},        {148, "INDIRECT", -1},
    {162, "CLEAN", 1},      {163, "MDETERM", 1},    {164, "MINVERSE", 1},    {165, "MMULT", 2},
    {167, "IPMT", -1},      {168, "PPMT", -1},      {169, "COUNTA", -1},     {183, "PRODUCT", -1},
    {184, "FACT", 1},       {189, "DPRODUCT", 3},   {190, "ISNONTEXT", 1},   {193, "STDEVP", -1},
    {194, "VARP", -1},      {195, "DSTDEVP", 3},    {196, "DVARP", 3},       {197, "TRUNC", -1},
    {198, "ISLOGICAL", 1},  {199, "DCOUNTA", 3},    {212, "ROUNDUP", 2},     {213, "ROUNDDOWN", 2},
    {216, "RANK", -1},      {219, "ADDRESS", -1},   {220, "DAYS360", -1},    {221, "TODAY", 0},
    {222, "VDB", -1},       {227, "MEDIAN", -1},    {228, "SUMPRODUCT", -1}, {229, "SINH", 1},
    {230, "COSH", 1},       {231, "TANH", 1},       {232, "ASINH", 1},       {233, "ACOSH", 1},
    {234, "ATANH", 1},      {235, "DGET", 3},       {244, "INFO", 1},        {247, "DB", -1},
    {252, "FREQUENCY", 2},  {261, "ERROR.TYPE", 1}, {269, "AVEDEV", -1},     {271, "GAMMALN", 1},
    {276, "COMBIN", 2},     {279, "EVEN", 1},       {285, "FLOOR", 2},       {288, "CEILING", 2},
    {298, "ODD", 1},        {299, "PERMUT", 2},     {307, "CORREL", 2},      {318, "DEVSQ", -1},
    {319, "GEOMEAN", -1},   {321, "SUMSQ", -1},     {325, "LARGE", 2},       {326, "SMALL", 2},
    {327, "QUARTILE", 2},   {328, "PERCENTILE", 2}, {330, "MODE", -1},       {336, "CONCATENATE", -1},
    {337, "POWER", 2},      {342, "RADIANS", 1},    {343, "DEGREES", 1},     {344, "SUBTOTAL", -1},
    {345, "SUMIF", -1},     {346, "COUNTIF", 2},    {347, "COUNTBLANK", 1},  {354, "ROMAN", -1},
    {358, "GETPIVOTDATA", -1}, {359, "HYPERLINK", -1}, {361, "AVERAGEA", -1}, {362, "MAXA", -1},
    {363, "MINA", -1},      {364, "STDEVPA", -1},   {365, "VARPA", -1},      {366, "STDEVA", -1},
    {367, "VARA", -1},
};

const Function* findFunction(int index)
{
    for (const Function& f : kFunctions)
        if (f.index == index)
            return &f;
    return nullptr;
}

std::uint16_t u16(const unsigned char* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

QString errorText(int code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#N/A");
    }
}

QString quoteSheet(const QString& name)
{
    bool plain = !name.isEmpty() && !name[0].isDigit();
    for (QChar ch : name)
        if (!(ch.isLetterOrNumber() || ch == u'_' || ch == u'.'))
            plain = false;
    if (plain)
        return name;
    QString quoted = name;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

class Decompiler {
public:
    Decompiler(const unsigned char* data, std::size_t size, const BiffFormulaContext& context, int row, int column)
        : p_(data), end_(data + size), context_(context), row_(row), column_(column)
    {
    }

    std::optional<QString> run()
    {
        while (p_ < end_) {
            if (!token())
                return std::nullopt;
        }
        if (stack_.size() != 1)
            return std::nullopt;
        return u'=' + stack_.back();
    }

private:
    bool need(std::size_t bytes) const { return std::size_t(end_ - p_) >= bytes; }

    bool pop(QString& out)
    {
        if (stack_.empty())
            return false;
        out = stack_.back();
        stack_.pop_back();
        return true;
    }

    bool binary(const char* op)
    {
        QString right, left;
        if (!pop(right) || !pop(left))
            return false;
        stack_.push_back(left + QLatin1String(op) + right);
        return true;
    }

    QString cellText(int row, int column, bool rowRelative, bool columnRelative) const
    {
        if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
            return QStringLiteral("#REF!");
        return (columnRelative ? QString() : QStringLiteral("$")) + columnLetters(column + 1) +
               (rowRelative ? QString() : QStringLiteral("$")) + QString::number(row + 1);
    }

    // A reference's row and column field; relative ones of shared formulas
    // are offsets from the formula's cell.
    QString ref(const unsigned char* p, bool offsets)
    {
        const std::uint16_t rw = u16(p);
        const std::uint16_t col = u16(p + 2);
        const bool rowRel = col & 0x8000;
        const bool colRel = col & 0x4000;
        int r = rw;
        int c = col & 0x3FFF;
        if (offsets) {
            if (rowRel)
                r = row_ + std::int16_t(rw);
            if (colRel)
                c = column_ + std::int8_t(col & 0xFF);
        }
        return cellText(r, c, rowRel, colRel);
    }

    QString area(const unsigned char* p, bool offsets)
    {
        const std::uint16_t r1 = u16(p), r2 = u16(p + 2), c1 = u16(p + 4), c2 = u16(p + 6);
        auto one = [&](std::uint16_t rw, std::uint16_t col) {
            unsigned char b[4] = {std::uint8_t(rw & 0xFF), std::uint8_t(rw >> 8), std::uint8_t(col & 0xFF),
                                  std::uint8_t(col >> 8)};
            return ref(b, offsets);
        };
        // Whole columns and whole rows as the spreadsheet shows them.
        if (!offsets && r1 == 0 && r2 == 0xFFFF)
            return ((c1 & 0x4000) ? QString() : QStringLiteral("$")) + columnLetters((c1 & 0xFF) + 1) + u':' +
                   ((c2 & 0x4000) ? QString() : QStringLiteral("$")) + columnLetters((c2 & 0xFF) + 1);
        return one(r1, c1) + u':' + one(r2, c2);
    }

    QString sheetPrefix(std::uint16_t ixti) const
    {
        if (ixti >= context_.externSheets.size())
            return QStringLiteral("#REF!");
        const auto [first, last] = context_.externSheets[ixti];
        if (first < 0 || first >= context_.sheetNames.size())
            return QStringLiteral("#REF!");
        QString prefix = quoteSheet(context_.sheetNames[first]);
        if (last != first && last >= 0 && last < context_.sheetNames.size())
            prefix += u':' + quoteSheet(context_.sheetNames[last]);
        return prefix + u'!';
    }

    bool function(int index, int arguments)
    {
        if (index == 255) {
            // A user or add-in function: its name is the first argument.
            if (arguments < 1 || std::size_t(arguments) > stack_.size())
                return false;
            std::vector<QString> args(stack_.end() - arguments, stack_.end());
            stack_.resize(stack_.size() - std::size_t(arguments));
            QString text = args[0] + u'(';
            for (std::size_t i = 1; i < args.size(); ++i)
                text += (i > 1 ? QStringLiteral(",") : QString()) + args[i];
            stack_.push_back(text + u')');
            return true;
        }
        const Function* f = findFunction(index);
        if (!f)
            return false;
        if (arguments < 0)
            arguments = f->arguments;
        if (arguments < 0 || std::size_t(arguments) > stack_.size())
            return false;
        std::vector<QString> args(stack_.end() - arguments, stack_.end());
        stack_.resize(stack_.size() - std::size_t(arguments));
        QString text = QLatin1String(f->name) + u'(';
        for (std::size_t i = 0; i < args.size(); ++i)
            text += (i > 0 ? QStringLiteral(",") : QString()) + args[i];
        stack_.push_back(text + u')');
        return true;
    }

    bool token()
    {
        const unsigned char ptg = *p_++;
        switch (ptg) {
        case 0x03: return binary("+");
        case 0x04: return binary("-");
        case 0x05: return binary("*");
        case 0x06: return binary("/");
        case 0x07: return binary("^");
        case 0x08: return binary("&");
        case 0x09: return binary("<");
        case 0x0A: return binary("<=");
        case 0x0B: return binary("=");
        case 0x0C: return binary(">=");
        case 0x0D: return binary(">");
        case 0x0E: return binary("<>");
        case 0x0F: return binary(" ");
        case 0x10: return binary(",");
        case 0x11: return binary(":");
        case 0x12:
        case 0x13: {
            QString operand;
            if (!pop(operand))
                return false;
            stack_.push_back((ptg == 0x12 ? QStringLiteral("+") : QStringLiteral("-")) + operand);
            return true;
        }
        case 0x14: {
            QString operand;
            if (!pop(operand))
                return false;
            stack_.push_back(operand + u'%');
            return true;
        }
        case 0x15: {
            QString operand;
            if (!pop(operand))
                return false;
            stack_.push_back(u'(' + operand + u')');
            return true;
        }
        case 0x16:
            stack_.push_back(QString());
            return true;
        case 0x17: { // string constant
            if (!need(2))
                return false;
            const int chars = p_[0];
            const bool wide = p_[1] & 1;
            p_ += 2;
            const std::size_t bytes = std::size_t(chars) * (wide ? 2 : 1);
            if (!need(bytes))
                return false;
            QString text;
            for (int i = 0; i < chars; ++i)
                text += wide ? QChar(char16_t(u16(p_ + i * 2))) : QChar(char16_t(p_[i]));
            p_ += bytes;
            text.replace(u'"', QStringLiteral("\"\""));
            stack_.push_back(u'"' + text + u'"');
            return true;
        }
        case 0x19: { // attribute
            if (!need(3))
                return false;
            const unsigned char flags = p_[0];
            const std::uint16_t data = u16(p_ + 1);
            p_ += 3;
            if (flags & 0x04) { // choose: jump table
                const std::size_t skip = (std::size_t(data) + 1) * 2;
                if (!need(skip))
                    return false;
                p_ += skip;
            }
            if (flags & 0x10) // SUM with one argument
                return function(4, 1);
            return true;
        }
        case 0x1C:
            if (!need(1))
                return false;
            stack_.push_back(errorText(*p_++));
            return true;
        case 0x1D:
            if (!need(1))
                return false;
            stack_.push_back(*p_++ ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            return true;
        case 0x1E:
            if (!need(2))
                return false;
            stack_.push_back(QString::number(u16(p_)));
            p_ += 2;
            return true;
        case 0x1F: {
            if (!need(8))
                return false;
            double v;
            std::memcpy(&v, p_, 8);
            p_ += 8;
            stack_.push_back(QString::number(v, 'g', 15));
            return true;
        }
        default:
            break;
        }
        if (ptg < 0x20)
            return false; // ptgExp/ptgTbl and unknown tokens: handled by the caller or not shown
        const unsigned char base = (ptg & 0x1F) | 0x20;
        switch (base) {
        case 0x20: // array constant: its values follow the tokens
            return false;
        case 0x21: {
            if (!need(2))
                return false;
            const int index = u16(p_);
            p_ += 2;
            return function(index, -1);
        }
        case 0x22: {
            if (!need(3))
                return false;
            const int arguments = p_[0] & 0x7F;
            const int index = u16(p_ + 1) & 0x7FFF;
            p_ += 3;
            return function(index, arguments);
        }
        case 0x23: {
            if (!need(4))
                return false;
            const int index = int(u16(p_));
            p_ += 4;
            stack_.push_back(index >= 1 && index <= context_.definedNames.size() ? context_.definedNames[index - 1]
                                                                                 : QStringLiteral("#NAME?"));
            return true;
        }
        case 0x24:
            if (!need(4))
                return false;
            stack_.push_back(ref(p_, false));
            p_ += 4;
            return true;
        case 0x25:
            if (!need(8))
                return false;
            stack_.push_back(area(p_, false));
            p_ += 8;
            return true;
        case 0x26:
        case 0x27:
        case 0x28:
        case 0x29:
        case 0x2E:
        case 0x2F: { // memory tokens: the sub-expression follows, only skip the header
            const std::size_t skip = base == 0x26 || base == 0x27 ? 6 : 2;
            if (!need(skip))
                return false;
            p_ += skip;
            return true;
        }
        case 0x2A:
            if (!need(4))
                return false;
            p_ += 4;
            stack_.push_back(QStringLiteral("#REF!"));
            return true;
        case 0x2B:
            if (!need(8))
                return false;
            p_ += 8;
            stack_.push_back(QStringLiteral("#REF!"));
            return true;
        case 0x2C:
            if (!need(4))
                return false;
            stack_.push_back(ref(p_, true));
            p_ += 4;
            return true;
        case 0x2D:
            if (!need(8))
                return false;
            stack_.push_back(area(p_, true));
            p_ += 8;
            return true;
        case 0x39: { // external name (add-in function names)
            if (!need(6))
                return false;
            const int index = int(u16(p_ + 2));
            p_ += 6;
            stack_.push_back(index >= 1 && index <= context_.definedNames.size() ? context_.definedNames[index - 1]
                                                                                 : QStringLiteral("#NAME?"));
            return true;
        }
        case 0x3A:
            if (!need(6))
                return false;
            stack_.push_back(sheetPrefix(u16(p_)) + ref(p_ + 2, false));
            p_ += 6;
            return true;
        case 0x3B:
            if (!need(10))
                return false;
            stack_.push_back(sheetPrefix(u16(p_)) + area(p_ + 2, false));
            p_ += 10;
            return true;
        case 0x3C:
            if (!need(6))
                return false;
            p_ += 6;
            stack_.push_back(QStringLiteral("#REF!"));
            return true;
        case 0x3D:
            if (!need(10))
                return false;
            p_ += 10;
            stack_.push_back(QStringLiteral("#REF!"));
            return true;
        default:
            return false;
        }
    }

    const unsigned char* p_;
    const unsigned char* end_;
    const BiffFormulaContext& context_;
    int row_;
    int column_;
    std::vector<QString> stack_;
};

} // namespace

QString decompileBiffFormula(const unsigned char* rgce, std::size_t size, const BiffFormulaContext& context, int row,
                             int column)
{
    if (!rgce || size == 0)
        return {};
    Decompiler d(rgce, size, context, row, column);
    return d.run().value_or(QString());
}

} // namespace velmora::sheet
