#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QStatusBar>

class QLabel;

namespace velmora::catalogue {

// StatusBar1 of the group windows: whether the groups' own thresholds
// (panel 2) and own suppliers (panel 4) take part in the minimum prices,
// "ДА" or "НЕТ", with the hint on where to change that. A double click
// anywhere on it is reported.
class GroupSwitchesBar : public QStatusBar {
    Q_OBJECT
public:
    explicit GroupSwitchesBar(QWidget* parent = nullptr);

    // Reads the switches from the order database's settings.
    void refresh(db::Connection& orderDb, const MessageSink& error);

signals:
    void doubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QLabel* thresholds_;
    QLabel* suppliers_;
};

} // namespace velmora::catalogue
