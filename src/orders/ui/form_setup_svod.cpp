#include "orders/ui/form_setup_svod.h"

#include "orders/comparison_sheet.h"
#include "orders/ui/named_widgets.h"
#include "platform/files/error_text.h"
#include "storage/value_helpers.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace velmora::orders {

namespace {

QString todayText() { return DateToDottedText(QDateTime::currentDateTime()); }

} // namespace

Form_SetupSvod::Form_SetupSvod(SetupSvodEnvironment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment)), templateName_(kComparisonTemplateName)
{
    setObjectName(QStringLiteral("Form_SetupSvod"));
    setWindowTitle(QStringLiteral("Настройка Сводного прайс-листа"));
    setModal(true);
    buildControls();
}

Form_SetupSvod::~Form_SetupSvod() = default;

QString Form_SetupSvod::iniPath() const { return ComparisonIniPath(env_.programFolder); }

void Form_SetupSvod::buildControls()
{
    // Page "Экспорт в Excel".
    auto* excelPage = new QWidget(this);
    Edit_PathSvod = named(new QLineEdit(excelPage), "Edit_PathSvod");
    auto* pickFolder = named(new QToolButton(excelPage), "SpeedButton_PathSvod");
    pickFolder->setText(QStringLiteral("..."));
    pickFolder->setToolTip(QStringLiteral("Выбрать папку для сохранения прайс-листа"));
    CheckBox_SvodKurs = named(new QCheckBox(QStringLiteral("Цены при экспорте в рублях"), excelPage), "CheckBox_SvodKurs");
    CheckBox_FileDate =
        named(new QCheckBox(QStringLiteral("В название файла добавлять дату"), excelPage), "CheckBox_FileDate");
    Edit_FilePrefics = named(new QLineEdit(excelPage), "Edit_FilePrefics");
    Edit_FileSuffics = named(new QLineEdit(excelPage), "Edit_FileSuffics");
    Edit_FileNameSvod = named(new QLineEdit(excelPage), "Edit_FileNameSvod");
    Edit_ExcelTemplate = named(new QLineEdit(excelPage), "Edit_ExcelTemplate");
    auto* pickTemplate = named(new QToolButton(excelPage), "SpeedButton_ExcelTemplate");
    pickTemplate->setText(QStringLiteral("..."));
    pickTemplate->setToolTip(QStringLiteral("Укажите путь к шаблону сводного прайс-листа"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Edit_PathSvod, 1);
    folderRow->addWidget(pickFolder);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(Edit_ExcelTemplate, 1);
    templateRow->addWidget(pickTemplate);
    auto* form = new QFormLayout(excelPage);
    form->addRow(QStringLiteral("Папка для сохранения"), folderRow);
    form->addRow(CheckBox_SvodKurs);
    form->addRow(CheckBox_FileDate);
    form->addRow(QStringLiteral("Префикс"), Edit_FilePrefics);
    form->addRow(QStringLiteral("Суффикс"), Edit_FileSuffics);
    form->addRow(QStringLiteral("Имя файла"), Edit_FileNameSvod);
    form->addRow(QStringLiteral("Шаблон"), templateRow);

    // Page "Поставщики".
    auto* suppliersPage = new QWidget(this);
    CheckListBox_Postav = named(new QListWidget(suppliersPage), "CheckListBox_Postav");
    auto* suppliersLayout = new QVBoxLayout(suppliersPage);
    suppliersLayout->addWidget(CheckListBox_Postav);

    PageControl_Svod = named(new QTabWidget(this), "PageControl_Svod");
    PageControl_Svod->addTab(excelPage, QStringLiteral("Экспорт в Excel"));
    PageControl_Svod->addTab(suppliersPage, QStringLiteral("Поставщики"));
    PageControl_Svod->addTab(new QWidget(this), QStringLiteral("Колонки для экспорта"));

    // The folder tree, shown in place of the pages.
    Panel_Folder = named(new QWidget(this), "Panel_Folder");
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    TreeView_Folder = named(new QTreeView(Panel_Folder), "TreeView_Folder");
    TreeView_Folder->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        TreeView_Folder->hideColumn(column);
    TreeView_Folder->header()->hide();
    auto* remember = named(new QPushButton(QStringLiteral("Запомнить"), Panel_Folder), "Button_FolderRemember");
    auto* folderLayout = new QVBoxLayout(Panel_Folder);
    folderLayout->addWidget(TreeView_Folder, 1);
    folderLayout->addWidget(remember, 0, Qt::AlignRight);

    stack_ = new QStackedWidget(this);
    stack_->addWidget(PageControl_Svod);
    stack_->addWidget(Panel_Folder);

    auto* make = named(new QPushButton(QStringLiteral(" Сформировать сводный прайс-лист"), this),
                       "BitBtn_ExportExcelSvodPrice");
    auto* close = named(new QPushButton(QStringLiteral("Закрыть"), this), "Button_Close");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(make);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stack_, 1);
    layout->addLayout(buttons);
    resize(560, 420);

    connect(pickFolder, &QToolButton::clicked, this, &Form_SetupSvod::SpeedButton_PathSvodClick);
    connect(remember, &QPushButton::clicked, this, &Form_SetupSvod::Button_FolderRememberClick);
    connect(pickTemplate, &QToolButton::clicked, this, &Form_SetupSvod::SpeedButton_ExcelTemplateClick);
    connect(CheckBox_FileDate, &QCheckBox::clicked, this, &Form_SetupSvod::CheckBox_FileDateClick);
    connect(Edit_FilePrefics, &QLineEdit::textEdited, this, &Form_SetupSvod::refreshFileName);
    connect(Edit_FileSuffics, &QLineEdit::textEdited, this, &Form_SetupSvod::refreshFileName);
    connect(make, &QPushButton::clicked, this, &Form_SetupSvod::BitBtn_ExportExcelSvodPriceClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void Form_SetupSvod::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_SetupSvod::FormShow()
{
    PageControl_Svod->setCurrentIndex(0);
    stack_->setCurrentWidget(PageControl_Svod);
    templateName_ = kComparisonTemplateName;
    LoadTemplate();
}

void Form_SetupSvod::showFileNameBoxes(bool withDate)
{
    CheckBox_FileDate->setChecked(withDate);
    Edit_FilePrefics->setEnabled(withDate);
    Edit_FileSuffics->setEnabled(withDate);
    Edit_FileNameSvod->setEnabled(!withDate);
    const ComparisonTemplate stored = ReadComparisonTemplate(iniPath(), templateName_, env_.programFolder);
    if (withDate) {
        Edit_FilePrefics->setText(stored.prefix);
        Edit_FileSuffics->setText(stored.suffix);
        refreshFileName();
    } else {
        Edit_FilePrefics->clear();
        Edit_FileSuffics->clear();
        Edit_FileNameSvod->setText(stored.fixedName);
    }
}

void Form_SetupSvod::refreshFileName()
{
    if (CheckBox_FileDate->isChecked())
        Edit_FileNameSvod->setText(Edit_FilePrefics->text() + todayText() + Edit_FileSuffics->text());
}

void Form_SetupSvod::LoadTemplate()
{
    const ComparisonTemplate stored = ReadComparisonTemplate(iniPath(), templateName_, env_.programFolder);
    Edit_PathSvod->setText(stored.folder);
    CheckBox_SvodKurs->setChecked(stored.inRoubles);
    showFileNameBoxes(stored.fileDate);
    Edit_ExcelTemplate->setText(stored.templatePath);
    CheckListBox_Postav->clear();
    QStringList suppliers;
    try {
        suppliers = ComparisonSuppliers(*env_.priceDb);
    } catch (const std::exception& e) {
        if (env_.error)
            env_.error(ErrorText(e));
    }
    for (const QString& supplier : suppliers) {
        auto* item = new QListWidgetItem(supplier, CheckListBox_Postav);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(ComparisonSupplierChosen(iniPath(), templateName_, supplier) ? Qt::Checked : Qt::Unchecked);
    }
}

void Form_SetupSvod::CheckBox_FileDateClick()
{
    showFileNameBoxes(CheckBox_FileDate->isChecked());
}

bool Form_SetupSvod::SaveTemplate()
{
    ComparisonTemplate settings;
    settings.folder = Edit_PathSvod->text().trimmed();
    settings.inRoubles = CheckBox_SvodKurs->isChecked();
    settings.fileDate = CheckBox_FileDate->isChecked();
    settings.prefix = Edit_FilePrefics->text();
    settings.suffix = Edit_FileSuffics->text();
    settings.fixedName = Edit_FileNameSvod->text();
    settings.templatePath = Edit_ExcelTemplate->text().trimmed();
    QVector<std::pair<QString, bool>> suppliers;
    CheckListBox_Postav->setEnabled(false);
    for (int i = 0; i < CheckListBox_Postav->count(); ++i) {
        const QListWidgetItem* item = CheckListBox_Postav->item(i);
        suppliers.append({item->text(), item->checkState() == Qt::Checked});
    }
    CheckListBox_Postav->setEnabled(true);
    if (CheckListBox_Postav->count() > 0)
        CheckListBox_Postav->setCurrentRow(0);
    return SaveComparisonTemplate(iniPath(), templateName_, settings, suppliers, env_.error);
}

void Form_SetupSvod::SpeedButton_PathSvodClick()
{
    folders_->setRootPath(QStringLiteral("/"));
    const QString current = Edit_PathSvod->text().trimmed();
    if (!current.isEmpty() && QDir(current).exists()) {
        TreeView_Folder->setCurrentIndex(folders_->index(QDir(current).absolutePath()));
        TreeView_Folder->scrollTo(TreeView_Folder->currentIndex());
    }
    stack_->setCurrentWidget(Panel_Folder);
}

void Form_SetupSvod::Button_FolderRememberClick()
{
    const QModelIndex index = TreeView_Folder->currentIndex();
    if (index.isValid()) {
        QString folder = folders_->filePath(index);
        if (!folder.endsWith(u'/'))
            folder += u'/';
        Edit_PathSvod->setText(folder);
    }
    stack_->setCurrentWidget(PageControl_Svod);
}

void Form_SetupSvod::SpeedButton_ExcelTemplateClick()
{
    if (!env_.openFileName)
        return;
    const QString path = env_.openFileName(this, kExcelFileFilter);
    if (!path.isEmpty())
        Edit_ExcelTemplate->setText(path);
}

void Form_SetupSvod::BitBtn_ExportExcelSvodPriceClick()
{
    if (!SaveTemplate())
        return;
    ComparisonInput input;
    input.priceDb = env_.priceDb;
    input.iniPath = iniPath();
    input.templateName = templateName_;
    input.programFolder = env_.programFolder;
    input.roundDigits = env_.roundDigits ? env_.roundDigits() : 2;
    input.kursRub = env_.kursRub ? env_.kursRub() : 27.0;
    input.progress = env_.progress;
    QString path;
    try {
        path = WriteComparisonSheet(input);
    } catch (const std::exception& e) {
        if (env_.error)
            env_.error(ErrorText(e));
        return;
    }
    if (env_.handOver)
        env_.handOver(path);
}

} // namespace velmora::orders
