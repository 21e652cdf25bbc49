// The settings panel Panel_Setup beside the goods grid: opened by the tool
// button "Настройки программы", closed by its "X". It holds the currency
// controls and the switches of the other pieces that live there.
#include "main_wiring.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

// Keeps the panel at the right edge of its parent, full height, above the
// panels beside it. Where the window has room the panels beside it make
// way, so it covers none of their controls; in a window too narrow for
// that it lies over their right end.
class RightEdgeOverlay : public QObject {
public:
    RightEdgeOverlay(QWidget* panel, QWidget* parent) : QObject(panel), panel_(panel), parent_(parent)
    {
        parent_->installEventFilter(this);
        panel_->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool parentResized = watched == parent_ && event->type() == QEvent::Resize;
        const bool panelToggled =
            watched == panel_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide);
        if (parentResized || panelToggled)
            place();
        return false;
    }

    void place()
    {
        const int width = panel_->width();
        panel_->setGeometry(parent_->width() - width, 0, width, parent_->height());
        panel_->raise();
        QLayout* layout = parent_->layout();
        if (!layout)
            return;
        QMargins margins = layout->contentsMargins();
        // What the other panels need at least, without the room made here.
        const int need = layout->minimumSize().width() - margins.right();
        const int room = panel_->isVisibleTo(parent_) && parent_->width() - width >= need ? width : 0;
        if (margins.right() != room) {
            margins.setRight(room);
            layout->setContentsMargins(margins);
        }
    }

private:
    QWidget* panel_;
    QWidget* parent_;
};

// Panel_Setup leaves the frame's row of panels and stands at its right end.
void floatOverRightEdge(QWidget* panel)
{
    QWidget* parent = panel->parentWidget();
    if (!parent)
        return;
    if (QLayout* layout = parent->layout())
        layout->removeWidget(panel);
    panel->setAutoFillBackground(true);
    if (auto* frame = qobject_cast<QFrame*>(panel))
        frame->setFrameShape(QFrame::StyledPanel);
    new RightEdgeOverlay(panel, parent);
}

} // namespace

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

    // "Скрыть панели": the whole left panel goes, and its width goes to the
    // goods grid; a second press brings it back.
    auto* panels = new QPushButton(QStringLiteral("Скрыть панели"));
    panels->setObjectName(QStringLiteral("BitBtn_NotVisble"));
    form.placeWidget(QStringLiteral("Panel_Setup"), panels);
    QObject::connect(panels, &QPushButton::clicked, &wiring, [&wiring] {
        AppGlobals& globals = wiring.globals;
        globals.PanelsVisible = !globals.PanelsVisible;
        if (auto* left = wiring.form.findChild<QWidget*>(QStringLiteral("Panel_AllTovar")))
            left->setVisible(globals.PanelsVisible);
    });

    QToolButton* open = wiring.addToolButton(QStringLiteral("ToolButton_Setup"), QStringLiteral("Настройки программы"),
                                             form.style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    QObject::connect(open, &QToolButton::clicked, panel, [panel] {
        panel->setFixedWidth(245);
        panel->show();
    });
    QObject::connect(close, &QToolButton::clicked, panel, &QWidget::hide);
    floatOverRightEdge(panel);
}

} // namespace velmora
