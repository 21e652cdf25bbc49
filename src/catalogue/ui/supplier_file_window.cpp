#include "supplier_file_window.h"

#include "window_controls.h"

#include "catalogue/supplier_files/price_update.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/files/error_text.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/sheet_picker.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::catalogue {

SupplierFileWindow::SupplierFileWindow(SupplierFileKind kind, CatalogueWindowEnvironment environment, QWidget* parent)
    : QDialog(parent), kind_(kind), env_(std::move(environment))
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    picker_ = new sheet::SheetPicker(this, kind == SupplierFileKind::Invoice ? QStringLiteral("PostavInvoiceApp")
                                                                             : QStringLiteral("LoadPricePostavApp"));
    buildControls();
    connect(this, &QDialog::finished, this, &SupplierFileWindow::FormClose);
}

SupplierFileWindow::~SupplierFileWindow() = default;

void SupplierFileWindow::buildControls()
{
    const bool invoice = kind_ == SupplierFileKind::Invoice;
    ComboBox_NamePostav = named(new QComboBox(this), "ComboBox_NamePostav");
    Edit_Path = named(new QLineEdit(this), "Edit_Path");
    auto* browse = named(new QToolButton(this), "SpeedButton_Path");
    browse->setText(QStringLiteral("..."));
    ComboBox_Sheet = named(new QComboBox(this), "ComboBox_Sheet");

    sheet::PickerRows rows(this, picker_);
    rows.add(QStringLiteral("Название поставщика"), ComboBox_NamePostav);
    rows.add(QStringLiteral("Укажите путь к файлу"), Edit_Path, browse);
    rows.add(QStringLiteral("Укажите лист"), ComboBox_Sheet);
    ComboBox_StartRow = rows.addStartRow(QStringLiteral("Загружать со строки:"), QStringLiteral("ComboBox_StartRow"),
                                         QStringLiteral("Button_StartRow"));
    QToolButton* pickNumber = nullptr;
    if (invoice) {
        Edit_Number = named(new QLineEdit(this), "Edit_Number");
        pickNumber = sheet::makePickButton(QStringLiteral("Button_Number"), this,
                                           QStringLiteral("Установить адрес выбранной ячейки"));
        rows.add(QStringLiteral("Ячейка в Excel с номером накладной"), Edit_Number, pickNumber);
    }

    auto* columns = named(new QGroupBox(QStringLiteral("Настройка столбцов"), this), "GroupBox_Columns");
    sheet::PickerRows columnRows(columns, picker_);
    columns->setLayout(columnRows.layout());
    ComboBox_Art = columnRows.addColumn(QStringLiteral("Столбец с кодом (артикулом)"), QStringLiteral("ComboBox_Art"),
                                        QStringLiteral("Button_SelArt"), [this] { afterArticlePick(); });
    ComboBox_Tov = columnRows.addColumn(QStringLiteral("Столбец с названием товаров"), QStringLiteral("ComboBox_Tov"),
                                        QStringLiteral("Button_SelName"));
    ComboBox_PriceMax = columnRows.addColumn(QStringLiteral("Столбец с ценами на товары"),
                                             QStringLiteral("ComboBox_PriceMax"), QStringLiteral("Button_SelMaxPrice"));
    ComboBox_Zakaz = columnRows.addColumn(invoice ? QStringLiteral("Столбец с количеством товаров")
                                                  : QStringLiteral("Столбец с количеством для заказа"),
                                          QStringLiteral("ComboBox_Zakaz"), QStringLiteral("Button_SelSklad"));

    auto* key = named(new QGroupBox(QStringLiteral("Ключевое поле для соответствия"), this), "RadioGroup_Key");
    RadioButton_SelArtZakaz = named(new QRadioButton(QStringLiteral("Проставлять соответствия по Коду (Артикулу)"), key),
                                    "RadioButton_SelArtZakaz");
    RadioButton_SelTovarZakaz = named(
        new QRadioButton(QStringLiteral("Проставлять соответствия по Названию товаров"), key), "RadioButton_SelTovarZakaz");
    auto* keyLayout = new QVBoxLayout(key);
    keyLayout->addWidget(RadioButton_SelArtZakaz);
    keyLayout->addWidget(RadioButton_SelTovarZakaz);
    RadioButton_SelTovarZakaz->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows.layout());
    layout->addWidget(columns);
    layout->addWidget(key);
    if (!invoice) {
        Edit_KursPostav = named(new QLineEdit(this), "Edit_KursPostav");
        Edit_KursPostav->installEventFilter(this);
        auto* rate = new QHBoxLayout;
        rate->addWidget(new QLabel(QStringLiteral("Курс для пересчета цены"), this));
        rate->addWidget(Edit_KursPostav);
        layout->addLayout(rate);
    }

    Panel_Load = new QGroupBox(this);
    Panel_Load->setObjectName(invoice ? QStringLiteral("Panel_Load") : QStringLiteral("GroupBox_Load"));
    Label_Info = named(new QLabel(Panel_Load), "Label_Info");
    Label_Info->setWordWrap(true);
    ProgressBar_Load = named(new QProgressBar(Panel_Load), "ProgressBar_Load");
    Button_Close = named(new QPushButton(QStringLiteral("Закрыть"), Panel_Load), "Button_Close");
    auto* panelLayout = new QVBoxLayout(Panel_Load);
    panelLayout->addWidget(Label_Info);
    panelLayout->addWidget(ProgressBar_Load);
    resultExtras_ = new QWidget(Panel_Load);
    panelLayout->addWidget(resultExtras_);
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addStretch(1);
    panelButtons->addWidget(Button_Close);
    panelLayout->addLayout(panelButtons);
    layout->addWidget(Panel_Load);

    Button1 = named(new QPushButton(invoice ? QStringLiteral("Загрузить накладную") : QStringLiteral("Обновить цены"), this),
                    "Button1");
    auto* save = named(new QPushButton(QStringLiteral("Сохранить настройки"), this), "Button_SaveZakazExcel");
    auto* exit = named(new QPushButton(QStringLiteral("Закрыть"), this), "Button_Exit");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(save);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    layout->addLayout(buttons);

    connect(ComboBox_NamePostav, &QComboBox::activated, this, &SupplierFileWindow::chooseSupplier);
    connect(browse, &QToolButton::clicked, this, &SupplierFileWindow::SpeedButton_PathClick);
    connect(ComboBox_Sheet, &QComboBox::activated, this, [this](int index) { picker_->showSheet(index + 1); });
    if (pickNumber)
        connect(pickNumber, &QToolButton::clicked, this, [this] {
            if (const auto cell = picker_->picked())
                Edit_Number->setText(ColumnToLetters(cell->column) + QString::number(cell->row));
        });
    connect(Button1, &QPushButton::clicked, this, &SupplierFileWindow::Button1Click);
    connect(save, &QPushButton::clicked, this, &SupplierFileWindow::Button_SaveZakazExcelClick);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button_Close, &QPushButton::clicked, this, &SupplierFileWindow::Button_CloseClick);
}

void SupplierFileWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool SupplierFileWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Edit_KursPostavKeyPress: the rate takes digits and one decimal comma.
    if (watched == Edit_KursPostav && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() != 1 || (!text[0].isPrint() && text[0] != u'\b'))
            return false;
        switch (filterRateKey(Edit_KursPostav->text(), text[0])) {
        case RateKey::Pass:
            return false;
        case RateKey::AsComma:
            Edit_KursPostav->insert(QStringLiteral(","));
            return true;
        case RateKey::Refuse:
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SupplierFileWindow::reportError(const QString& text)
{
    if (env_.error)
        env_.error(text);
    else if (env_.message)
        env_.message(text);
}

QString SupplierFileWindow::supplier() const { return ComboBox_NamePostav->currentText().trimmed(); }

void SupplierFileWindow::fillSuppliers()
{
    ComboBox_NamePostav->clear();
    if (!env_.priceDb)
        return;
    try {
        db::Statement s =
            env_.priceDb->prepare(QStringLiteral("SELECT Postavshik FROM postavshik ORDER BY Postavshik"));
        while (s.step())
            ComboBox_NamePostav->addItem(s.text(0));
    } catch (const db::DbError& e) {
        reportError(e.message());
    }
}

void SupplierFileWindow::FormShow()
{
    Panel_Load->hide();
    fillSuppliers();
    QString preselected;
    if (env_.orderDb) {
        try {
            SettingsStore store(*env_.orderDb);
            preselected = store.readText(preselectedSupplierSetting(kind_));
        } catch (const std::exception& e) {
            reportError(ErrorText(e));
        }
    }
    const int index = ComboBox_NamePostav->findText(preselected, Qt::MatchFixedString);
    ComboBox_NamePostav->setCurrentIndex(index >= 0 ? index : 0);
    LoadPostavSettings(supplier());
}

void SupplierFileWindow::chooseSupplier(int index)
{
    ComboBox_NamePostav->setCurrentIndex(index);
    LoadPostavSettings(supplier());
    picker_->close();
    supplierChanged();
    if (env_.orderDb && !supplier().isEmpty()) {
        try {
            SettingsStore(*env_.orderDb).write(preselectedSupplierSetting(kind_), QStringLiteral("TypeText"), supplier());
        } catch (const std::exception& e) {
            reportError(ErrorText(e));
        }
    }
}

void SupplierFileWindow::LoadPostavSettings(const QString& supplier)
{
    Panel_Load->hide();
    SupplierFileSettings settings;
    if (env_.orderDb && !supplier.isEmpty()) {
        try {
            settings = readSupplierFileSettings(*env_.orderDb, kind_, supplier);
        } catch (const std::exception& e) {
            reportError(ErrorText(e));
        }
    }
    Edit_Path->setText(settings.path);
    ComboBox_Sheet->clear();
    ComboBox_Sheet->addItems(settings.sheetNames);
    selectItem(ComboBox_Sheet, settings.sheetItem);
    selectItem(ComboBox_StartRow, settings.startRowItem);
    selectItem(ComboBox_Art, settings.columnArt);
    selectItem(ComboBox_Tov, settings.columnTovar);
    selectItem(ComboBox_PriceMax, settings.columnPrice);
    selectItem(ComboBox_Zakaz, settings.columnQuantity);
    (settings.byArticle ? RadioButton_SelArtZakaz : RadioButton_SelTovarZakaz)->setChecked(true);
    if (Edit_KursPostav)
        Edit_KursPostav->setText(rateText(settings.rate));
    if (Edit_Number)
        Edit_Number->setText(settings.numberCell);
}

SupplierFileSettings SupplierFileWindow::controlSettings() const
{
    SupplierFileSettings settings;
    settings.path = Edit_Path->text().trimmed();
    for (int i = 0; i < ComboBox_Sheet->count(); ++i)
        settings.sheetNames << ComboBox_Sheet->itemText(i);
    settings.sheetItem = std::max(ComboBox_Sheet->currentIndex(), 0);
    settings.startRowItem = std::max(ComboBox_StartRow->currentIndex(), 0);
    settings.columnArt = ComboBox_Art->currentIndex();
    settings.columnTovar = ComboBox_Tov->currentIndex();
    settings.columnPrice = ComboBox_PriceMax->currentIndex();
    settings.columnQuantity = ComboBox_Zakaz->currentIndex();
    settings.byArticle = RadioButton_SelArtZakaz->isChecked();
    settings.byName = RadioButton_SelTovarZakaz->isChecked();
    if (Edit_KursPostav) {
        bool ok = false;
        const double rate = Edit_KursPostav->text().trimmed().replace(u',', u'.').toDouble(&ok);
        settings.rate = ok && rate > 0 ? rate : 1;
    }
    if (Edit_Number)
        settings.numberCell = Edit_Number->text().trimmed();
    return settings;
}

void SupplierFileWindow::SpeedButton_PathClick()
{
    const auto askForFile = [this] {
        return env_.openFileName ? env_.openFileName(this, kWorkbookFilter) : QString();
    };
    if (!picker_->openFromField(Edit_Path, askForFile, [this](const QString& t) { reportError(t); }))
        return;
    if (env_.setMainWindowHidden) {
        env_.setMainWindowHidden(true);
        // Hiding our parent drops the repaint of the path just set.
        update();
    }
    // The stored sheet is chosen again when the workbook still has it.
    const QString stored = ComboBox_Sheet->currentText();
    const int storedIndex = ComboBox_Sheet->currentIndex();
    picker_->listSheets(ComboBox_Sheet);
    int index = picker_->sheetNames().indexOf(stored);
    if (index < 0)
        index = storedIndex > 0 && storedIndex < ComboBox_Sheet->count() ? storedIndex : 0;
    ComboBox_Sheet->setCurrentIndex(index);
    picker_->showSheet(index + 1);
}

void SupplierFileWindow::afterArticlePick()
{
    (ComboBox_Art->currentIndex() > 0 ? RadioButton_SelArtZakaz : RadioButton_SelTovarZakaz)->setChecked(true);
}

void SupplierFileWindow::Button_SaveZakazExcelClick()
{
    if (!env_.orderDb || supplier().isEmpty()) {
        showResult(QStringLiteral("Не выбрано Название поставщика"), false);
        return;
    }
    try {
        writeSupplierFileSettings(*env_.orderDb, kind_, supplier(), controlSettings());
    } catch (const std::exception& e) {
        reportError(ErrorText(e));
        return;
    }
    showResult(kSettingsSavedText, false);
}

void SupplierFileWindow::showResult(const QString& text, bool busy)
{
    Label_Info->setText(text);
    ProgressBar_Load->setVisible(busy);
    Button_Close->setEnabled(!busy);
    resultExtras_->setVisible(busy);
    Panel_Load->show();
    repaint();
}

void SupplierFileWindow::Button1Click()
{
    const SupplierFileSettings settings = controlSettings();
    showResult(QString(), true);
    if (const QString problem = supplierFileProblem(supplier(), settings); !problem.isEmpty()) {
        showResult(problem, false);
        return;
    }
    run(supplier(), settings);
    Button_Close->setEnabled(true);
}

bool SupplierFileWindow::readAndUse(const SupplierFileSettings& settings, Progress& progress,
                                    const std::function<void(const SupplierFileRead&)>& use)
{
    try {
        Label_Info->setText(kReadingExcelText);
        use(readSupplierFile(settings, &progress));
        return true;
    } catch (const sheet::SheetError& e) {
        showResult(QString(), false);
        reportError(e.message());
    } catch (const db::DbError& e) {
        showResult(QString(), false);
        reportError(e.message());
    }
    return false;
}

void SupplierFileWindow::Button_CloseClick() { Panel_Load->hide(); }

void SupplierFileWindow::FormClose()
{
    picker_->close();
    if (env_.setMainWindowHidden)
        env_.setMainWindowHidden(false);
}

// The price update.

Form_LoadPricePostav::Form_LoadPricePostav(CatalogueWindowEnvironment environment, std::function<void()> pricesUpdated,
                                           QWidget* parent)
    : SupplierFileWindow(SupplierFileKind::PriceUpdate, std::move(environment), parent),
      pricesUpdated_(std::move(pricesUpdated))
{
    setObjectName(QStringLiteral("Form_LoadPricePostav"));
    setWindowTitle(QStringLiteral("Обновление цен поставщиков"));
}

void Form_LoadPricePostav::run(const QString& supplier, const SupplierFileSettings& settings)
{
    Label_Info->setText(kLoadingDataText);
    BarProgress progress(ProgressBar_Load);
    PriceUpdateResult result;
    const bool done = readAndUse(settings, progress, [&](const SupplierFileRead& read) {
        result = updateSupplierPrices(*env_.priceDb, supplier, read.rows, settings.byArticle,
                                      db::dayNumber(env_.today()));
    });
    if (!done)
        return;
    ProgressBar_Load->hide();
    Label_Info->setText(priceUpdateMessage(result));
    if (pricesUpdated_)
        pricesUpdated_();
}

// The invoices.

Form_PostavInvoice::Form_PostavInvoice(CatalogueWindowEnvironment environment,
                                       std::function<void(const QString&)> handOver, QWidget* parent)
    : SupplierFileWindow(SupplierFileKind::Invoice, std::move(environment), parent), handOver_(std::move(handOver))
{
    setObjectName(QStringLiteral("Form_PostavInvoice"));
    setWindowTitle(QStringLiteral("Обработка накладных от поставщиков"));
    auto* counts = new QGridLayout(resultExtras_);
    Label_All = named(new QLabel(QStringLiteral("0"), resultExtras_), "Label_All");
    Label_k = named(new QLabel(QStringLiteral("0"), resultExtras_), "Label_k");
    counts->addWidget(new QLabel(QStringLiteral("Загружено из файла"), resultExtras_), 0, 0);
    counts->addWidget(Label_All, 0, 1);
    counts->addWidget(new QLabel(QStringLiteral("товаров из накладной"), resultExtras_), 0, 2);
    counts->addWidget(new QLabel(QStringLiteral("Найдено соответствий"), resultExtras_), 1, 0);
    counts->addWidget(Label_k, 1, 1);
    counts->addWidget(new QLabel(QStringLiteral("для товаров поставщика"), resultExtras_), 1, 2);
    Button_ExportInvoice = named(new QPushButton(QStringLiteral("Экспорт накладной в Excel"), resultExtras_),
                                 "Button_ExportInvoice");
    counts->addWidget(Button_ExportInvoice, 2, 0, 1, 3);
    Button_ExportInvoice->setEnabled(false);
    connect(Button_ExportInvoice, &QPushButton::clicked, this, &Form_PostavInvoice::Button_ExportInvoiceClick);
}

void Form_PostavInvoice::supplierChanged() { invoice_ = Invoice{}; }

void Form_PostavInvoice::run(const QString& supplier, const SupplierFileSettings& settings)
{
    Label_All->setText(QStringLiteral("0"));
    Label_k->setText(QStringLiteral("0"));
    Button_ExportInvoice->setEnabled(false);
    invoice_ = Invoice{};
    Label_Info->setText(kLoadingDataText);
    BarProgress progress(ProgressBar_Load);
    const bool done = readAndUse(settings, progress, [&](const SupplierFileRead& read) {
        invoice_ = recogniseInvoice(*env_.priceDb, supplier, read, settings.byArticle);
    });
    if (!done)
        return;
    Label_All->setText(QString::number(invoice_.lines.size()));
    Label_k->setText(QString::number(invoice_.recognised));
    ProgressBar_Load->hide();
    Label_Info->setText(kInvoiceLoadedText);
    // Nothing to write without lines.
    Button_ExportInvoice->setEnabled(!invoice_.lines.empty());
}

void Form_PostavInvoice::Button_ExportInvoiceClick()
{
    if (invoice_.lines.empty())
        return;
    ProgressBar_Load->show();
    BarProgress progress(ProgressBar_Load);
    QString path;
    try {
        path = exportInvoice(invoice_, supplier(), env_.programFolder, env_.today(), &progress);
    } catch (const InvoiceExportError& e) {
        ProgressBar_Load->hide();
        reportError(e.message());
        return;
    }
    ProgressBar_Load->hide();
    Label_Info->setText(QStringLiteral("Сохранено: ") + path);
    if (handOver_)
        handOver_(path);
}

} // namespace velmora::catalogue
