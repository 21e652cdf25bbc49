#include "color_text.h"

#include <array>
#include <utility>

namespace velmora {

namespace {

QColor fromBgr(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The colour constant names that settings written by hand may hold.
constexpr std::array<std::pair<const char*, quint32>, 20> NamedColors = {{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},  {"clPurple", 0x800080}, {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},   {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
}};

} // namespace

QColor colorFromText(const QString& text, const QColor& fallback)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return fallback;
    bool ok = false;
    quint32 value = 0;
    if (trimmed.startsWith(u'$'))
        value = trimmed.mid(1).toUInt(&ok, 16);
    else if (trimmed.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        value = trimmed.mid(2).toUInt(&ok, 16);
    else
        value = quint32(trimmed.toInt(&ok));
    if (ok)
        return fromBgr(value);
    for (const auto& [name, bgr] : NamedColors) {
        if (trimmed.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return fromBgr(bgr);
    }
    return fallback;
}

} // namespace velmora
