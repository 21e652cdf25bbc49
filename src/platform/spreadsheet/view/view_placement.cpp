#include "platform/spreadsheet/view/view_placement.h"

#include <algorithm>
#include <array>

namespace velmora::sheet {

QRect PlaceBeside(const QRect& keepClear, const QRect& available, const QSize& preferred, const QSize& minimum)
{
    const QRect clear = keepClear.intersected(available);
    // The free strips around the rectangle, each the whole height or width
    // of the available area.
    const std::array<QRect, 4> strips = {
        QRect(QPoint(clear.right() + 1, available.top()), available.bottomRight()),
        QRect(available.topLeft(), QPoint(clear.left() - 1, available.bottom())),
        QRect(QPoint(available.left(), clear.bottom() + 1), available.bottomRight()),
        QRect(available.topLeft(), QPoint(available.right(), clear.top() - 1)),
    };
    const QRect* best = nullptr;
    for (const QRect& strip : strips) {
        if (!strip.isValid() || strip.width() < minimum.width() || strip.height() < minimum.height())
            continue;
        if (!best || qint64(strip.width()) * strip.height() > qint64(best->width()) * best->height())
            best = &strip;
    }
    if (!clear.isValid() || !best) {
        QRect over(QPoint(0, 0), preferred.boundedTo(available.size()));
        over.moveTopRight(available.topRight());
        return over;
    }
    QRect place(QPoint(0, 0), preferred.boundedTo(best->size()));
    // Next to the rectangle, level with it where the strip allows.
    if (best == &strips[0] || best == &strips[1]) {
        const int top = std::clamp(clear.top(), best->top(), best->bottom() + 1 - place.height());
        place.moveTop(top);
        if (best == &strips[0])
            place.moveLeft(best->left());
        else
            place.moveRight(best->right());
    } else {
        const int left = std::clamp(clear.left(), best->left(), best->right() + 1 - place.width());
        place.moveLeft(left);
        if (best == &strips[2])
            place.moveTop(best->top());
        else
            place.moveBottom(best->bottom());
    }
    return place;
}

} // namespace velmora::sheet
