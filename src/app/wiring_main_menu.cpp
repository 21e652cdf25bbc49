// The main window's menu: the windows and commands that no control of the
// window reaches, under their own captions. The menus and the commands of
// the table below stand in a fixed order from the start; a command is
// disabled until the piece that brings its window adds it
// (addMainMenuItem), whatever order the pieces are wired in.
#include "main_wiring.h"

#include <QMenu>
#include <QMenuBar>

namespace velmora {

namespace {

struct MenuSpec {
    const char* name;
    const char* title;
};

// The menus in their order on the bar.
constexpr MenuSpec kMenus[] = {
    {"Menu_File", "Файл"},      {"Menu_Zakaz", "Заказы"},   {"Menu_Catalogue", "Каталог"},
    {"Menu_Sootv", "Соответствия"}, {"Menu_Export", "Экспорт"}, {"Menu_Setup", "Настройки"},
    {"Menu_Help", "Справка"},
};

struct CommandSpec {
    const char* menu;
    const char* name; // the handler's name without "Click"
    const char* caption;
};

// The commands in their order in each menu, captioned like the windows
// they open.
constexpr CommandSpec kCommands[] = {
    {"Menu_Zakaz", "ZakazExcel", "Импорт заказа из Excel"},
    {"Menu_Catalogue", "SearchArtTovar", "Поиск товара по артикулу"},
    {"Menu_Catalogue", "SearchNameTovar", "Поиск товара по названию"},
    {"Menu_Catalogue", "SetupArtikul", "Настройка артикула"},
    {"Menu_Catalogue", "SpeedButton_Refresh", "Обновить"},
    {"Menu_Catalogue", "Sklad", "Критерии наличия товара"},
    {"Menu_Catalogue", "MyPrice", "Настройка прайс-листа для загрузки"},
    {"Menu_Catalogue", "N8", "Параметры групп товаров"},
    {"Menu_Catalogue", "N11", "Отобранные товары"},
    {"Menu_Catalogue", "LoadPricePostav", "Обновление цен поставщиков"},
    {"Menu_Catalogue", "PostavInvoice", "Обработка накладных от поставщиков"},
    {"Menu_Sootv", "SootvAll", "Определения соответствий"},
    {"Menu_Sootv", "SootvOpen", "Соответствия"},
    {"Menu_Sootv", "ParamImport", "Настройка загрузки данных"},
    {"Menu_Sootv", "LoadPriceList", "Загрузка данных"},
    {"Menu_Sootv", "DelPostav", "Удаление поставщика"},
    {"Menu_Export", "ParamExport", "Параметры экспорта"},
    {"Menu_Export", "SetupNacen", "Установка наценок"},
    {"Menu_Export", "MinPrice", "Пересчет минимальных цен"},
    {"Menu_Export", "ExportOut", "Экспорт"},
    {"Menu_Export", "Excel1", "Настройка прайс-листа в Excel"},
    {"Menu_Export", "N12", "Формирование каталога товаров для Shop-Script"},
    {"Menu_Export", "SvodExcel", "Сводный прайс-лист по категориям"},
    {"Menu_Export", "XML1", "Каталог в XML"},
    {"Menu_Export", "MySQL_Updait", "Обновление данных в MySQL"},
    {"Menu_Export", "ShopScript", "Каталог для Shop-Script"},
    {"Menu_Setup", "ProgSetup", "Настройки программы"},
    {"Menu_Help", "About", "О программе"},
};

// An item that stays at the end of its menu ("Выход"); items added later
// go before it.
const char* const kLastItemProperty = "velmoraLastItem";

QMenu* findMenu(QMenuBar* bar, const QString& name)
{
    for (QAction* action : bar->actions())
        if (action->menu() && action->menu()->objectName() == name)
            return action->menu();
    return nullptr;
}

QMenu* namedMenu(QMenuBar* bar, const QString& name, const QString& title)
{
    if (QMenu* menu = findMenu(bar, name))
        return menu;
    // A menu not in the table stands before "Справка", which stays last.
    QMenu* help = findMenu(bar, QStringLiteral("Menu_Help"));
    auto* menu = new QMenu(title, bar);
    menu->setObjectName(name);
    bar->insertMenu(help ? help->menuAction() : nullptr, menu);
    return menu;
}

QAction* findItem(QMenuBar* bar, const QString& name)
{
    for (QAction* action : bar->findChildren<QAction*>(name))
        if (!action->menu())
            return action;
    return nullptr;
}

// The menus and the disabled commands, made on the first use of the bar.
QMenuBar* mainMenuBar(Form_main& form)
{
    QMenuBar* bar = form.menuBar();
    if (bar->objectName() == QLatin1String("MainMenu1"))
        return bar;
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const MenuSpec& spec : kMenus)
        namedMenu(bar, QLatin1String(spec.name), QString::fromUtf8(spec.title));
    for (const CommandSpec& spec : kCommands) {
        QAction* action = findMenu(bar, QLatin1String(spec.menu))->addAction(QString::fromUtf8(spec.caption));
        action->setObjectName(QLatin1String(spec.name));
        action->setEnabled(false);
    }
    return bar;
}

QAction* lastItemOf(QMenu* menu)
{
    for (QAction* action : menu->actions())
        if (action->property(kLastItemProperty).toBool())
            return action;
    return nullptr;
}

// The warning before the own catalogue is loaded anew (CR: a line break).
const QString kMyPriceWarning = QStringLiteral(
    "Данная функция позволяет загрузить \rсобственный каталог товаров.\r\r\r                    Внимание!\r\r"
    "Загрузка нового каталога товаров \rприведет к удалению всех существующих \r"
    "товаров, критериев и соответствий!\r\rПродолжить загрузку?");

// MyPriceClick: the own catalogue's import window, unless the warning is
// answered No.
void MyPriceClick(Form_main& form)
{
    const MainHooks& hooks = form.hooks();
    if (!hooks.OpenExcelSetup)
        return;
    if (form.dialogs().confirm && !form.dialogs().confirm(kMyPriceWarning))
        return;
    hooks.OpenExcelSetup();
}

} // namespace

