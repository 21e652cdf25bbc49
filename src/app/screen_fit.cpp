#include "screen_fit.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace velmora {

int titleBarWidth(const QString& title)
{
    QFont font = QGuiApplication::font();
    font.setBold(true);
    // The icon, four buttons and their gaps.
    constexpr int extras = 140;
    return QFontMetrics(font).horizontalAdvance(title) + extras;
}

QRect fittedGeometry(QRect at, QSize wanted, QSize minimum, QSize maximum, QRect free, QMargins frame)
{
    const QSize room = free.size().shrunkBy(frame);
    const QSize size = wanted.boundedTo(maximum).boundedTo(room).expandedTo(minimum);
    // A window that grows or shrinks stays centred where it was placed.
    QRect placed(QPoint(), size);
    placed.moveCenter(at.center());
    if (size == at.size())
        placed = at;
    // Inside the free area, frame included; a window larger than the area
    // keeps its top left corner (and title bar) on the screen.
    const int right = free.right() - frame.right();
    const int bottom = free.bottom() - frame.bottom();
    if (placed.right() > right)
        placed.moveRight(right);
    if (placed.bottom() > bottom)
        placed.moveBottom(bottom);
    if (placed.left() < free.left() + frame.left())
        placed.moveLeft(free.left() + frame.left());
    if (placed.top() < free.top() + frame.top())
        placed.moveTop(free.top() + frame.top());
    return placed;
}

void fitWindowToScreen(QWidget* window)
{
    if (!window || !window->isWindow())
        return;
    const Qt::WindowType type = window->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop || type == Qt::SplashScreen)
        return;
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const bool framed = !(window->windowFlags() & Qt::FramelessWindowHint);
    QMargins frame;
    if (framed) {
        frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
        if (frame.isNull())
            frame = kFrameGuess;
    }

    QSize wanted = window->size();
    if (framed && !window->windowTitle().isEmpty())
        wanted.setWidth(std::max(wanted.width(), titleBarWidth(window->windowTitle())));
    const QRect fitted = fittedGeometry(window->geometry(), wanted, window->minimumSize(), window->maximumSize(),
                                        screen->availableGeometry(), frame);
    // A window nobody placed is placed by the window manager, a dialog over
    // its parent (and inside the screen) by its own show handler, which runs
    // after this one and keeps away from a window that was moved.
    const bool placed = window->testAttribute(Qt::WA_Moved);
    if (placed && fitted != window->geometry())
        window->setGeometry(fitted);
    else if (fitted.size() != window->size())
        window->resize(fitted.size());
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow())
            fitWindowToScreen(widget);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velmora
