#include "orders/ui/form_zakaz_excel.h"

#include "orders/order_numbers.h"
#include "orders/order_rate.h"
#include "orders/supplier_order_exports.h"
#include "orders/ui/named_widgets.h"
#include "platform/files/error_text.h"
#include "platform/spreadsheet/view/sheet_picker.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::orders {

namespace {

void selectIndex(QComboBox* list, qint64 index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? int(index) : 0);
}

} // namespace

Form_ZakazExcel::Form_ZakazExcel(ZakazExcelEnvironment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment))
{
    setObjectName(QStringLiteral("Form_ZakazExcel"));
    setWindowTitle(QStringLiteral("Импорт заказа из Excel"));
    setModal(true);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    picker_ = new sheet::SheetPicker(this, QStringLiteral("ZakazExcelApp"));
    buildControls();
    connect(this, &QDialog::finished, this, &Form_ZakazExcel::FormClose);
}

Form_ZakazExcel::~Form_ZakazExcel() = default;

void Form_ZakazExcel::buildControls()
{
    Edit_Path = named(new QLineEdit(this), "Edit_Path");
    SpeedButton_Path = named(new QToolButton(this), "SpeedButton_Path");
    SpeedButton_Path->setText(QStringLiteral("..."));
    ComboBox_Sheet = named(new QComboBox(this), "ComboBox_Sheet");
    ComboBox_Sheet->setEnabled(false);

    sheet::PickerRows rows(this, picker_);
    rows.add(QStringLiteral("Укажите путь к файлу"), Edit_Path, SpeedButton_Path);
    rows.add(QStringLiteral("Укажите лист"), ComboBox_Sheet);
    ComboBox_StartRow = rows.addStartRow(QStringLiteral("Загружать со строки:"), QStringLiteral("ComboBox_StartRow"),
                                         QStringLiteral("SpeedButton_StartRow"));
    ComboBox_Art = rows.addColumn(QStringLiteral("Столбец с кодом (артикулом)"), QStringLiteral("ComboBox_Art"),
                                  QStringLiteral("SpeedButton_Art"), [this] { ComboBox_ArtChange(); });
    ComboBox_Tov = rows.addColumn(QStringLiteral("Столбец с названием товаров"), QStringLiteral("ComboBox_Tov"),
                                  QStringLiteral("SpeedButton_Tov"));
    ComboBox_PriceMax = rows.addColumn(QStringLiteral("Столбец с ценами на товары"), QStringLiteral("ComboBox_PriceMax"),
                                       QStringLiteral("SpeedButton_PriceMax"));
    ComboBox_Zakaz = rows.addColumn(QStringLiteral("Столбец с количеством для заказа"), QStringLiteral("ComboBox_Zakaz"),
                                    QStringLiteral("SpeedButton_Zakaz"));

    auto* key = named(new QGroupBox(QStringLiteral("Ключевое поле для соответствия"), this), "RadioGroup_Key");
    RadioButton_SelArtZakaz = named(new QRadioButton(QStringLiteral("Проставлять соответствия по Коду (Артикулу)"), key),
                                    "RadioButton_SelArtZakaz");
    RadioButton_SelTovarZakaz = named(
        new QRadioButton(QStringLiteral("Проставлять соответствия по Названию товаров"), key), "RadioButton_SelTovarZakaz");
    auto* keyLayout = new QVBoxLayout(key);
    keyLayout->addWidget(RadioButton_SelArtZakaz);
    keyLayout->addWidget(RadioButton_SelTovarZakaz);
    RadioButton_SelArtZakaz->setChecked(true);
    CheckBox_PriceZakaz = named(new QCheckBox(QStringLiteral("Устанавливать в заказе цену из файла"), this),
                                "CheckBox_PriceZakaz");
    CheckBox_AddZakaz = named(new QCheckBox(QStringLiteral("Добавить товары к существующему заказу"), this),
                              "CheckBox_AddZakaz");
    CheckBox_AddZakaz->setToolTip(QStringLiteral("При добавлении товаров не удалять товары в существующем заказе"));

    auto* import = named(new QPushButton(QStringLiteral("Загрузить заказ"), this), "Button1");
    auto* save = named(new QPushButton(QStringLiteral("Сохранить настройки"), this), "Button_SaveZakazExcel");
    auto* exit = named(new QPushButton(QStringLiteral("Закрыть"), this), "Button_Exit");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(import);
    buttons->addWidget(save);
    buttons->addStretch(1);
    buttons->addWidget(exit);

    Panel_Load = named(new QWidget(this), "Panel_Load");
    Label_Info = named(new QLabel(Panel_Load), "Label_Info");
    Label_Info->setWordWrap(true);
    ProgressBar_Load = named(new QProgressBar(Panel_Load), "ProgressBar_Load");
    Button_Close = named(new QPushButton(QStringLiteral("Закрыть"), Panel_Load), "Button_Close");
    BitBtn_ExportNoTovar = named(new QPushButton(QStringLiteral("  в Excel  "), Panel_Load), "BitBtn_ExportNoTovar");
    BitBtn_ExportNoTovar->setToolTip(QStringLiteral("Экспорт в Excel всех позиций, которые не загрузились в Заказ"));
    auto* panelLayout = new QVBoxLayout(Panel_Load);
    panelLayout->addWidget(Label_Info);
    panelLayout->addWidget(ProgressBar_Load);
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addWidget(BitBtn_ExportNoTovar);
    panelButtons->addStretch(1);
    panelButtons->addWidget(Button_Close);
    panelLayout->addLayout(panelButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows.layout());
    layout->addWidget(key);
    layout->addWidget(CheckBox_PriceZakaz);
    layout->addWidget(CheckBox_AddZakaz);
    layout->addWidget(Panel_Load);
    layout->addLayout(buttons);

    connect(SpeedButton_Path, &QToolButton::clicked, this, &Form_ZakazExcel::SpeedButton_PathClick);
    connect(import, &QPushButton::clicked, this, &Form_ZakazExcel::Button1Click);
    connect(save, &QPushButton::clicked, this, &Form_ZakazExcel::Button_SaveZakazExcelClick);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button_Close, &QPushButton::clicked, this, &Form_ZakazExcel::Button_CloseClick);
    connect(BitBtn_ExportNoTovar, &QPushButton::clicked, this, &Form_ZakazExcel::BitBtn_ExportNoTovarClick);
    connect(ComboBox_Sheet, &QComboBox::activated, this, [this](int index) { picker_->showSheet(index + 1); });
    connect(ComboBox_Art, &QComboBox::activated, this, &Form_ZakazExcel::ComboBox_ArtChange);
}

