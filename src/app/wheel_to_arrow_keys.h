#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QAbstractItemView;

namespace velmora {

// The mouse wheel over a grid or list moves its current row, one row per
// notch (towards the user: down), as the Down and Up keys do. Installed on
// the application; other widgets keep their own wheel handling, and a
// wheel turned only sideways is left alone. High-resolution wheels add up
// to a notch (120) before a row moves.
class WheelToArrowKeys : public QObject {
    Q_OBJECT
public:
    explicit WheelToArrowKeys(QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QAbstractItemView*, int> pending_;
};

} // namespace velmora
