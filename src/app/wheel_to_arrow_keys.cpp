#include "wheel_to_arrow_keys.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>

namespace velmora {

namespace {

constexpr int kNotch = 120;

// The grid whose viewport the event reaches.
QAbstractItemView* viewOfViewport(QObject* watched)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return nullptr;
    auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget());
    return view && view->viewport() == widget ? view : nullptr;
}

void pressKey(QAbstractItemView* view, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &release);
}

} // namespace

WheelToArrowKeys::WheelToArrowKeys(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("WheelToArrowKeys"));
}

bool WheelToArrowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    QAbstractItemView* view = viewOfViewport(watched);
    if (!view)
        return false;
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (delta == 0)
        return false;
    int& pending = pending_[view];
    if ((pending > 0) != (delta > 0))
        pending = 0; // the wheel turned back: start a new notch
    pending += delta;
    while (pending >= kNotch || pending <= -kNotch) {
        const bool up = pending > 0;
        pressKey(view, up ? Qt::Key_Up : Qt::Key_Down);
        pending += up ? -kNotch : kNotch;
    }
    return true;
}

} // namespace velmora
