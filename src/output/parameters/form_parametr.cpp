#include "form_parametr.h"

#include "ui_form_parametr.h"

#include "export_parameters.h"
#include "yml_settings.h"

#include "storage/settings_store.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QTabBar>
#include <QSpinBox>

namespace velmora::output {
namespace {

void setRate(QComboBox* combo, const YmlRate& rate, QSpinBox* surcharge)
{
    combo->setEditText(rate.rate);
    surcharge->setValue(rate.surcharge);
}

YmlRate rateOf(const QComboBox* combo, const QSpinBox* surcharge)
{
    return YmlRate{combo->currentText(), surcharge->value()};
}

} // namespace

Form_parametr::Form_parametr(db::Connection& priceDb, db::Connection& orderDb, QString dataFolder, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::Form_parametr>()),
      priceDb_(priceDb),
      orderDb_(orderDb),
      dataFolder_(std::move(dataFolder)),
      folders_(new QFileSystemModel(this))
{
    ui->setupUi(this);
    // Every tab in sight: the window is as wide as its tabs.
    ui->PageControl1->tabBar()->setUsesScrollButtons(false);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath(QDir::rootPath());
    ui->TreeView_Path->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        ui->TreeView_Path->hideColumn(column);
    ui->TreeView_Path->setHeaderHidden(true);

    connect(ui->Button_OutSet, &QPushButton::clicked, this, &Form_parametr::Button_OutSetClick);
    connect(ui->Button_Exit, &QPushButton::clicked, this, &Form_parametr::Button_ExitClick);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &Form_parametr::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &Form_parametr::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &Form_parametr::SpeedButton3Click);
    connect(ui->SpeedButton4, &QToolButton::clicked, this, &Form_parametr::SpeedButton4Click);
    connect(ui->SpeedButton5, &QToolButton::clicked, this, &Form_parametr::SpeedButton5Click);
    connect(ui->Button_Path, &QPushButton::clicked, this, &Form_parametr::Button_PathClick);
    connect(ui->Button_Excel, &QPushButton::clicked, this, &Form_parametr::Button_ExcelClick);
    // Typing a rate counts as much as choosing one.
    connect(ui->ComboBox_RUB, &QComboBox::editTextChanged, this, &Form_parametr::ComboBox_RUBChange);
    connect(ui->ComboBox_USD, &QComboBox::editTextChanged, this, &Form_parametr::ComboBox_USDChange);
    connect(ui->ComboBox_EUR, &QComboBox::editTextChanged, this, &Form_parametr::ComboBox_EURChange);
    setDataSourceOpener({});
    setLayoutOpener({});
}

Form_parametr::~Form_parametr() = default;

void Form_parametr::setDataSourceOpener(DataSourceOpener opener)
{
    dataSourceOpener_ = std::move(opener);
    ui->SpeedButton5->setEnabled(bool(dataSourceOpener_));
}

void Form_parametr::setLayoutOpener(LayoutOpener opener)
{
    layoutOpener_ = std::move(opener);
    ui->Button_Excel->setEnabled(bool(layoutOpener_));
}

void Form_parametr::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_parametr::FormShow()
{
    showFolderChooser(false);
    folderTarget_ = 0;

    const ExportParameters parameters = readExportParameters(priceDb_);
    const std::array<QLineEdit*, kPriceColumnCount> names{ui->Edit_Out_1, ui->Edit_Out_2, ui->Edit_Out_3,
                                                          ui->Edit_Out_4};
    const std::array<QSpinBox*, kPriceColumnCount> markups{ui->SpinEdit_Out_1, ui->SpinEdit_Out_2,
                                                           ui->SpinEdit_Out_3, ui->SpinEdit_Out_4};
    for (int k = 1; k <= kPriceColumnCount; ++k) {
        names.at(size_t(k - 1))->setText(parameters.priceColumnName(k));
        markups.at(size_t(k - 1))->setValue(parameters.priceColumnMarkup(k));
    }
    ui->Edit_Path->setText(parameters.excelFolder());
    ui->Edit_FileName->setText(parameters.excelFileName());
    ui->Edit_SheetName->setText(parameters.excelSheetName());
    ui->Edit_DBF->setText(parameters.dbfFolder());
    ui->Edit_Access->setText(parameters.managersDatabaseFolder());
    ui->Edit_XML->setText(parameters.ymlPath());
    ui->Edit_ConStr->setText(parameters.connectionString());

    // The YML file's own setting stands above row 5.
    SettingsStore settings(orderDb_);
    const YmlSettings yml =
        readYmlSettings(settings, dataFolder_, displayCode_ ? displayCode_() : QStringLiteral("RUB"));
    ui->Edit_XML->setText(yml.xmlPath);
    ui->Edit_name->setText(yml.shopName);
    ui->Edit_company->setText(yml.company);
    ui->Edit_url->setText(yml.url);
    setRate(ui->ComboBox_RUB, yml.rub, ui->SpinEdit_RUB);
    setRate(ui->ComboBox_USD, yml.usd, ui->SpinEdit_USD);
    setRate(ui->ComboBox_EUR, yml.eur, ui->SpinEdit_EUR);
    ComboBox_RUBChange();
    ComboBox_USDChange();
    ComboBox_EURChange();
    ui->ComboBox_Currency->setCurrentIndex(yml.currency);
    ui->ComboBox_Delivery->setCurrentIndex(yml.delivery);
}

