#pragma once

#include <QColor>
#include <QString>

namespace velmora {

// Reads a colour as the settings keep it: "$BBGGRR" hex in blue-green-red
// order ("$0000FF" is red), a decimal number in the same order, or a colour
// constant name ("clRed"). Returns `fallback` for text it cannot read.
QColor colorFromText(const QString& text, const QColor& fallback);

// The colour text the settings are written with: "$00BBGGRR" ("$000000FF"
// is red).
QString colorToText(const QColor& color);

} // namespace velmora
