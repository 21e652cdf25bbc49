#include "group_switches_bar.h"

#include "catalogue/group_settings/pricing_switches.h"

#include "platform/files/error_text.h"
#include "storage/settings_store.h"

#include <QEvent>
#include <QLabel>

namespace velmora::catalogue {

GroupSwitchesBar::GroupSwitchesBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    setToolTip(kGroupSwitchesHint);
    thresholds_ = new QLabel(this);
    thresholds_->setObjectName(QStringLiteral("StatusPanel2"));
    suppliers_ = new QLabel(this);
    suppliers_->setObjectName(QStringLiteral("StatusPanel4"));
    addWidget(new QLabel(QStringLiteral("Индивидуальные пороги наценки:"), this));
    addWidget(thresholds_);
    addWidget(new QLabel(QStringLiteral("Индивидуальные поставщики:"), this));
    addWidget(suppliers_);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void GroupSwitchesBar::refresh(db::Connection& orderDb, const MessageSink& error)
{
    try {
        SettingsStore store(orderDb);
        const GroupSwitchTexts texts = readGroupSwitchTexts(store);
        thresholds_->setText(texts.thresholds);
        suppliers_->setText(texts.suppliers);
    } catch (const std::exception& e) {
        if (error)
            error(ErrorText(e));
    }
}

bool GroupSwitchesBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        emit doubleClicked();
        return true;
    }
    return QStatusBar::eventFilter(watched, event);
}

void GroupSwitchesBar::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

} // namespace velmora::catalogue
