// The main window's menu: the windows and commands that no control of the
// window reaches, under their own captions.
#include "main_wiring.h"

#include <QMenu>
#include <QMenuBar>

namespace velmora {

namespace {

QMenu* namedMenu(QMenuBar* bar, const QString& name, const QString& title)
{
    for (QAction* action : bar->actions())
        if (action->menu() && action->menu()->objectName() == name)
            return action->menu();
    // A new menu stands before "Справка", which stays last.
    QAction* help = nullptr;
    for (QAction* action : bar->actions())
        if (action->menu() && action->menu()->objectName() == QLatin1String("Menu_Help"))
            help = action;
    auto* menu = new QMenu(title, bar);
    menu->setObjectName(name);
    bar->insertMenu(help, menu);
    return menu;
}

} // namespace

QMenu* addMainMenu(Form_main& form, const QString& name, const QString& title, const QString& parentName,
                   const QString& parentTitle)
{
    QMenuBar* bar = form.menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* parent = namedMenu(bar, parentName, parentTitle);
    if (auto* menu = parent->findChild<QMenu*>(name))
        return menu;
    QMenu* menu = parent->addMenu(title);
    menu->setObjectName(name);
    return menu;
}

QAction* addMainMenuItem(Form_main& form, const QString& menuName, const QString& menuTitle, const QString& name,
                         const QString& caption)
{
    QMenuBar* bar = form.menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QAction* action = namedMenu(bar, menuName, menuTitle)->addAction(caption);
    action->setObjectName(name);
    return action;
}

void wireMainMenu(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    // The menus in their order; the pieces add their items to them.
    QMenuBar* bar = form.menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    namedMenu(bar, QStringLiteral("Menu_File"), QStringLiteral("Файл"));
    namedMenu(bar, QStringLiteral("Menu_Setup"), QStringLiteral("Настройки"));
    namedMenu(bar, QStringLiteral("Menu_Help"), QStringLiteral("Справка"));

    QAction* exit = addMainMenuItem(form, QStringLiteral("Menu_File"), QStringLiteral("Файл"),
                                    QStringLiteral("ProgramExit"), QStringLiteral("Выход"));
    QObject::connect(exit, &QAction::triggered, &form, [&form] {
        // Closing first, so the close-time settings are stored.
        form.close();
        form.ProgramExitClick();
    });
    QAction* about = addMainMenuItem(form, QStringLiteral("Menu_Help"), QStringLiteral("Справка"),
                                     QStringLiteral("About"), QStringLiteral("О программе"));
    QObject::connect(about, &QAction::triggered, &form, &Form_main::AboutClick);
}

} // namespace velmora
