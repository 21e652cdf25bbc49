#pragma once

#include <QRect>
#include <QSize>

namespace velmora::sheet {

// Where a window that stays above another one goes so that it does not
// hide what the user works with there: in the largest free strip of the
// screen's `available` area beside the rectangle to keep clear (right of
// it, left of it, below it, above it), next to that rectangle and at most
// `preferred` in size. When no strip holds `minimum`, the window goes over
// the right part of the available area at its preferred size (cut to the
// area). All rectangles are frames (title bar and borders included).
QRect PlaceBeside(const QRect& keepClear, const QRect& available, const QSize& preferred, const QSize& minimum);

} // namespace velmora::sheet
