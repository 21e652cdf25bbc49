#include "platform/spreadsheet/number_formats.h"

namespace velmora::sheet {

namespace {
struct Builtin {
    int id;
    const char* text;
};
const Builtin kBuiltins[] = {
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/?\?"},
    {14, "dd.mm.yyyy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mmss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
};
} // namespace

QString builtinNumberFormat(int id)
{
    for (const Builtin& b : kBuiltins)
        if (b.id == id)
            return QString::fromLatin1(b.text);
    return {};
}

int builtinNumberFormatId(const QString& format)
{
    if (format.isEmpty() || format.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return 0;
    for (const Builtin& b : kBuiltins)
        if (b.id != 14 && format == QLatin1String(b.text))
            return b.id;
    return -1;
}

bool isBuiltinDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool isDateFormat(const QString& format)
{
    if (format.isEmpty() || format.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return false;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar ch = format[i];
        if (quoted) {
            quoted = ch != u'"';
            continue;
        }
        if (ch == u'"') {
            quoted = true;
        } else if (ch == u'\\' || ch == u'_' || ch == u'*') {
            ++i; // the next character is literal (or a padding character)
        } else if (ch == u'[') {
            // [h], [mm], [ss] are elapsed time; other brackets are colours
            // and conditions.
            const qsizetype close = format.indexOf(u']', i);
            const QString inner = format.mid(i + 1, close - i - 1).toLower();
            if (!inner.isEmpty() && (inner[0] == u'h' || inner[0] == u'm' || inner[0] == u's') &&
                inner.count(inner[0]) == inner.size())
                return true;
            if (close < 0)
                return false;
            i = close;
            (void)bracket;
        } else if (ch == u';') {
            break; // only the first section decides
        } else {
            const char16_t c = ch.toLower().unicode();
            if (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 's')
                return true;
            if (c == '0' || c == '#' || c == '?')
                return false;
        }
    }
    return false;
}

} // namespace velmora::sheet