void Form_ZakazExcel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_ZakazExcel::FormShow()
{
    Panel_Load->hide();
    BitBtn_ExportNoTovar->hide();
    loadSettings();
}

void Form_ZakazExcel::loadSettings()
{
    if (!env_.orderDb)
        return;
    try {
        SettingsStore store(*env_.orderDb);
        Edit_Path->setText(store.readText(QStringLiteral("Edit_Path_ZakazExcel")));
        ComboBox_Sheet->clear();
        const qint64 sheets = store.readInteger(QStringLiteral("ComboBox_SheetMaxItems_ZakazExcel"));
        for (qint64 i = 1; i <= sheets; ++i)
            ComboBox_Sheet->addItem(store.readText(QStringLiteral("ComboBox_SheetItems_ZakazExcel%1").arg(i)));
        selectIndex(ComboBox_Sheet, store.readInteger(QStringLiteral("ComboBox_SheetItemIndex_ZakazExcel")));
        selectIndex(ComboBox_StartRow, store.readInteger(QStringLiteral("ComboBox_StartRowItemIndex_ZakazExcel")));
        selectIndex(ComboBox_Art, store.readInteger(QStringLiteral("ComboBox_Art_ZakazExcel"), QStringLiteral("2")));
        selectIndex(ComboBox_Tov, store.readInteger(QStringLiteral("ComboBox_Tovar_ZakazExcel"), QStringLiteral("3")));
        selectIndex(ComboBox_PriceMax,
                    store.readInteger(QStringLiteral("ComboBox_PriceMax_ZakazExcel"), QStringLiteral("4")));
        selectIndex(ComboBox_Zakaz, store.readInteger(QStringLiteral("ComboBox_Zakaz_ZakazExcel"), QStringLiteral("5")));
        const bool byArticle = store.readBoolean(QStringLiteral("RadioButton_SelArtZakaz"), QStringLiteral("1"));
        const bool byName = store.readBoolean(QStringLiteral("RadioButton_SelTovarZakaz"), QStringLiteral("0"));
        (byName && !byArticle ? RadioButton_SelTovarZakaz : RadioButton_SelArtZakaz)->setChecked(true);
        CheckBox_PriceZakaz->setChecked(store.readBoolean(QStringLiteral("CheckBox_PriceZakaz"), QStringLiteral("0")));
    } catch (const std::exception& e) {
        if (env_.error)
            env_.error(ErrorText(e));
    }
}

