// The settings panel Panel_Setup beside the goods grid: opened by the tool
// button "Настройки программы", closed by its "X". It holds the currency
// controls and the switches of the other pieces that live there.
#include "main_wiring.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

void wireSettingsPanel(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel_Setup"));
    if (!panel)
        return;

    auto* header = new QWidget;
    header->setObjectName(QStringLiteral("Panel_SetupHeader"));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(QStringLiteral("Настройки программы"), header);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* close = new QToolButton(header);
    close->setObjectName(QStringLiteral("Button_SetupClose"));
    close->setText(QStringLiteral("X"));
    close->setAutoRaise(true);
    headerLayout->addWidget(title, 1);
    headerLayout->addWidget(close);
    form.placeWidget(QStringLiteral("Panel_Setup"), header);

    auto* valuta = new QGroupBox(QStringLiteral("Курсы валют"));
    valuta->setObjectName(QStringLiteral("GroupBox_Valuta"));
    new QVBoxLayout(valuta);
    form.placeWidget(QStringLiteral("Panel_Setup"), valuta);

    QToolButton* open = wiring.addToolButton(QStringLiteral("ToolButton_Setup"), QStringLiteral("Настройки программы"),
                                             form.style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    QObject::connect(open, &QToolButton::clicked, panel, [panel] {
        panel->setFixedWidth(245);
        panel->show();
    });
    QObject::connect(close, &QToolButton::clicked, panel, &QWidget::hide);
}

} // namespace velmora