void Form_parametr::Button_OutSetClick()
{
    ParameterInput input;
    const std::array<QLineEdit*, kPriceColumnCount> names{ui->Edit_Out_1, ui->Edit_Out_2, ui->Edit_Out_3,
                                                          ui->Edit_Out_4};
    const std::array<QSpinBox*, kPriceColumnCount> markups{ui->SpinEdit_Out_1, ui->SpinEdit_Out_2,
                                                           ui->SpinEdit_Out_3, ui->SpinEdit_Out_4};
    for (size_t k = 0; k < size_t(kPriceColumnCount); ++k) {
        input.columnNames.at(k) = names.at(k)->text();
        input.columnMarkups.at(k) = markups.at(k)->value();
    }
    input.excelFolder = ui->Edit_Path->text();
    input.excelFileName = ui->Edit_FileName->text();
    input.excelSheetName = ui->Edit_SheetName->text();
    input.dbfFolder = ui->Edit_DBF->text();
    input.managersDatabaseFolder = ui->Edit_Access->text();
    input.connectionString = ui->Edit_ConStr->text();
    storeExportParameters(priceDb_, input);

    YmlSettings yml;
    yml.xmlPath = ui->Edit_XML->text();
    yml.shopName = ui->Edit_name->text();
    yml.company = ui->Edit_company->text();
    yml.url = ui->Edit_url->text();
    yml.rub = rateOf(ui->ComboBox_RUB, ui->SpinEdit_RUB);
    yml.usd = rateOf(ui->ComboBox_USD, ui->SpinEdit_USD);
    yml.eur = rateOf(ui->ComboBox_EUR, ui->SpinEdit_EUR);
    yml.currency = ui->ComboBox_Currency->currentIndex();
    yml.delivery = ui->ComboBox_Delivery->currentIndex();
    SettingsStore settings(orderDb_);
    storeYmlSettings(settings, yml);
    accept();
}

void Form_parametr::Button_ExitClick() { reject(); }

void Form_parametr::chooseFolderFor(int target)
{
    folderTarget_ = target;
    showFolderChooser(true);
}

void Form_parametr::showFolderChooser(bool chooser)
{
    ui->PageControl1->setVisible(!chooser);
    ui->Button_OutSet->setVisible(!chooser);
    ui->Button_Exit->setVisible(!chooser);
    ui->GroupBox_Path->setVisible(chooser);
}

void Form_parametr::Button_PathClick()
{
    showFolderChooser(false);
    const QModelIndex current = ui->TreeView_Path->currentIndex();
    if (ui->TreeView_Path->isEnabled() && current.isValid()) {
        const QString folder = folders_->filePath(current);
        const QString withSeparator = folder.endsWith(u'/') ? folder : folder + u'/';
        switch (folderTarget_) {
        case 1: ui->Edit_Path->setText(withSeparator); break;
        case 2: ui->Edit_DBF->setText(withSeparator); break;
        case 3: ui->Edit_Access->setText(withSeparator); break;
        case 4: ui->Edit_XML->setText(withSeparator + QStringLiteral("price.xml")); break;
        default: break;
        }
    }
    folderTarget_ = 0;
}

void Form_parametr::SpeedButton5Click()
{
    if (!dataSourceOpener_)
        return;
    const QString connectionString = dataSourceOpener_(this);
    if (!connectionString.isEmpty())
        ui->Edit_ConStr->setText(connectionString);
}

void Form_parametr::Button_ExcelClick()
{
    if (!layoutOpener_)
        return;
    hide();
    layoutOpener_(parentWidget());
}

void Form_parametr::followRateChoice(const QComboBox* combo, QSpinBox* surcharge)
{
    if (YmlRate::takesSurcharge(combo->currentText())) {
        surcharge->setEnabled(true);
    } else {
        surcharge->setValue(0);
        surcharge->setEnabled(false);
    }
}

void Form_parametr::ComboBox_RUBChange() { followRateChoice(ui->ComboBox_RUB, ui->SpinEdit_RUB); }
void Form_parametr::ComboBox_USDChange() { followRateChoice(ui->ComboBox_USD, ui->SpinEdit_USD); }
void Form_parametr::ComboBox_EURChange() { followRateChoice(ui->ComboBox_EUR, ui->SpinEdit_EUR); }

} // namespace velmora::output
