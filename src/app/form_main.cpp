#include "form_main.h"

#include "choose_database.h"
#include "form_logo.h"
#include "platform/archive/resolve_archive_file.h"
#include "platform/files/error_text.h"
#include "shutdown.h"
#include "startup_messages.h"
#include "window_placement.h"
#include "suppliers/search/goods_query.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QProcess>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace velmora {

Form_main::Form_main(AppGlobals& globals, StartupFolders folders, UserDialogs dialogs, MainWindowOptions options,
                     QWidget* parent)
    : QMainWindow(parent), globals_(globals), folders_(std::move(folders)), dialogs_(std::move(dialogs)),
      options_(options)
{
    setObjectName(QStringLiteral("Form_main"));
    // The price database's connection serves the supplier goods search.
    ADOConnection.setMappedReads(search::kSearchMappedReadBytes);
    buildFrame();
    Timer_PostavNew = new QTimer(this);
    Timer_PostavNew->setObjectName(QStringLiteral("Timer_PostavNew"));
    Timer_PostavNew->setSingleShot(true);
    Timer_PostavNew->setInterval(1000);
    connect(Timer_PostavNew, &QTimer::timeout, this, &Form_main::Timer_PostavNewTimer);
}

Form_main::~Form_main() = default;

bool Form_main::placeWidget(const QString& containerName, QWidget* widget)
{
    QWidget* container = findChild<QWidget*>(containerName);
    if (!container || !widget)
        return false;
    if (auto* toolBar = qobject_cast<QToolBar*>(container)) {
        toolBar->addWidget(widget);
    } else if (auto* bar = qobject_cast<QStatusBar*>(container)) {
        bar->addWidget(widget);
    } else {
        QLayout* layout = container->layout();
        if (!layout)
            layout = new QVBoxLayout(container);
        layout->addWidget(widget);
    }
    return true;
}

void Form_main::setControlVisible(const QString& name, bool visible)
{
    auto* control = findChild<QWidget*>(name);
    if (!control)
        return;
    // A tool bar shows its widgets through their actions.
    if (auto* toolBar = qobject_cast<QToolBar*>(control->parentWidget())) {
        for (QAction* action : toolBar->actions()) {
            if (toolBar->widgetForAction(action) == control) {
                action->setVisible(visible);
                return;
            }
        }
    }
    control->setVisible(visible);
}

void Form_main::setControlEnabled(const QString& name, bool enabled)
{
    if (auto* control = findChild<QWidget*>(name))
        control->setEnabled(enabled);
}

void Form_main::setControlChecked(const QString& name, bool checked)
{
    if (auto* control = findChild<QAbstractButton*>(name))
        control->setChecked(checked);
    else if (auto* group = findChild<QGroupBox*>(name); group && group->isCheckable())
        group->setChecked(checked);
}

void Form_main::setControlHint(const QString& name, const QString& hint)
{
    if (auto* control = findChild<QWidget*>(name))
        control->setToolTip(hint);
}

void Form_main::setControlCaption(const QString& name, const QString& caption)
{
    if (auto* label = findChild<QLabel*>(name))
        label->setText(caption);
    else if (auto* button = findChild<QAbstractButton*>(name))
        button->setText(caption);
    else if (auto* group = findChild<QGroupBox*>(name))
        group->setTitle(caption);
}

void Form_main::requestProgramEnd()
{
    endRequested_ = true;
    QCoreApplication::exit(0);
}

