// The frame of the main window: the containers the subsystems fill, the
// tool bar and the status bar. Sizes follow the design limits of the
// window's panels.
#include "form_main.h"

#include <QApplication>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace velmora {

namespace {

// A splitter whose panels keep what a resize of the window gave them: the
// panel without stretch (the supplier side, the page control) keeps its
// size while the window changes, gives way only once the stretching panel
// (the goods side) is at its minimum, and does not grow back afterwards.
class FrameSplitter : public QSplitter {
public:
    FrameSplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent)
    {
        setChildrenCollapsible(false);
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QSplitter::resizeEvent(event);
        if (isVisible())
            setSizes(sizes());
    }
};

QWidget* namedPanel(const QString& name, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    return panel;
}

struct PageSpec {
    const char* name;
    const char* caption;
};

// PageControl_Sootv, indexes 0 to 8; only the order page and the price-list
// settings page show their tabs.
constexpr std::array<PageSpec, 9> SootvPages = {{
    {"TabSheet_Krit", "Критерии"},
    {"TabSheet_Sootv", "Соответствия"},
    {"TabSheet_TablSootv", "Таблица соответствия"},
    {"TabSheet_Ostatok", "Остаток"},
    {"TabSheet_IsklTovar", "Мусорный бак"},
    {"TabSheet_Svod", "Сводный прайс лист"},
    {"TabSheet_Zakaz", "Оформление заказа"},
    {"TabSheet_PostavSetup", "Настройки прайс-листов"},
    {"TabSheet_DopParametrs", "Дополнительные параметры"},
}};

struct ToolSpec {
    const char* name;
    const char* hint;
    QStyle::StandardPixmap icon;
    bool separator;
};

constexpr std::array<ToolSpec, 7> ToolButtons = {{
    {"ToolButton9", "Новый заказ", QStyle::SP_FileIcon, false},
    {"ToolButton5", "", QStyle::SP_CustomBase, true},
    {"ToolButton_Export", "Сохранить в Excel выбранный файл", QStyle::SP_DialogSaveButton, false},
    {"ToolButton4", "", QStyle::SP_CustomBase, true},
    {"ToolButton_Base", "Сохранить базу данных с прайс-листами", QStyle::SP_DriveHDIcon, false},
    {"ToolButton_BaseLoad", "Загрузить базу данных из архива", QStyle::SP_DialogOpenButton, false},
    {"ToolButton2", "", QStyle::SP_CustomBase, true},
}};

} // namespace

void Form_main::buildFrame()
{
    setWindowTitle(QStringLiteral("Velmora"));
    resize(1180, 780);

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, toolBar);
    for (const ToolSpec& spec : ToolButtons) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QLatin1String(spec.name));
        button->setAutoRaise(true);
        if (spec.separator) {
            // A gap between groups of buttons, as the tool bar shows it.
            button->setEnabled(false);
            button->setFixedWidth(8);
        } else {
            button->setIcon(style()->standardIcon(spec.icon));
            button->setToolTip(QString::fromUtf8(spec.hint));
        }
        toolBar->addWidget(button);
    }

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar_Main"));
    setStatusBar(statusBar);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel_Main"));
    auto* centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    auto* mainSplitter = new FrameSplitter(Qt::Horizontal, central);
    mainSplitter->setObjectName(QStringLiteral("Splitter_Main"));

    // The left panel has two pages: the suppliers' price lists (as the
    // supplier pieces fill it) and the shop's own catalogue.
    QWidget* allTovar = namedPanel(QStringLiteral("Panel_AllTovar"), mainSplitter);
    allTovar->setMinimumWidth(255);
    auto* allTovarPages = new QTabWidget(allTovar);
    allTovarPages->setObjectName(QStringLiteral("PageControl_AllTovar"));
    allTovarPages->addTab(namedPanel(QStringLiteral("TabSheet_AllPostav"), allTovarPages), QStringLiteral("Поставщики"));
    allTovarPages->addTab(namedPanel(QStringLiteral("TabSheet_Groups"), allTovarPages), QStringLiteral("Каталог"));
    allTovar->layout()->setContentsMargins(0, 0, 0, 0);
    allTovar->layout()->addWidget(allTovarPages);

    auto* rightSplitter = new FrameSplitter(Qt::Vertical, mainSplitter);
    rightSplitter->setObjectName(QStringLiteral("Panel_Right"));
    QWidget* tovar = namedPanel(QStringLiteral("Panel_Tovar"), rightSplitter);
    tovar->setMinimumHeight(150);

    auto* pages = new QTabWidget(rightSplitter);
    pages->setObjectName(QStringLiteral("PageControl_Sootv"));
    pages->setMinimumSize(600, 280);
    pages->setMaximumHeight(500);
    for (const PageSpec& spec : SootvPages)
        pages->addTab(namedPanel(QLatin1String(spec.name), pages), QString::fromUtf8(spec.caption));
    for (int index = 0; index < pages->count(); ++index)
        pages->setTabVisible(index, index == 6 || index == 7);

    rightSplitter->addWidget(tovar);
    rightSplitter->addWidget(pages);
    rightSplitter->setStretchFactor(0, 1);
    rightSplitter->setStretchFactor(1, 0);
    mainSplitter->addWidget(allTovar);
    mainSplitter->addWidget(rightSplitter);
    mainSplitter->setStretchFactor(0, 0);
    mainSplitter->setStretchFactor(1, 1);
    mainSplitter->setSizes({280, 900});
    rightSplitter->setSizes({420, 300});

    // The settings panel opens beside everything else.
    QWidget* setup = namedPanel(QStringLiteral("Panel_Setup"), central);
    setup->setFixedWidth(245);
    setup->hide();

    centralLayout->addWidget(mainSplitter, 1);
    centralLayout->addWidget(setup);
    setCentralWidget(central);
}

} // namespace velmora
