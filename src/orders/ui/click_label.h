#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace velmora::orders {

// A caption that acts on a click (" X " of the order tab).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

} // namespace velmora::orders