bool Form_main::FormCreate()
{
    move(0, 0);
    for (const char* name : {"ProgressBar_LoadPrice", "Panel_Setup", "Panel_TovarViews", "Panel_PriceSaveAll"})
        setControlVisible(QLatin1String(name), false);
    globals_.LastFindText.clear();
    globals_.PanelsVisible = true;
    setControlVisible(QStringLiteral("TreeView1"), true);
    setControlVisible(QStringLiteral("DBCtrlGrid_AllPostav"), true);
    globals_.PriceListSettingsChanged = false;
    setControlChecked(QStringLiteral("CheckBox_FindUp"), false);
    globals_.RatesRefreshRunning = true;

    try {
        const DatabaseStartup databases = openStartupDatabases(folders_, ADOConnection, ADOConnection_Zakaz, globals_,
                                                               dialogs_.message, [this] { return ChooseDatabaseFile(); });
        if (!databases.connected || endRequested_) {
            requestProgramEnd();
            return false;
        }
        showAdminRole(databases.autoExportPrice);
        if (!databases.sharedDatabasePath.isEmpty())
            setControlHint(QStringLiteral("BitBtn1"), databases.sharedDatabasePath);

        const StartupSettings settings =
            loadStartupSettings(folders_, databases, ADOConnection, ADOConnection_Zakaz, globals_, dialogs_.message);
        applyClientModes();
        setControlHint(QStringLiteral("BitBtn3"), settings.fileIniPath);
        setControlHint(QStringLiteral("BitBtn4"), settings.fileIniPath);
        if (auto* pages = findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv")))
            pages->setCurrentIndex(6);
        applySearchOptions(settings);

        runHook(hooks_.StartupSettled);
        runHook(hooks_.RefreshCurrencyRates);
        runHook(hooks_.LoadColumnTitles);
        runHook(hooks_.BuildSupplierTree);
        runHook(hooks_.FillOrderNumbers, 0);
    } catch (const std::exception& error) {
        // A start-up that cannot finish ends the program: running on with
        // half the settings loaded would do more harm than good.
        if (dialogs_.message)
            dialogs_.message(ErrorText(error));
        requestProgramEnd();
        return false;
    }
    return true;
}

void Form_main::showAdminRole(bool autoExportPrice)
{
    const bool admin = globals_.IsLoadAdmin;
    setControlChecked(QStringLiteral("CheckBox_LoadBasePostav"), admin);
    setControlEnabled(QStringLiteral("CheckBox_LoadBasePostav"), admin);
    for (const char* name : {"ComboBox_ValutaName", "CheckBox_ValutaKurs", "ComboBox_ValutaSite"})
        setControlEnabled(QLatin1String(name), admin);
    if (!admin) {
        setControlChecked(QStringLiteral("CheckBox_AutoSaveIniFile"), false);
        setControlEnabled(QStringLiteral("CheckBox_AutoSaveIniFile"), false);
    }
    showAdminControls(autoExportPrice);
}

void Form_main::showAdminControls(bool autoExportPrice)
{
    for (const char* name : {"ToolButton_Base", "ToolButton_BaseLoad", "CheckBox_AutoExportPrice"})
        setControlVisible(QLatin1String(name), globals_.IsLoadAdmin);
    setControlChecked(QStringLiteral("CheckBox_AutoExportPrice"), autoExportPrice);
}

void Form_main::ApplyAdminRole()
{
    if (auto* box = findChild<QAbstractButton*>(QStringLiteral("CheckBox_LoadBasePostav")))
        globals_.IsLoadAdmin = box->isChecked();
    showAdminControls(applyAdminRoleSettings(ADOConnection_Zakaz, globals_.IsLoadAdmin));
}

void Form_main::applyClientModes()
{
    if (globals_.ClientModeOrderLayouts) {
        setControlCaption(QStringLiteral("Label_PostavWeb"), QStringLiteral("ФИО"));
        setControlCaption(QStringLiteral("Label_PostWeb"), QStringLiteral("ФИО"));
        setControlCaption(QStringLiteral("Label16"), QStringLiteral("ФИО/Долж."));
        setControlCaption(QStringLiteral("Label4"), QStringLiteral("Тел./E-mail"));
        setControlVisible(QStringLiteral("ComboBox_Template"), true);
    }
    if (globals_.ClientModeQuorvel)
        setControlVisible(QStringLiteral("Button_Quorvel"), true);
    if (globals_.ClientModeOrmita)
        setWindowTitle(QStringLiteral("Velmora (\"Ormita.Club\")"));
    update();
}

void Form_main::applySearchOptions(const StartupSettings& settings)
{
    setControlChecked(QStringLiteral("CheckBox_FindUp"), settings.findUp);
    switch (settings.searchRadio) {
    case SearchRadio::TovarArt: setControlChecked(QStringLiteral("RadioButton_TovarArt"), true); break;
    case SearchRadio::TovarName: setControlChecked(QStringLiteral("RadioButton_TovarName"), true); break;
    case SearchRadio::TovarAll: setControlChecked(QStringLiteral("RadioButton_TovarAll"), true); break;
    case SearchRadio::None: break;
    }
    setControlChecked(QStringLiteral("CheckBox_AutoSaveIniFile"), settings.autoSaveIniFile);
}

bool Form_main::ChooseDatabaseFile()
{
    namespace msg = startup_messages;
    const QString chosen = dialogs_.openFileName
        ? dialogs_.openFileName(this, databaseFileFilter())
        : QString();
    const ChooseResult result =
        connectChosenDatabase(ADOConnection, chosen, folders_.dataFolder, hooks_.ResolveArchiveFile);
    switch (result.outcome) {
    case ChooseOutcome::NotFound:
        if (dialogs_.message)
            dialogs_.message(msg::chosenDatabaseNotFound());
        return false;
    case ChooseOutcome::Failed:
        if (dialogs_.message) {
            // An archive the machine cannot unpack comes back as it is: say why.
            const QString missing = archiveReaderMissing(result.path);
            dialogs_.message(missing.isEmpty() ? msg::chosenDatabaseError() : missing);
        }
        return false;
    case ChooseOutcome::Connected:
        break;
    }
    setControlHint(QStringLiteral("BitBtn1"), result.path);
    if (dialogs_.confirm && dialogs_.confirm(msg::chosenDatabaseRestart())) {
        restartProgram();
        return true;
    }
    return false;
}

void Form_main::restartProgram()
{
    // The new run copies or opens the databases; this run must not hold
    // the files open while it does.
    ADOConnection.close();
    ADOConnection_Zakaz.close();
    if (options_.startProgramAgain)
        options_.startProgramAgain();
    else
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
    requestProgramEnd();
}

void Form_main::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Runs from the event loop, so that the splash appears over the shown
    // window and the end of the program can be requested from it.
    QMetaObject::invokeMethod(this, &Form_main::FormShow, Qt::QueuedConnection);
}

