// The main window offscreen: its frame, the start-up steps on controls the
// subsystems put into it, the order of the hooks, the shared windows.
#include "app/form_logo.h"
#include "app/form_main.h"
#include "app/form_progress.h"
#include "app/program.h"
#include "app/velmora_application.h"
#include "app_environment.h"
#include "app_test_support.h"
#include "../common/empty_search_path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <array>

using namespace velmora;
using namespace velmora::testing;

namespace {

const auto* const applicationEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

VelmoraApplication& app() { return *ApplicationEnvironment::instance; }


struct Recorder {
    QStringList messages;
    QStringList calls;
    UserDialogs dialogs()
    {
        UserDialogs d;
        d.message = [this](const QString& text) { messages << text; };
        d.confirm = [](const QString&) { return false; };
        d.openFileName = [](QWidget*, const QString&) { return QString(); };
        return d;
    }
    void hookAll(MainHooks& hooks)
    {
        auto record = [this](const char* name) { return [this, name] { calls << QLatin1String(name); }; };
        hooks.RefreshCurrencyRates = record("RefreshCurrencyRates");
        hooks.LoadColumnTitles = record("LoadColumnTitles");
        hooks.LoadTovarColumns = record("LoadTovarColumns");
        hooks.ClearTovarSortMarks = record("ClearTovarSortMarks");
        hooks.BuildSupplierTree = record("BuildSupplierTree");
        hooks.FillOrderNumbers = [this](int n) { calls << QStringLiteral("FillOrderNumbers(%1)").arg(n); };
        hooks.RefreshOrder = record("RefreshOrder");
        hooks.FillOrderClients = [this](const QString& n) { calls << QStringLiteral("FillOrderClients(%1)").arg(n); };
        hooks.SearchSupplierGoods = record("SearchSupplierGoods");
        hooks.CheckUpdatedPriceLists = record("CheckUpdatedPriceLists");
        hooks.SavePriceListSettingsToIni = record("SavePriceListSettingsToIni");
        hooks.ReleasePriceExcelApp = record("ReleasePriceExcelApp");
    }
};

// Hidden as the window shows it; a tool bar's widgets by their actions.
bool isHiddenControl(const Form_main& form, const char* name)
{
    auto* control = form.findChild<QWidget*>(name);
    EXPECT_NE(control, nullptr) << name;
    if (!control)
        return true;
    if (auto* toolBar = qobject_cast<QToolBar*>(control->parentWidget())) {
        for (QAction* action : toolBar->actions())
            if (toolBar->widgetForAction(action) == control)
                return !action->isVisible();
    }
    return control->isHidden();
}

template <typename W>
W* place(Form_main& form, const char* container, const char* name)
{
    auto* widget = new W;
    widget->setObjectName(QLatin1String(name));
    EXPECT_TRUE(form.placeWidget(QLatin1String(container), widget)) << container;
    return widget;
}

// Stand-ins for the controls that other parts of the program put into the
// frame, placed where they belong.
void placeSubsystemControls(Form_main& form)
{
    for (const char* name : {"CheckBox_LoadBasePostav", "CheckBox_AutoSaveIniFile", "CheckBox_AutoExportPrice"})
        place<QCheckBox>(form, "Panel_Setup", name);
    place<QComboBox>(form, "TabSheet_PostavSetup", "ComboBox_ValutaName");
    place<QCheckBox>(form, "TabSheet_PostavSetup", "CheckBox_ValutaKurs");
    auto* site = place<QComboBox>(form, "TabSheet_PostavSetup", "ComboBox_ValutaSite");
    site->addItems({"a", "b", "c"});
    place<QCheckBox>(form, "Panel_Tovar", "CheckBox_FindUp");
    for (const char* name : {"RadioButton_TovarArt", "RadioButton_TovarName", "RadioButton_TovarAll"})
        place<QRadioButton>(form, "Panel_Tovar", name);
    place<QWidget>(form, "Panel_Tovar", "Panel_TovarViews");
    place<QWidget>(form, "Panel_Tovar", "DBGrid_HistoryOneTovar");
    for (const char* name : {"Label16", "Label4"})
        place<QLabel>(form, "TabSheet_Zakaz", name)->setText("?");
    place<QComboBox>(form, "TabSheet_Zakaz", "ComboBox_Template")->hide();
    place<QPushButton>(form, "TabSheet_Zakaz", "Button_Quorvel")->hide();
}

TEST(MainFrame, HasTheNamedContainersPagesAndToolButtons)
{
    app();
    AppGlobals globals;
    Form_main form(globals, {}, {});
    auto* pages = form.findChild<QTabWidget*>("PageControl_Sootv");
    ASSERT_NE(pages, nullptr);
    const QStringList captions = {"Критерии",     "Соответствия",       "Таблица соответствия",
                                  "Остаток",      "Мусорный бак",       "Сводный прайс лист",
                                  "Оформление заказа", "Настройки прайс-листов", "Дополнительные параметры"};
    const QStringList pageNames = {"TabSheet_Krit",    "TabSheet_Sootv", "TabSheet_TablSootv",
                                   "TabSheet_Ostatok", "TabSheet_IsklTovar", "TabSheet_Svod",
                                   "TabSheet_Zakaz",   "TabSheet_PostavSetup", "TabSheet_DopParametrs"};
    ASSERT_EQ(pages->count(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(pages->tabText(i), captions[i]);
        EXPECT_EQ(pages->widget(i)->objectName(), pageNames[i]);
        EXPECT_EQ(pages->isTabVisible(i), i == 6 || i == 7) << i;
    }
    for (const char* name : {"Panel_AllTovar", "Panel_Tovar", "Panel_Setup"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_NE(form.findChild<QStatusBar*>("StatusBar_Main"), nullptr);
    const std::array<std::pair<const char*, const char*>, 4> hints = {{
        {"ToolButton9", "Новый заказ"},
        {"ToolButton_Export", "Сохранить в Excel выбранный файл"},
        {"ToolButton_Base", "Сохранить базу данных с прайс-листами"},
        {"ToolButton_BaseLoad", "Загрузить базу данных из архива"},
    }};
    for (const auto& [name, hint] : hints) {
        auto* button = form.findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint));
    }
    for (const char* name : {"ToolButton5", "ToolButton4", "ToolButton2"})
        EXPECT_NE(form.findChild<QToolButton*>(name), nullptr) << name;
    EXPECT_FALSE(form.placeWidget("NoSuchPanel", new QWidget(&form)));
}

struct RoleRow {
    const char* name;
    QString user;
};

TEST(MainWindowStart, RoleShowsHidesAndDisablesTheNamedControls)
{
    app();
    for (const RoleRow& row : {RoleRow{"administrator", "anna"}, RoleRow{"second user", "boris"}}) {
        SCOPED_TRACE(row.name);
        Installation inst;
        inst.setUserKey("UserAdminName", "anna");
        AppGlobals globals;
        Recorder recorder;
        Form_main form(globals, {inst.program, inst.data, row.user}, recorder.dialogs());
        placeSubsystemControls(form);
        ASSERT_TRUE(form.FormCreate()) << recorder.messages.join("\n").toStdString();
        const bool admin = row.user == "anna";
        EXPECT_EQ(globals.IsLoadAdmin, admin);
        auto hidden = [&](const char* name) { return isHiddenControl(form, name); };
        auto enabled = [&](const char* name) { return form.findChild<QWidget*>(name)->isEnabled(); };
        EXPECT_EQ(hidden("ToolButton_Base"), !admin);
        EXPECT_EQ(hidden("ToolButton_BaseLoad"), !admin);
        EXPECT_EQ(hidden("CheckBox_AutoExportPrice"), !admin);
        EXPECT_FALSE(hidden("ToolButton_Export"));
        for (const char* name : {"ComboBox_ValutaName", "CheckBox_ValutaKurs", "ComboBox_ValutaSite",
                                 "CheckBox_LoadBasePostav"})
            EXPECT_EQ(enabled(name), admin) << name;
        EXPECT_EQ(enabled("CheckBox_AutoSaveIniFile"), admin);
        EXPECT_EQ(form.findChild<QCheckBox*>("CheckBox_LoadBasePostav")->isChecked(), admin);
        EXPECT_TRUE(form.findChild<QCheckBox*>("CheckBox_AutoExportPrice")->isChecked());
        EXPECT_TRUE(hidden("Panel_Setup"));
        EXPECT_TRUE(hidden("Panel_TovarViews"));
        EXPECT_TRUE(form.findChild<QRadioButton*>("RadioButton_TovarAll")->isChecked());
        EXPECT_EQ(form.findChild<QTabWidget*>("PageControl_Sootv")->currentIndex(), 6);
        EXPECT_TRUE(globals.RatesRefreshRunning); // the rates part clears it
    }
}

TEST(MainWindowStart, ApplyAdminRoleFollowsTheRoleCheckBox)
{
    app();
    Installation inst;
    AppGlobals globals;
    Recorder recorder;
    Form_main form(globals, {inst.program, inst.data, "anna"}, recorder.dialogs());
    placeSubsystemControls(form);
    ASSERT_TRUE(form.FormCreate());
    ASSERT_FALSE(isHiddenControl(form, "ToolButton_Base"));

    form.findChild<QCheckBox*>("CheckBox_LoadBasePostav")->setChecked(false);
    form.ApplyAdminRole();
    EXPECT_FALSE(globals.IsLoadAdmin);
    EXPECT_FALSE(SettingsStore(form.ADOConnection_Zakaz).readBoolean("LoadBasePostav", "-1"));
    for (const char* name : {"ToolButton_Base", "ToolButton_BaseLoad", "CheckBox_AutoExportPrice"})
        EXPECT_TRUE(isHiddenControl(form, name)) << name;

    form.findChild<QCheckBox*>("CheckBox_LoadBasePostav")->setChecked(true);
    form.ApplyAdminRole();
    EXPECT_TRUE(SettingsStore(form.ADOConnection_Zakaz).readBoolean("LoadBasePostav", "0"));
    EXPECT_FALSE(isHiddenControl(form, "ToolButton_BaseLoad"));
}

TEST(MainWindowStart, ChooseDatabaseFileReportsAndAsksForTheRestart)
{
    app();
    Installation inst;
    inst.makePriceDatabase(inst.shared + "PRICE.vdb", "shared");
    AppGlobals globals;
    Recorder recorder;
    QString chosen;
    QStringList questions;
    UserDialogs dialogs = recorder.dialogs();
    dialogs.openFileName = [&](QWidget*, const QString&) { return chosen; };
    dialogs.confirm = [&](const QString& text) {
        questions << text;
        return false;
    };
    Form_main form(globals, {inst.program, inst.data, "anna"}, dialogs);
    place<QPushButton>(form, "Panel_Setup", "BitBtn1");
    ASSERT_TRUE(form.FormCreate());
    recorder.messages.clear();

    chosen = inst.shared + "gone.vdb";
    EXPECT_FALSE(form.ChooseDatabaseFile());
    EXPECT_EQ(recorder.messages, QStringList{"  Путь к базе данных не найден"});
    EXPECT_EQ(form.ADOConnection.path(), inst.data + "PRICE.vdb");

    recorder.messages.clear();
    chosen = inst.shared + "PRICE.arj";
    {
        QFile arj(chosen);
        ASSERT_TRUE(arj.open(QIODevice::WriteOnly));
        arj.write(QByteArray("\x60\xea", 2) + QByteArray(64, '\0'));
    }
    {
        EmptySearchPath no7zz;
        EXPECT_FALSE(form.ChooseDatabaseFile());
    }
    EXPECT_EQ(recorder.messages, QStringList{"Архив ARJ не распакован: для него нужна программа 7zz из пакета 7zip, "
                                             "а её на этом компьютере нет.\r"
                                             + chosen});
    EXPECT_EQ(form.ADOConnection.path(), inst.data + "PRICE.vdb");

    recorder.messages.clear();
    chosen = inst.shared + "PRICE.vdb";
    EXPECT_FALSE(form.ChooseDatabaseFile());
    EXPECT_TRUE(recorder.messages.isEmpty());
    EXPECT_EQ(questions, QStringList{"База с товарами найдена\r\rПерезапустить программу для её подключения?"});
    EXPECT_EQ(form.ADOConnection.path(), chosen);
    EXPECT_EQ(form.findChild<QPushButton*>("BitBtn1")->toolTip(), chosen);
    EXPECT_FALSE(form.endRequested());
}

TEST(MainWindowStart, ClientModesCaptionAndShowTheirControls)
{
    app();
    Installation inst;
    inst.setUserKey("Тальверон", "1");
    inst.setUserKey("Quorvel", "1");
    inst.setUserKey("Ormita-Club", "1");
    AppGlobals globals;
    Recorder recorder;
    Form_main form(globals, {inst.program, inst.data, "anna"}, recorder.dialogs());
    placeSubsystemControls(form);
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(form.findChild<QLabel*>("Label16")->text(), "ФИО/Долж.");
    EXPECT_EQ(form.findChild<QLabel*>("Label4")->text(), "Тел./E-mail");
    EXPECT_FALSE(form.findChild<QWidget*>("ComboBox_Template")->isHidden());
    EXPECT_FALSE(form.findChild<QWidget*>("Button_Quorvel")->isHidden());
    EXPECT_EQ(form.windowTitle(), "Velmora (\"Ormita.Club\")");

    form.FormShow(); // no splash set
    for (const char* name : {"ToolButton9", "ToolButton5", "ToolButton_Export", "ToolButton4", "ToolButton_BaseLoad",
                             "ToolButton2"})
        EXPECT_TRUE(isHiddenControl(form, name)) << name;
    EXPECT_FALSE(isHiddenControl(form, "ToolButton_Base"));
}

TEST(MainWindowRun, CreateShowAndCloseCallTheSubsystemsInOrder)
{
    app();
    Installation inst;
    AppGlobals globals;
    Recorder recorder;
    Form_main form(globals, {inst.program, inst.data, "anna"}, recorder.dialogs());
    recorder.hookAll(form.hooks());
    Form_Logo splash(&form, 0);
    form.setSplash(&splash);
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(recorder.calls,
              QStringList({"RefreshCurrencyRates", "LoadColumnTitles", "BuildSupplierTree", "FillOrderNumbers(0)"}));
    EXPECT_EQ(recorder.messages, QStringList{"Скопирована база \"по-умолчанию\"!"});
    recorder.calls.clear();

    form.show();
    processEventsFor(1300); // the splash closes at once; Timer_PostavNew fires after 1000 ms
    EXPECT_EQ(recorder.calls, QStringList({"LoadTovarColumns", "RefreshOrder", "FillOrderClients()",
                                           "RefreshCurrencyRates", "ClearTovarSortMarks",
                                           "SearchSupplierGoods", "CheckUpdatedPriceLists"}));
    recorder.calls.clear();

    globals.PriceListSettingsChanged = true;
    form.close();
    EXPECT_EQ(recorder.calls, QStringList({"ReleasePriceExcelApp", "SavePriceListSettingsToIni"}));
    EXPECT_FALSE(form.endRequested());
}

TEST(MainWindowRun, SplashExitButtonEndsTheProgramOnceConfirmed)
{
    app();
    Installation inst;
    AppGlobals globals;
    Recorder recorder;
    Form_main form(globals, {inst.program, inst.data, "anna"}, recorder.dialogs());
    recorder.hookAll(form.hooks());
    Form_Logo splash(&form, 60000);
    // "X" asks first; a No leaves the splash up, a Yes ends the program.
    QStringList asked;
    QList<bool> answers{false, true};
    splash.setQuestion([&](const QString& text) {
        asked << text;
        return answers.takeFirst();
    });
    form.setSplash(&splash);
    ASSERT_TRUE(form.FormCreate());
    recorder.calls.clear();
    bool openAfterNo = false;
    QTimer::singleShot(50, &splash, [&] {
        splash.findChild<QPushButton*>("Button_Exit")->click();
        openAfterNo = splash.isVisible();
        splash.findChild<QPushButton*>("Button_Exit")->click();
    });
    form.FormShow();
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(asked, QStringList(2, QStringLiteral("Завершить работу программы?")));
    EXPECT_TRUE(form.endRequested());
    EXPECT_TRUE(recorder.calls.isEmpty());
}

TEST(MainWindowRun, ProgramRunsFromAFreshDataFolderThroughCreateShowAndClose)
{
    app();
    Installation inst;
    Recorder recorder;
    ProgramOptions options;
    options.folders = {inst.program, inst.data, "anna"};
    options.dialogs = recorder.dialogs();
    options.interactive = false;
    Program program(options);
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.Form_Progress(), nullptr);
    ASSERT_NE(program.Form_About(), nullptr);
    EXPECT_EQ(program.Form_main()->windowTitle(), "Velmora");
    EXPECT_EQ(QCoreApplication::applicationName(), "Velmora ");
    processEventsFor(200);
    EXPECT_TRUE(program.Form_main()->isVisible());
    program.Form_main()->close();
    EXPECT_EQ(recorder.messages, QStringList{"Скопирована база \"по-умолчанию\"!"});
}

TEST(MainWindowRun, StartupFailureEndsBeforeAnyOtherWindow)
{
    app();
    Installation inst;
    QFile::remove(inst.program + "BaseZakaz.vdb");
    Recorder recorder;
    ProgramOptions options;
    options.folders = {inst.program, inst.data, "anna"};
    options.dialogs = recorder.dialogs();
    options.interactive = false;
    Program program(options);
    EXPECT_FALSE(program.start());
    EXPECT_EQ(program.Form_Progress(), nullptr);
    EXPECT_FALSE(program.Form_main()->isVisible());
    ASSERT_EQ(recorder.messages.size(), 1);
    EXPECT_TRUE(recorder.messages[0].startsWith("Отсутствует файл базы данных:\r" + inst.program + "BaseZakaz.vdb"));
}

TEST(MainWindowRun, FailingSchemaUpgradeIsShownAndEndsTheProgram)
{
    app();
    Installation inst;
    QDir().mkpath(inst.data);
    QFile::copy(inst.program + "BaseZakaz.vdb", inst.data + "BaseZakaz.vdb");
    QFile::setPermissions(inst.data + "BaseZakaz.vdb", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        // A view where the order lines table should be: its column cannot be added.
        db::Connection orderDb(inst.data + "BaseZakaz.vdb");
        orderDb.exec("DROP TABLE AllZakazFull; CREATE VIEW AllZakazFull AS SELECT 1 AS ID");
    }
    AppGlobals globals;
    Recorder recorder;
    Form_main form(globals, {inst.program, inst.data, "anna"}, recorder.dialogs());
    recorder.hookAll(form.hooks());
    EXPECT_FALSE(form.FormCreate());
    EXPECT_TRUE(form.endRequested());
    ASSERT_EQ(recorder.messages.size(), 2); // S6 for the price database, then the error
    EXPECT_TRUE(recorder.messages[1].contains("AllZakazFull")) << recorder.messages[1].toStdString();
    EXPECT_TRUE(recorder.calls.isEmpty());
}

TEST(WaitWindow, StepsItsBarAndReturnsToItsDefaultText)
{
    app();
    Form_Progress progress;
    EXPECT_EQ(progress.windowTitle(), "Ждите...");
    EXPECT_FALSE(progress.isModal());
    const QString defaultText = "Процесс обработки данных может занять несколько минут";
    EXPECT_EQ(progress.Label_Wait()->text(), defaultText);
    progress.begin("          Сохранение параметров", 3);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.Label_Wait()->text(), "          Сохранение параметров");
    // Each step paints at once, without a return to the event loop.
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    progress.ProgressBar_Out()->installEventFilter(&counter);
    progress.stepIt();
    const int afterFirst = counter.paints;
    progress.stepIt();
    EXPECT_GT(afterFirst, 0);
    EXPECT_GT(counter.paints, afterFirst);
    progress.ProgressBar_Out()->removeEventFilter(&counter);
    EXPECT_EQ(progress.ProgressBar_Out()->value(), 2);
    EXPECT_EQ(progress.ProgressBar_Out()->maximum(), 3);
    progress.finish();
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.Label_Wait()->text(), defaultText);
}

class Throwing : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("сбой обработчика");
        return QObject::event(e);
    }
};

TEST(ErrorBoundary, AnExceptionFromAHandlerIsShownAndTheProgramGoesOn)
{
    QStringList shown;
    app().setErrorSink([&](const QString& text) { shown << text; });
    Throwing target;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, QStringList({"сбой обработчика", "сбой обработчика"}));
    app().setErrorSink({});
}

} // namespace
