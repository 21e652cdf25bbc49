#include "color_text.h"

#include <array>
#include <utility>

namespace velmora {
namespace {

// The colour constant names that settings written by hand or by older
// versions may hold.
constexpr std::array<std::pair<const char*, std::uint32_t>, 20> kNamedColors = {{
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},   {"clGreen", 0x008000},  {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},   {"clTeal", 0x808000},   {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},      {"clLime", 0x00FF00},   {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF},  {"clAqua", 0xFFFF00},   {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},  {"clCream", 0xF0FBFF},  {"clMedGray", 0xA4A0A0},
}};

} // namespace

std::optional<std::uint32_t> colorNumberFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    qulonglong value = 0;
    if (trimmed.startsWith(u'$'))
        value = trimmed.mid(1).toULongLong(&ok, 16);
    else if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = trimmed.mid(2).toULongLong(&ok, 16);
    else
        value = qulonglong(trimmed.toLongLong(&ok));
    if (ok)
        return std::uint32_t(value & 0xFFFFFF);
    for (const auto& [name, bgr] : kNamedColors)
        if (trimmed.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return bgr;
    return std::nullopt;
}

QString colorNumberText(std::uint32_t bgr)
{
    return QStringLiteral("$%1").arg(bgr & 0xFFFFFF, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace velmora
