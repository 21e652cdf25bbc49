#include "main_status_bar.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace velmora {

namespace {

QString panelName(int panel)
{
    return QStringLiteral("StatusBar_Main_Panel%1").arg(panel);
}

} // namespace

QLabel* mainStatusPanel(QMainWindow& window, int panel)
{
    QStatusBar* bar = window.statusBar();
    if (auto* label = bar->findChild<QLabel*>(panelName(panel)))
        return label;
    // Lower panels first, so the panels stand in their order.
    for (int lower = 1; lower < panel; ++lower)
        mainStatusPanel(window, lower);
    auto* label = new QLabel(bar);
    label->setObjectName(panelName(panel));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    if (panel == 1) {
        label->setMinimumWidth(200);
        bar->addWidget(label, 1);
    } else {
        label->setMinimumWidth(90);
        bar->addWidget(label, 0);
    }
    return label;
}

void setMainStatusText(QMainWindow& window, int panel, const QString& text)
{
    QLabel* label = mainStatusPanel(window, panel);
    QString shown = text;
    shown.replace(u'\r', u' ');
    label->setText(shown);
    label->setToolTip(shown);
    label->repaint();
}

QString mainStatusText(QMainWindow& window, int panel)
{
    return mainStatusPanel(window, panel)->text();
}

} // namespace velmora