QMenu* addMainMenu(Form_main& form, const QString& name, const QString& title, const QString& parentName,
                   const QString& parentTitle)
{
    QMenu* parent = namedMenu(mainMenuBar(form), parentName, parentTitle);
    if (auto* menu = parent->findChild<QMenu*>(name))
        return menu;
    QMenu* menu = parent->addMenu(title);
    menu->setObjectName(name);
    return menu;
}

QAction* addMainMenuItem(Form_main& form, const QString& menuName, const QString& menuTitle, const QString& name,
                         const QString& caption)
{
    QMenuBar* bar = mainMenuBar(form);
    if (QAction* action = findItem(bar, name)) {
        if (!caption.isEmpty())
            action->setText(caption);
        action->setEnabled(true);
        return action;
    }
    QMenu* menu = namedMenu(bar, menuName, menuTitle);
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->insertAction(lastItemOf(menu), action);
    return action;
}

void wireMainMenu(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    QMenu* file = namedMenu(mainMenuBar(form), QStringLiteral("Menu_File"), QStringLiteral("Файл"));
    QAction* gap = file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Выход"));
    exit->setObjectName(QStringLiteral("ProgramExit"));
    gap->setProperty(kLastItemProperty, true);
    QObject::connect(exit, &QAction::triggered, &form, [&form] {
        // Closing first, so the close-time settings are stored.
        form.close();
        form.ProgramExitClick();
    });
    QAction* about = addMainMenuItem(form, QStringLiteral("Menu_Help"), QStringLiteral("Справка"),
                                     QStringLiteral("About"), QString());
    QObject::connect(about, &QAction::triggered, &form, &Form_main::AboutClick);

    // The import window comes through its hook: the item follows it.
    QAction* myPrice = findItem(mainMenuBar(form), QStringLiteral("MyPrice"));
    QObject::connect(myPrice, &QAction::triggered, &form, [&form] { MyPriceClick(form); });
    QMenu* catalogue = findMenu(mainMenuBar(form), QStringLiteral("Menu_Catalogue"));
    QObject::connect(catalogue, &QMenu::aboutToShow, myPrice,
                     [&form, myPrice] { myPrice->setEnabled(bool(form.hooks().OpenExcelSetup)); });
}

} // namespace velmora
