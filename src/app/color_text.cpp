#include "color_text.h"

#include "storage/color_text.h"

namespace velmora {

QColor colorFromText(const QString& text, const QColor& fallback)
{
    const std::optional<std::uint32_t> bgr = colorNumberFromText(text);
    if (!bgr)
        return fallback;
    return QColor(int(*bgr & 0xFF), int((*bgr >> 8) & 0xFF), int((*bgr >> 16) & 0xFF));
}

QString colorToText(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return colorNumberText(std::uint32_t(rgb.red()) | std::uint32_t(rgb.green()) << 8 | std::uint32_t(rgb.blue()) << 16);
}

} // namespace velmora
