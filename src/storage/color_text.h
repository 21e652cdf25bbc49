#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace velmora {

// Colours as the settings keep them: Windows colour numbers, blue-green-red
// (0x00BBGGRR, so 0x0000FF is red), written as colour texts.

// Reads a colour text: "$" and hex digits ("$0000FF", "$000000FF"), "0x"
// and hex digits, a decimal number, or a colour constant name ("clRed",
// "clWhite", without case). The high byte is dropped. nullopt for text it
// cannot read (an empty one too).
std::optional<std::uint32_t> colorNumberFromText(const QString& text);

// The colour text the program writes: "$00BBGGRR" ("$000000FF" is red).
QString colorNumberText(std::uint32_t bgr);

} // namespace velmora
