// Colour texts: what older settings hold is read, one form is written.

#include "storage/color_text.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct ReadCase {
    const char* text;
    std::optional<std::uint32_t> bgr;
};

TEST(ColorText, ReadsHexDecimalAndConstantNames)
{
    const ReadCase cases[] = {
        {"$0000FF", 0x0000FF},    // red: blue-green-red order
        {"$000000FF", 0x0000FF},  // the form the program writes
        {"$00FFFFFF", 0xFFFFFF},
        {" $ff0000 ", 0xFF0000},  // blue, lower case, blanks around
        {"0x00FFFF", 0x00FFFF},
        {"16777215", 0xFFFFFF},   // a decimal number
        {"255", 0x0000FF},
        {"clWhite", 0xFFFFFF},
        {"clBlack", 0x000000},
        {"CLRED", 0x0000FF},      // names without case
        {"$FF00000F", 0x00000F},  // the high byte is dropped
        {"", std::nullopt},
        {"$", std::nullopt},
        {"clNoSuchColour", std::nullopt},
        {"12abc", std::nullopt},
    };
    for (const ReadCase& c : cases)
        EXPECT_EQ(colorNumberFromText(QString::fromUtf8(c.text)), c.bgr) << c.text;
}

TEST(ColorText, WritesEightHexDigitsWithAZeroHighByte)
{
    EXPECT_EQ(colorNumberText(0x0000FF), QStringLiteral("$000000FF"));
    EXPECT_EQ(colorNumberText(0xFFFFFF), QStringLiteral("$00FFFFFF"));
    EXPECT_EQ(colorNumberText(0x00FFFF), QStringLiteral("$0000FFFF"));
    EXPECT_EQ(colorNumberText(0), QStringLiteral("$00000000"));
    for (std::uint32_t bgr : {0x000000u, 0x123456u, 0xABCDEFu})
        EXPECT_EQ(colorNumberFromText(colorNumberText(bgr)), bgr);
}

} // namespace
