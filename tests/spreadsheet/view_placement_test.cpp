#include "platform/spreadsheet/view/view_placement.h"

#include <gtest/gtest.h>

using velmora::sheet::PlaceBeside;

namespace {

// A 1366 x 768 laptop screen less a 24-pixel panel at the bottom.
const QRect kScreen(0, 0, 1366, 744);
const QSize kView(900, 600);
const QSize kMinimum(360, 240);

struct PlaceCase {
    const char* what;
    QRect keepClear;
    QRect expected;
};

TEST(ViewPlacement, TheSheetViewGoesBesideWhatItMustNotHide)
{
    const PlaceCase cases[] = {
        // A dialog in the middle: the wider side strip, level with it.
        {"centred dialog", QRect(473, 202, 420, 340), QRect(893, 144, 473, 600)},
        // A dialog at the right edge: its left.
        {"dialog at the right", QRect(900, 100, 466, 400), QRect(0, 100, 900, 600)},
        // The settings tab in the lower part of the maximised main window:
        // above it, over the goods grid.
        {"tab at the bottom", QRect(285, 470, 1081, 274), QRect(285, 0, 900, 470)},
        // Nothing free around a window that fills the screen: over the
        // right part.
        {"whole screen", kScreen, QRect(466, 0, 900, 600)},
        // A rectangle off the screen keeps nothing clear.
        {"off the screen", QRect(2000, 0, 300, 300), QRect(466, 0, 900, 600)},
    };
    for (const PlaceCase& c : cases) {
        const QRect place = PlaceBeside(c.keepClear, kScreen, kView, kMinimum);
        EXPECT_EQ(place, c.expected) << c.what;
        EXPECT_TRUE(kScreen.contains(place)) << c.what;
    }
}

} // namespace
