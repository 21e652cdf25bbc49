#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace velmora {

// The width a window needs for its title in the window manager's title
// bar: the title in bold, as window managers draw it, beside the icon and
// the buttons with the gaps around them.
int titleBarWidth(const QString& title);

// The frame a window manager puts around a window that has not been shown
// yet (its real frame is known only afterwards).
constexpr QMargins kFrameGuess(4, 30, 4, 4);

// Where a window of `wanted` size (its client area; at least `minimum`,
// at most `maximum`) goes on a screen whose free area is `free`, with
// `frame` around it: as large as wanted but no larger than the free area,
// never below its minimum, and moved inside the free area, frame included,
// as far as its size allows. `at` is where it would open.
QRect fittedGeometry(QRect at, QSize wanted, QSize minimum, QSize maximum, QRect free, QMargins frame);

// Fits a window that is about to show into the free area of its screen:
// wide enough for its title, no larger than the screen, inside it.
// Maximised and full-screen windows, pop-ups and tool tips are left alone.
void fitWindowToScreen(QWidget* window);

// Fits every top-level window of the application as it is shown.
class ScreenFit : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace velmora
