#include "form_load.h"

#include "platform/spreadsheet/view/sheet_picker.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::catalogue {
namespace {

const char* const kColumnNames[Form_load::ColumnChoices] = {"ComboBox_Art",      "ComboBox_Tovar",
                                                             "ComboBox_Price",    "ComboBox_PriceMax",
                                                             "ComboBox_Garant",   "ComboBox_Sklad"};
const char* const kColumnLabels[Form_load::ColumnChoices] = {
    "Столбец с кодом (артикулом)",        "Столбец с названием товара",
    "Столбец с мин. ценой (для закупки)", "Столбец с ценой продажи (розница)",
    "Столбец с гарантией на товар",       "Столбец с наличием на складе"};

} // namespace

Form_load::Form_load(db::Connection& priceDb, MessageSink tell, std::function<QString(QWidget*)> openFileName,
                     QWidget* parent)
    : QDialog(parent), priceDb_(priceDb), tell_(std::move(tell)), openFileName_(std::move(openFileName))
{
    setObjectName(QStringLiteral("Form_load"));
    setWindowTitle(QStringLiteral("Настройка загрузки данных"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    picker_ = new sheet::SheetPicker(this, QStringLiteral("SheetView_Load"));
    sheet::PickerRows rows(this, picker_);
    suppliers_ = new QComboBox(this);
    suppliers_->setObjectName(QStringLiteral("ComboBox_Postav"));
    suppliers_->setEditable(true);
    rows.add(QStringLiteral("Укажите поставщика"), suppliers_);
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("Edit_Path"));
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("SpeedButton_Path"));
    browse->setText(QStringLiteral("..."));
    rows.add(QStringLiteral("Укажите путь к файлу"), path_, browse);
    sheets_ = new QComboBox(this);
    sheets_->setObjectName(QStringLiteral("ComboBox_Sheet"));
    rows.add(QStringLiteral("Укажите лист"), sheets_);
    for (int c = 0; c < ColumnChoices; ++c)
        columns_[c] = rows.addColumn(QString::fromUtf8(kColumnLabels[c]), QLatin1String(kColumnNames[c]),
                                     QLatin1String(kColumnNames[c]) + QStringLiteral("_Pick"));
    artObrab_ = new QCheckBox(QStringLiteral("Обрабатывать по артикулу"), this);
    artObrab_->setObjectName(QStringLiteral("CheckBox_ArtObrab"));
    rows.layout()->addWidget(artObrab_, rows.layout()->rowCount(), 0, 1, 3);
    auto* save = new QPushButton(QStringLiteral("Сохранить параметры"), this);
    save->setObjectName(QStringLiteral("Button_zagruz"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("Button_Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows.layout());
    layout->addLayout(buttons);

    connect(suppliers_, &QComboBox::activated, this, &Form_load::ComboBox_PostavChange);
    connect(browse, &QToolButton::clicked, this, &Form_load::BrowseClick);
    connect(sheets_, &QComboBox::activated, this, &Form_load::ComboBox_SheetChange);
    connect(save, &QPushButton::clicked, this, &Form_load::Button_zagruzClick);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

Form_load::~Form_load() = default;

void Form_load::showEvent(QShowEvent* event)
{
    prepare();
    QDialog::showEvent(event);
}

void Form_load::closeEvent(QCloseEvent* event)
{
    closeWorkbook();
    QDialog::closeEvent(event);
}

void Form_load::closeWorkbook() { picker_->close(); }

void Form_load::prepare()
{
    setWindowState(Qt::WindowNoState);
    suppliers_->clear();
    suppliers_->addItems(loadingSupplierNames(priceDb_, false));
    suppliers_->setCurrentIndex(-1);
    suppliers_->setEditText(QString());
    path_->clear();
    sheets_->clear();
    sheets_->setEnabled(false);
    for (QComboBox* column : columns_)
        column->setCurrentIndex(0);
    storedSheet_ = 0;
}

void Form_load::ComboBox_PostavChange()
{
    closeWorkbook();
    const std::optional<SupplierSetup> setup = readSupplierSetup(priceDb_, suppliers_->currentText());
    sheets_->clear();
    sheets_->setEnabled(false);
    artObrab_->setEnabled(true);
    if (!setup)
        return;
    path_->setText(setup->path);
    artObrab_->setChecked(setup->artObrab);
    const int stored[ColumnChoices] = {setup->columnArt,      setup->columnTovar,  setup->columnPrice,
                                       setup->columnPricemax, setup->columnGarant, setup->columnSklad};
    for (int c = 0; c < ColumnChoices; ++c)
        columns_[c]->setCurrentIndex(std::clamp(stored[c], 0, kMaxLoadColumn));
    storedSheet_ = setup->sheet;
}

void Form_load::BrowseClick()
{
    const auto askForFile = [this] { return openFileName_ ? openFileName_(this) : QString(); };
    if (!picker_->openFromField(path_, askForFile, tell_))
        return;
    sheets_->setEnabled(true);
    picker_->listSheets(sheets_);
    // The sheet stored for the supplier, else the first.
    const int sheet = storedSheet_ >= 1 && storedSheet_ <= picker_->sheetNames().size() ? storedSheet_ : 1;
    sheets_->setCurrentIndex(sheet - 1);
    picker_->showSheet(sheet);
}

void Form_load::ComboBox_SheetChange() { picker_->showSheet(sheets_->currentIndex() + 1); }

void Form_load::PickColumn(int which) { picker_->pickColumn(columns_[which]); }

void Form_load::Button_zagruzClick()
{
    SupplierSetup setup;
    setup.postavshik = suppliers_->currentText().trimmed();
    setup.path = path_->text();
    setup.columnArt = columns_[Art]->currentIndex();
    setup.columnTovar = columns_[Tovar]->currentIndex();
    setup.columnPrice = columns_[Price]->currentIndex();
    setup.columnPricemax = columns_[Pricemax]->currentIndex();
    setup.columnGarant = columns_[Garant]->currentIndex();
    setup.columnSklad = columns_[Sklad]->currentIndex();
    setup.sheet = sheets_->isEnabled() && sheets_->currentIndex() >= 0 ? sheets_->currentIndex() + 1 : 0;
    setup.artObrab = artObrab_->isChecked();
    const bool isNew = !readSupplierSetup(priceDb_, setup.postavshik);
    const QString problem = saveSupplierSetup(priceDb_, setup, QDate::currentDate());
    if (!problem.isEmpty()) {
        if (tell_)
            tell_(problem);
        return;
    }
    if (isNew) {
        suppliers_->clear();
        suppliers_->addItems(loadingSupplierNames(priceDb_, false));
        suppliers_->setCurrentText(setup.postavshik);
    }
    closeWorkbook();
}

} // namespace velmora::catalogue