void Form_ZakazExcel::SpeedButton_PathClick()
{
    const auto askForFile = [this] { return env_.openFileName ? env_.openFileName(this, kExcelFileFilter) : QString(); };
    if (!picker_->openFromField(Edit_Path, askForFile, env_.error))
        return;
    if (env_.setMainWindowHidden) {
        env_.setMainWindowHidden(true);
        // Hiding our parent drops the repaint of the path just set.
        update();
    }
    const int stored = ComboBox_Sheet->currentIndex();
    ComboBox_Sheet->setEnabled(true);
    picker_->listSheets(ComboBox_Sheet);
    const int index = stored > 0 && stored < ComboBox_Sheet->count() ? stored : 0;
    ComboBox_Sheet->setCurrentIndex(index);
    picker_->showSheet(index + 1);
}

sheet::SheetView* Form_ZakazExcel::sheetView() const { return picker_->view(); }

void Form_ZakazExcel::ComboBox_ArtChange()
{
    (ComboBox_Art->currentIndex() > 0 ? RadioButton_SelArtZakaz : RadioButton_SelTovarZakaz)->setChecked(true);
}

void Form_ZakazExcel::Button_SaveZakazExcelClick()
{
    try {
        SettingsStore store(*env_.orderDb);
        store.write(QStringLiteral("Edit_Path_ZakazExcel"), QStringLiteral("TypeText"), Edit_Path->text());
        store.write(QStringLiteral("ComboBox_SheetMaxItems_ZakazExcel"), QStringLiteral("TypeInteger"),
                    QString::number(ComboBox_Sheet->count()));
        store.write(QStringLiteral("ComboBox_SheetItemIndex_ZakazExcel"), QStringLiteral("TypeInteger"),
                    QString::number(std::max(ComboBox_Sheet->currentIndex(), 0)));
        for (int i = 0; i < ComboBox_Sheet->count(); ++i)
            store.write(QStringLiteral("ComboBox_SheetItems_ZakazExcel%1").arg(i + 1), QStringLiteral("TypeText"),
                        ComboBox_Sheet->itemText(i));
        const auto writeIndex = [&](const char* name, const QComboBox* list) {
            store.write(QLatin1String(name), QStringLiteral("TypeInteger"), QString::number(list->currentIndex()));
        };
        writeIndex("ComboBox_StartRowItemIndex_ZakazExcel", ComboBox_StartRow);
        writeIndex("ComboBox_Art_ZakazExcel", ComboBox_Art);
        writeIndex("ComboBox_Tovar_ZakazExcel", ComboBox_Tov);
        writeIndex("ComboBox_PriceMax_ZakazExcel", ComboBox_PriceMax);
        writeIndex("ComboBox_Zakaz_ZakazExcel", ComboBox_Zakaz);
        const auto writeFlag = [&](const char* name, bool on) {
            store.write(QLatin1String(name), QStringLiteral("TypeBoolean"), on ? QStringLiteral("1") : QStringLiteral("0"));
        };
        writeFlag("RadioButton_SelArtZakaz", RadioButton_SelArtZakaz->isChecked());
        writeFlag("RadioButton_SelTovarZakaz", RadioButton_SelTovarZakaz->isChecked());
        writeFlag("CheckBox_PriceZakaz", CheckBox_PriceZakaz->isChecked());
    } catch (const std::exception& e) {
        if (env_.error)
            env_.error(ErrorText(e));
        return;
    }
    ProgressBar_Load->hide();
    showResultPanel(QStringLiteral("Настройки сохранены в базе данных."), true);
}

