#include "orders/ui/form_user_export.h"

#include "orders/ui/named_widgets.h"
#include "orders/user_export.h"
#include "orders/user_export_thread.h"
#include "platform/db/text_functions.h"
#include "platform/files/ini_file.h"
#include "storage/settings_store.h"
#include "suppliers/brands/markup_scales.h"
#include "suppliers/brands/markup_scales_box.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace velmora::orders {

namespace {

const QString kMyStock = QStringLiteral("CheckBox_MyStock");
const QString kNacenPostav = QStringLiteral("CheckBox_NacenPostav");

// Moves the row'th name of `from` to the end of `to`; the new current row
// of the source list: the same, or its last when that was the last.
int moveName(QStringList& from, QStringList& to, int row)
{
    to << from.takeAt(row);
    return std::min(row, int(from.size()) - 1);
}

} // namespace

Form_UserExport::Form_UserExport(UserExportEnvironment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment))
{
    setObjectName(QStringLiteral("Form_UserExport"));
    setWindowTitle(QStringLiteral("Экспорт сводного прайс-листа"));
    setModal(true);
    buildControls();
    if (env_.runner)
        connect(env_.runner, &UserExportRunner::SyncExportStatus, this, &Form_UserExport::SyncExportStatus);
}

void Form_UserExport::buildControls()
{
    PageControl_UserExport = named(new QTabWidget(this), "PageControl_UserExport");

    // "Настройки": the two lists and the output folder.
    auto* setup = named(new QWidget, "TabSheet_Setup");
    ListBox_base = named(new QListWidget(setup), "ListBox_base");
    ListBox_export = named(new QListWidget(setup), "ListBox_export");
    auto* delOne = pushButton("Button_DelOne", QStringLiteral(">"), setup);
    auto* addOne = pushButton("Button_AddOne", QStringLiteral("<"), setup);
    // The buttons for all names are not in use.
    auto* delAll = pushButton("Button_DelAll", QStringLiteral(">>"), setup);
    auto* addAll = pushButton("Button_AddAll", QStringLiteral("<<"), setup);
    delAll->hide();
    addAll->hide();
    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* button : {delOne, addOne, delAll, addAll}) {
        button->setFixedWidth(36);
        moves->addWidget(button);
    }
    moves->addStretch(1);
    auto* baseColumn = new QVBoxLayout;
    baseColumn->addWidget(new QLabel(QStringLiteral("Поставщики:"), setup));
    baseColumn->addWidget(ListBox_base, 1);
    auto* exportColumn = new QVBoxLayout;
    exportColumn->addWidget(new QLabel(QStringLiteral("Выгружать в сводный:"), setup));
    exportColumn->addWidget(ListBox_export, 1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(baseColumn, 1);
    lists->addLayout(moves);
    lists->addLayout(exportColumn, 1);

    CheckBox_MyStock = named(new QCheckBox(QStringLiteral("Сначала выгружать свой склад"), setup), "CheckBox_MyStock");
    Edit_PathTemplate = named(new QLineEdit(setup), "Edit_PathTemplate");
    Edit_PathTemplate->setReadOnly(true);
    auto* pickFolder = speedButton("SpeedButton_Path", QStringLiteral("..."), setup);
    pickFolder->setToolTip(QStringLiteral("Папка для сохранения сводного прайс-листа"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Папка:"), setup));
    folderRow->addWidget(Edit_PathTemplate, 1);
    folderRow->addWidget(pickFolder);

    auto* setupLayout = new QVBoxLayout(setup);
    setupLayout->addLayout(lists, 1);
    setupLayout->addWidget(CheckBox_MyStock);
    setupLayout->addLayout(folderRow);
    PageControl_UserExport->addTab(setup, QStringLiteral("Настройки"));

    // "Наценки": kept only; the page is disabled.
    TabSheet_Nacen = named(new QWidget, "TabSheet_Nacen");
    CheckBox_NacenPostav = named(
        new QCheckBox(QStringLiteral("Учитывать индивидуальные наценки поставщиков"), TabSheet_Nacen),
        "CheckBox_NacenPostav");
    markups_ = new brands::MarkupScalesBox(TabSheet_Nacen);
    auto* nacenLayout = new QVBoxLayout(TabSheet_Nacen);
    nacenLayout->addWidget(CheckBox_NacenPostav);
    nacenLayout->addWidget(markups_, 1);
    TabSheet_Nacen->setEnabled(false);
    PageControl_UserExport->addTab(TabSheet_Nacen, QStringLiteral("Наценки"));

    // The folder tree in place of the pages.
    GroupBox_Path = named(new QGroupBox(QStringLiteral("Папка для сохранения"), this), "GroupBox_Path");
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    ShellTreeView_Path = named(new QTreeView(GroupBox_Path), "ShellTreeView_Path");
    ShellTreeView_Path->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        ShellTreeView_Path->hideColumn(column);
    ShellTreeView_Path->header()->hide();
    auto* remember = pushButton("Button_Path", QStringLiteral("Запомнить"), GroupBox_Path);
    auto* back = pushButton("Button1", QStringLiteral("X"), GroupBox_Path);
    auto* pathButtons = new QHBoxLayout;
    pathButtons->addStretch(1);
    pathButtons->addWidget(remember);
    pathButtons->addWidget(back);
    auto* pathLayout = new QVBoxLayout(GroupBox_Path);
    pathLayout->addWidget(ShellTreeView_Path, 1);
    pathLayout->addLayout(pathButtons);
    GroupBox_Path->hide();

    Button_Export = pushButton("Button_Export", kUserExportCaption, this);
    auto* close = pushButton("Button_Close", QStringLiteral("Закрыть"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button_Export);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl_UserExport, 1);
    layout->addWidget(GroupBox_Path, 1);
    layout->addLayout(buttons);
    resize(560, 420);

    connect(delOne, &QPushButton::clicked, this, &Form_UserExport::Button_DelOneClick);
    connect(addOne, &QPushButton::clicked, this, &Form_UserExport::Button_AddOneClick);
    connect(pickFolder, &QToolButton::clicked, this, &Form_UserExport::SpeedButton_PathClick);
    connect(remember, &QPushButton::clicked, this, &Form_UserExport::Button_PathClick);
    connect(back, &QPushButton::clicked, this, &Form_UserExport::Button1Click);
    connect(CheckBox_NacenPostav, &QCheckBox::clicked, this, &Form_UserExport::CheckBox_NacenPostavClick);
    connect(Button_Export, &QPushButton::clicked, this, &Form_UserExport::Button_ExportClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void Form_UserExport::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_UserExport::done(int result)
{
    // A running export goes on; only the status bar's text goes.
    QDialog::done(result);
    emit closed();
}

void Form_UserExport::FormShow()
{
    PageControl_UserExport->setCurrentIndex(0);
    showPages();
    // The second client's own stock has its own name (SetupUser.ini; the
    // price-list settings file's path stays as it is).
    OwnStockName = kOwnStockName;
    if (ReadIniString(env_.userIniPath, QStringLiteral("SetupUsers"), QStringLiteral("0"), QStringLiteral("Brevik-Moto"))
        == QLatin1String("1"))
        OwnStockName = kBrevikOwnStockName;
    const int nacenTab = PageControl_UserExport->indexOf(TabSheet_Nacen);
    PageControl_UserExport->setTabVisible(nacenTab, !env_.ormita);
    CheckBox_MyStock->setVisible(!env_.ormita);
    if (env_.ormita) {
        CheckBox_MyStock->setChecked(false);
        OwnStockName = kOwnStockName;
    }

    SupplierNames.clear();
    OtherSupplierNames.clear();
    const QString own = db::foldCase(OwnStockName);
    db::Statement select = env_.priceDb->prepare(QStringLiteral("SELECT Postavshik FROM AllPostavSetup ORDER BY Id"));
    while (select.step()) {
        const QString name = select.text(0);
        if (name.isEmpty())
            continue;
        (db::foldCase(name) == own ? OtherSupplierNames : SupplierNames) << name;
    }
    rebuildLists();
    loadSettings();
    if (env_.runner)
        Button_Export->setText(env_.runner->isRunning() ? kUserExportStopCaption : kUserExportCaption);
}

void Form_UserExport::rebuildLists()
{
    ListBox_base->clear();
    ListBox_base->addItems(OtherSupplierNames);
    ListBox_export->clear();
    ListBox_export->addItems(SupplierNames);
}

void Form_UserExport::Button_DelOneClick()
{
    const int row = ListBox_base->currentRow();
    if (row < 0 || row >= OtherSupplierNames.size())
        return;
    const int next = moveName(OtherSupplierNames, SupplierNames, row);
    rebuildLists();
    ListBox_base->setCurrentRow(next);
}

void Form_UserExport::Button_AddOneClick()
{
    const int row = ListBox_export->currentRow();
    if (row < 0 || row >= SupplierNames.size())
        return;
    const int next = moveName(SupplierNames, OtherSupplierNames, row);
    rebuildLists();
    ListBox_export->setCurrentRow(next);
}

void Form_UserExport::SpeedButton_PathClick()
{
    folders_->setRootPath(QStringLiteral("/"));
    const QString current = Edit_PathTemplate->text();
    if (QDir(current).exists()) {
        ShellTreeView_Path->setCurrentIndex(folders_->index(QDir(current).absolutePath()));
        ShellTreeView_Path->scrollTo(ShellTreeView_Path->currentIndex());
    }
    PageControl_UserExport->hide();
    GroupBox_Path->show();
}

void Form_UserExport::Button_PathClick()
{
    const QModelIndex index = ShellTreeView_Path->currentIndex();
    if (ShellTreeView_Path->isEnabled() && index.isValid()) {
        QString folder = folders_->filePath(index);
        if (!folder.endsWith(u'/'))
            folder += u'/';
        Edit_PathTemplate->setText(folder);
        SettingsStore(*env_.orderDb).write(kUserExportFolderSetting, QStringLiteral("TypeText"), folder);
    }
    showPages();
}

void Form_UserExport::Button1Click() { showPages(); }

void Form_UserExport::showPages()
{
    GroupBox_Path->hide();
    PageControl_UserExport->show();
}

void Form_UserExport::CheckBox_NacenPostavClick() { markups_->setTablesVisible(!CheckBox_NacenPostav->isChecked()); }

void Form_UserExport::loadSettings()
{
    SettingsStore settings(*env_.orderDb);
    markups_->setScales(brands::ReadMarkupScales(*env_.orderDb, QString()));
    CheckBox_MyStock->setChecked(!env_.ormita && settings.readBoolean(kMyStock, QStringLiteral("False")));
    CheckBox_NacenPostav->setChecked(settings.readBoolean(kNacenPostav, QStringLiteral("False")));
    CheckBox_NacenPostavClick();
    Edit_PathTemplate->setText(ReadUserExportFolder(*env_.orderDb, env_.programFolder));
}

void Form_UserExport::saveSettings()
{
    const auto flag = [](bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); };
    brands::WriteMarkupScales(*env_.orderDb, QString(), markups_->scales());
    SettingsStore settings(*env_.orderDb);
    settings.write(kMyStock, QStringLiteral("TypeBoolean"), flag(CheckBox_MyStock->isChecked()));
    settings.write(kNacenPostav, QStringLiteral("TypeBoolean"), flag(CheckBox_NacenPostav->isChecked()));
}

void Form_UserExport::Button_ExportClick()
{
    if (!env_.runner)
        return;
    if (Button_Export->text() != kUserExportCaption) {
        Button_Export->setText(kUserExportCaption);
        env_.runner->stop();
        return;
    }
    saveSettings();
    UserExportRequest request;
    request.supplierNames = SupplierNames;
    request.ownStockName = OwnStockName;
    request.folder = ReadUserExportFolder(*env_.orderDb, env_.programFolder);
    request.programFolder = env_.programFolder;
    if (env_.runner->start(request))
        Button_Export->setText(kUserExportStopCaption);
}

void Form_UserExport::SyncExportStatus(const QString&, const QString& caption) { Button_Export->setText(caption); }

} // namespace velmora::orders