void Form_main::FormShow()
{
    if (splash_ && splash_->exec() == Form_Logo::EndProgram) {
        requestProgramEnd();
        return;
    }
    Timer_PostavNew->start();

    if (clientSwitchOn(globals_.UserIniPath, QStringLiteral("Quorvel"), dialogs_.message)) {
        for (const char* name : {"ToolButton9", "ToolButton5", "ToolButton_Export", "ToolButton4", "ToolButton_BaseLoad",
                                 "ToolButton2"})
            setControlVisible(QLatin1String(name), false);
    }
    setControlVisible(QStringLiteral("DBGrid_HistoryOneTovar"), false);
    runHook(hooks_.LoadTovarColumns);
    runHook(hooks_.RefreshOrder);
    const auto* clients = findChild<QComboBox*>(QStringLiteral("ComboBox_Client"));
    if (!clients || clients->count() == 0)
        runHook(hooks_.FillOrderClients, QString());

    const ShowSettings settings = readShowSettings(ADOConnection_Zakaz, ADOConnection);
    setControlChecked(QStringLiteral("CheckBox_FindHistoryABC"), settings.findHistoryABC);
    setControlChecked(QStringLiteral("CheckBox_ValutaKurs"), settings.valutaKurs);
    if (auto* site = findChild<QComboBox*>(QStringLiteral("ComboBox_ValutaSite")))
        site->setCurrentIndex(settings.valutaSite);
    if (settings.valutaKurs)
        runHook(hooks_.RefreshCurrencyRates);

    runHook(hooks_.ClearTovarSortMarks);
    globals_.LastFindText.clear();
    runHook(hooks_.SearchSupplierGoods);

    if (options_.closeAfterShowMs >= 0)
        QTimer::singleShot(options_.closeAfterShowMs, this, &QWidget::close);
}

void Form_main::Timer_PostavNewTimer()
{
    Timer_PostavNew->stop();
    if (globals_.IsLoadAdmin)
        runHook(hooks_.CheckUpdatedPriceLists);
}

void Form_main::FormClose()
{
    storeMainWindowPlacement(*this, ADOConnection_Zakaz);
    try {
        runHook(hooks_.ReleasePriceExcelApp);
    } catch (...) {
        // Whatever state the spreadsheet instance is in, closing goes on.
    }
    if (closeDownSettings(ADOConnection_Zakaz, globals_, folders_.programFolder))
        runHook(hooks_.SavePriceListSettingsToIni);
}

void Form_main::closeEvent(QCloseEvent* event)
{
    if (hooks_.ConfirmClose && !hooks_.ConfirmClose()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void Form_main::AboutClick()
{
    if (about_)
        about_->exec();
}

void Form_main::ProgramExitClick()
{
    requestProgramEnd();
}

} // namespace velmora