void Form_ZakazExcel::showResultPanel(const QString& text, bool closeEnabled)
{
    Label_Info->setText(text);
    Button_Close->setEnabled(closeEnabled);
    Panel_Load->show();
}

OrderImportSettings Form_ZakazExcel::importSettings() const
{
    OrderImportSettings settings;
    settings.sheetIndex = std::max(ComboBox_Sheet->currentIndex(), 0) + 1;
    settings.startRow = ComboBox_StartRow->currentIndex() + 1;
    settings.artColumn = ComboBox_Art->currentIndex();
    settings.tovarColumn = ComboBox_Tov->currentIndex();
    settings.priceColumn = ComboBox_PriceMax->currentIndex();
    settings.quantityColumn = ComboBox_Zakaz->currentIndex();
    settings.matchByArticle = RadioButton_SelArtZakaz->isChecked();
    settings.priceFromFile = CheckBox_PriceZakaz->isChecked();
    settings.addToOrder = CheckBox_AddZakaz->isChecked();
    return settings;
}

void Form_ZakazExcel::Button1Click()
{
    BitBtn_ExportNoTovar->hide();
    ProgressBar_Load->setValue(0);
    ProgressBar_Load->hide();
    showResultPanel(QStringLiteral("Загружаются данные..."), false);
    notFound_.clear();
    OrderImportSettings settings = importSettings();

    ExportProgress progress;
    progress.begin = [this](int steps) {
        ProgressBar_Load->setRange(0, std::max(steps, 1));
        ProgressBar_Load->setValue(0);
    };
    progress.step = [this] { ProgressBar_Load->setValue(ProgressBar_Load->value() + 1); };

    OrderImportResult result;
    try {
        Label_Info->setText(QStringLiteral("Загрузка данных из Excel"));
        if (env_.orderDb)
            settings.rate = ReadZakazRate(*env_.orderDb);
        result = ImportOrder(*env_.priceDb, Edit_Path->text().trimmed(), settings,
                             env_.roundDigits ? env_.roundDigits() : 2, progress);
    } catch (const OrderImportError& e) {
        if (e.message() == kMissingOrderFileMessage) {
            showResultPanel(e.message(), true);
        } else {
            showResultPanel(QString(), true);
            if (env_.error)
                env_.error(e.message());
        }
        return;
    } catch (const std::exception& e) {
        showResultPanel(QString(), true);
        if (env_.error)
            env_.error(ErrorText(e));
        return;
    }

    // The order in Zakaz gets its number: a new one, or the one it had.
    const QString ini = env_.priceListIniPath ? env_.priceListIniPath() : QString();
    const int number = settings.addToOrder ? ReadImportOrderNumber(ini) : RaiseImportOrderNumber(ini, env_.error);
    if (env_.orderImported)
        env_.orderImported(ImportOrderNumberText(number), settings.addToOrder);

    notFound_ = result.notFound;
    BitBtn_ExportNoTovar->setVisible(!notFound_.isEmpty());
    showResultPanel(ImportReportText(result), true);
}

void Form_ZakazExcel::Button_CloseClick()
{
    Panel_Load->hide();
}

void Form_ZakazExcel::BitBtn_ExportNoTovarClick()
{
    QString path;
    try {
        path = ExportNoTovar(notFound_, kNotImportedFileName, kNotImportedTemplate, env_.programFolder);
    } catch (const std::exception& e) {
        if (env_.error)
            env_.error(ErrorText(e));
        return;
    }
    if (!path.isEmpty() && env_.handOver)
        env_.handOver(path);
    accept();
}

void Form_ZakazExcel::FormClose()
{
    picker_->close();
    notFound_.clear();
    if (env_.setMainWindowHidden)
        env_.setMainWindowHidden(false);
}

} // namespace velmora::orders
