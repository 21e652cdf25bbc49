#include "form_setup.h"

#include "output/output_error.h"
#include "output/reports/markup_threshold_report.h"
#include "platform/db/db_error.h"
#include "platform/files/error_text.h"
#include "platform/files/progress.h"
#include "storage/settings_store.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {
namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QSpinBox* spinBox(const char* name, int minimum, int maximum, QWidget* parent)
{
    auto* box = named(new QSpinBox(parent), name);
    box->setRange(minimum, maximum);
    return box;
}

QWidget* page(QTabWidget* pages, const char* name, const QString& caption)
{
    auto* widget = named(new QWidget(pages), name);
    pages->addTab(widget, caption);
    return widget;
}

// A colour sample and its "Выбрать" button.
QHBoxLayout* colorRow(QLabel* sample, QPushButton* choose)
{
    sample->setAutoFillBackground(true);
    sample->setMinimumSize(120, 22);
    sample->setFrameShape(QFrame::Box);
    auto* row = new QHBoxLayout;
    row->addWidget(sample);
    row->addWidget(choose);
    row->addStretch(1);
    return row;
}

void showColor(QLabel* sample, const QColor& color)
{
    QPalette palette = sample->palette();
    palette.setColor(QPalette::WindowText, color);
    sample->setPalette(palette);
}

enum SupplierColumn { SupplierName = 0, SupplierDefaultOn = 1 };
constexpr int kRowIdRole = Qt::UserRole + 1;

// The wait window stays open only while the work runs, however it ends.
struct WaitGuard {
    Progress* wait;
    ~WaitGuard() { finishProgress(wait); }
};

} // namespace

Form_Setup::Form_Setup(SetupEnvironment environment, QWidget* parent) : QDialog(parent), env_(std::move(environment))
{
    setObjectName(QStringLiteral("Form_Setup"));
    setWindowTitle(QStringLiteral("Настройки программы"));
    setModal(true);

    PageControl_Setup = named(new QTabWidget(this), "PageControl_Setup");
    // Every tab in sight: the window is as wide as its tabs.
    PageControl_Setup->tabBar()->setUsesScrollButtons(false);

    // "Устаревшие товары".
    QWidget* old = page(PageControl_Setup, "TabSheet_OldTovar", QStringLiteral("Устаревшие товары"));
    SpinEdit_OldTovarDay = spinBox("SpinEdit_OldTovarDay", 0, 9999, old);
    Label_OldTovarColor = named(new QLabel(QStringLiteral("Устаревший товар"), old), "Label_OldTovarColor");
    auto* oldColor = named(new QPushButton(QStringLiteral("Выбрать"), old), "Button_OldTovarColor");
    auto* oldLayout = new QFormLayout(old);
    oldLayout->addRow(QStringLiteral("Товар считается устаревшим, если его нет\nв сводном прайс-листе, дней:"),
                      SpinEdit_OldTovarDay);
    oldLayout->addRow(QStringLiteral("Цвет устаревших товаров:"), colorRow(Label_OldTovarColor, oldColor));

    // "Минимальные цены".
    QWidget* minPrice = page(PageControl_Setup, "TabSheet_MinPrice", QStringLiteral("Минимальные цены"));
    CheckBox_NacenDop = named(new QCheckBox(QStringLiteral("Учитывать проги дополнительной наценки"), minPrice),
                              "CheckBox_NacenDop");
    CheckBox_KatMinPrice = named(
        new QCheckBox(QStringLiteral("Учитывать индивидуальные настройки групп товаров"), minPrice),
        "CheckBox_KatMinPrice");
    auto* kat = named(new QGroupBox(minPrice), "GroupBox_Kat");
    GroupBox_Kat = kat;
    CheckBox_KatPost = named(new QCheckBox(QStringLiteral("Разные поставщики для разных групп товаров"), kat),
                             "CheckBox_KatPost");
    CheckBox_KatNacen = named(new QCheckBox(QStringLiteral("Разные наценки для разных групп товаров"), kat),
                              "CheckBox_KatNacen");
    auto* katLayout = new QVBoxLayout(kat);
    katLayout->addWidget(CheckBox_KatPost);
    katLayout->addWidget(CheckBox_KatNacen);
    auto* reportButton = named(new QPushButton(QStringLiteral("Отчет"), minPrice), "Button_SetupGroup");
    reportButton->setToolTip(QStringLiteral("Отчет по порогам наценок каждой группы товаров"));
    auto* minLayout = new QVBoxLayout(minPrice);
    minLayout->addWidget(CheckBox_NacenDop);
    minLayout->addWidget(CheckBox_KatMinPrice);
    minLayout->addWidget(kat);
    minLayout->addStretch(1);
    minLayout->addWidget(reportButton, 0, Qt::AlignLeft);

    // "Распродажа (SALE)".
    QWidget* sale = page(PageControl_Setup, "TabSheet_Sale", QStringLiteral("Распродажа (SALE)"));
    Edit_Sale = named(new QLineEdit(sale), "Edit_Sale");
    CheckBox_Sale = named(new QCheckBox(QStringLiteral("Выделять товары распродажи цветом"), sale), "CheckBox_Sale");
    Label_SaleTovarColor = named(new QLabel(QStringLiteral("Товар распродажи"), sale), "Label_SaleTovarColor");
    auto* saleColor = named(new QPushButton(QStringLiteral("Выбрать"), sale), "Button_SaleTovarColor");
    auto* saleLayout = new QFormLayout(sale);
    saleLayout->addRow(QStringLiteral("Поставщик распродажи:"), Edit_Sale);
    saleLayout->addRow(CheckBox_Sale);
    saleLayout->addRow(QStringLiteral("Цвет товаров распродажи:"), colorRow(Label_SaleTovarColor, saleColor));

    // "Супер Цена".
    QWidget* super = page(PageControl_Setup, "TabSheet_SuperPrice", QStringLiteral("Супер Цена"));
    auto styleButton = [super](const char* name, const QString& text) {
        auto* button = named(new QToolButton(super), name);
        button->setText(text);
        button->setCheckable(true);
        return button;
    };
    SpeedButton_Bold = styleButton("SpeedButton_Bold", QStringLiteral("Ж"));
    SpeedButton_Italic = styleButton("SpeedButton_Italic", QStringLiteral("К"));
    SpeedButton_Underline = styleButton("SpeedButton_Underline", QStringLiteral("Ч"));
    StaticText_SuperPriceStyle =
        named(new QLabel(QStringLiteral("Супер Цена"), super), "StaticText_SuperPriceStyle");
    CheckBox_SuperPriceExcel = named(new QCheckBox(QStringLiteral("Выделять в прайс-листе Excel"), super),
                                     "CheckBox_SuperPriceExcel");
    Edit_SuperPriceText = named(new QLineEdit(super), "Edit_SuperPriceText");
    auto* styles = new QHBoxLayout;
    for (QToolButton* button : {SpeedButton_Bold, SpeedButton_Italic, SpeedButton_Underline})
        styles->addWidget(button);
    styles->addWidget(StaticText_SuperPriceStyle);
    styles->addStretch(1);
    auto* superLayout = new QFormLayout(super);
    superLayout->addRow(QStringLiteral("Шрифт:"), styles);
    superLayout->addRow(CheckBox_SuperPriceExcel);
    superLayout->addRow(QStringLiteral("Комментарий:"), Edit_SuperPriceText);

    // "Поставщики".
    QWidget* suppliers = page(PageControl_Setup, "TabSheet_Postav", QStringLiteral("Поставщики"));
    SpinEdit1 = spinBox("SpinEdit1", 0, 9999, suppliers);
    Label10 = named(new QLabel(suppliers), "Label10");
    DBGrid_Postav = named(new QTableWidget(0, 2, suppliers), "DBGrid_Postav");
    DBGrid_Postav->setHorizontalHeaderLabels({QStringLiteral("Поставщик"), QStringLiteral("По умолчанию")});
    DBGrid_Postav->horizontalHeader()->setSectionResizeMode(SupplierName, QHeaderView::Stretch);
    DBGrid_Postav->verticalHeader()->hide();
    DBGrid_Postav->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* actual = new QHBoxLayout;
    actual->addWidget(new QLabel(QStringLiteral("Актуальность прайс-листов"), suppliers));
    actual->addWidget(SpinEdit1);
    actual->addWidget(Label10);
    actual->addStretch(1);
    auto* suppliersLayout = new QVBoxLayout(suppliers);
    suppliersLayout->addLayout(actual);
    suppliersLayout->addWidget(DBGrid_Postav, 1);

    // "Округление цен".
    QWidget* rounding = page(PageControl_Setup, "TabSheet_Rounding", QStringLiteral("Округление цен"));
    CheckBox_RoundingYes =
        named(new QCheckBox(QStringLiteral("Округлять собственные цены"), rounding), "CheckBox_RoundingYes");
    SpinEdit_RoundingDegree = spinBox("SpinEdit_RoundingDegree", -3, 6, rounding);
    CheckBox_RoundingPostav =
        named(new QCheckBox(QStringLiteral("Округлять цены поставщиков"), rounding), "CheckBox_RoundingPostav");
    SpinEdit_RoundingDegreePostav = spinBox("SpinEdit_RoundingDegreePostav", -3, 6, rounding);
    auto* roundingLayout = new QFormLayout(rounding);
    roundingLayout->addRow(CheckBox_RoundingYes);
    roundingLayout->addRow(QStringLiteral("Знаков после запятой:"), SpinEdit_RoundingDegree);
    roundingLayout->addRow(CheckBox_RoundingPostav);
    roundingLayout->addRow(QStringLiteral("Знаков после запятой:"), SpinEdit_RoundingDegreePostav);

    auto* ok = named(new QPushButton(QStringLiteral("ОК"), this), "Button1");
    ok->setDefault(true);
    auto* cancel = named(new QPushButton(QStringLiteral("Отмена"), this), "Button2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl_Setup, 1);
    layout->addLayout(buttons);
    resize(520, 360);

    connect(ok, &QPushButton::clicked, this, &Form_Setup::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(reportButton, &QPushButton::clicked, this, &Form_Setup::Button_SetupGroupClick);
    connect(oldColor, &QPushButton::clicked, this, [this] { chooseColor(Label_OldTovarColor); });
    connect(saleColor, &QPushButton::clicked, this, [this] { chooseColor(Label_SaleTovarColor); });
    connect(CheckBox_KatMinPrice, &QCheckBox::toggled, GroupBox_Kat, &QWidget::setVisible);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int days) { Label10->setText(dayWord(days)); });
    connect(SpeedButton_Bold, &QToolButton::clicked, this, [this] { pressStyleButton(SpeedButton_Bold, kStyleBold); });
    connect(SpeedButton_Italic, &QToolButton::clicked, this,
            [this] { pressStyleButton(SpeedButton_Italic, kStyleItalic); });
    connect(SpeedButton_Underline, &QToolButton::clicked, this,
            [this] { pressStyleButton(SpeedButton_Underline, kStyleUnderline); });
    connect(DBGrid_Postav, &QTableWidget::cellChanged, this, &Form_Setup::supplierDefaultClicked);
}

Form_Setup::~Form_Setup() = default;

int Form_Setup::execOnPage(int pageIndex)
{
    PageControl_Setup->setCurrentIndex(pageIndex);
    const int result = exec();
    PageControl_Setup->setCurrentIndex(0);
    return result;
}

void Form_Setup::report(const MessageSink& sink, const QString& text) const
{
    if (sink)
        sink(text);
    else if (env_.message)
        env_.message(text);
}

void Form_Setup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_Setup::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // The supplier list is read afresh each time the dialog opens.
    filling_ = true;
    DBGrid_Postav->setRowCount(0);
    filling_ = false;
}

void Form_Setup::FormShow()
{
    fillSupplierDefaults();
    try {
        SettingsStore store(*env_.orderDb);
        showSettings(readProgramSettings(store));
    } catch (const std::exception& e) {
        report(env_.error, ErrorText(e));
    }
}

void Form_Setup::showSettings(const ProgramSettings& s)
{
    SpinEdit_OldTovarDay->setValue(s.oldTovarDay);
    oldTovarColor_ = s.oldTovarColor;
    showColor(Label_OldTovarColor, oldTovarColor_);
    CheckBox_NacenDop->setChecked(s.nacenDop);
    CheckBox_KatMinPrice->setChecked(s.katMinPrice);
    GroupBox_Kat->setVisible(s.katMinPrice);
    CheckBox_KatPost->setChecked(s.katPost);
    CheckBox_KatNacen->setChecked(s.katNacen);
    Edit_Sale->setText(s.saleSupplier);
    CheckBox_Sale->setChecked(s.sale);
    saleTovarColor_ = s.saleTovarColor;
    showColor(Label_SaleTovarColor, saleTovarColor_);
    SpeedButton_Bold->setChecked(s.superPriceStyle & kStyleBold);
    SpeedButton_Italic->setChecked(s.superPriceStyle & kStyleItalic);
    SpeedButton_Underline->setChecked(s.superPriceStyle & kStyleUnderline);
    showStyle(s.superPriceStyle);
    CheckBox_SuperPriceExcel->setChecked(s.superPriceExcel);
    Edit_SuperPriceText->setText(s.superPriceText);
    SpinEdit1->setValue(s.actualPriceDays);
    Label10->setText(dayWord(SpinEdit1->value()));
    CheckBox_RoundingYes->setChecked(s.roundingYes);
    SpinEdit_RoundingDegree->setValue(s.roundingDegree);
    CheckBox_RoundingPostav->setChecked(s.roundingPostav);
    SpinEdit_RoundingDegreePostav->setValue(s.roundingDegreePostav);
}

ProgramSettings Form_Setup::settings() const
{
    ProgramSettings s;
    s.oldTovarDay = SpinEdit_OldTovarDay->value();
    s.oldTovarColor = oldTovarColor_;
    s.katMinPrice = CheckBox_KatMinPrice->isChecked();
    s.katPost = CheckBox_KatPost->isChecked();
    s.katNacen = CheckBox_KatNacen->isChecked();
    s.nacenDop = CheckBox_NacenDop->isChecked();
    s.saleSupplier = Edit_Sale->text();
    s.sale = CheckBox_Sale->isChecked();
    s.saleTovarColor = saleTovarColor_;
    s.superPriceStyle = styleBits_;
    s.superPriceExcel = CheckBox_SuperPriceExcel->isChecked();
    s.superPriceText = Edit_SuperPriceText->text();
    s.actualPriceDays = SpinEdit1->value();
    s.roundingYes = CheckBox_RoundingYes->isChecked();
    s.roundingDegree = SpinEdit_RoundingDegree->value();
    s.roundingPostav = CheckBox_RoundingPostav->isChecked();
    s.roundingDegreePostav = SpinEdit_RoundingDegreePostav->value();
    return s;
}

// A pressed style button sets its style alone (none when it comes up) and
// releases the other two: at most one style is set.
void Form_Setup::pressStyleButton(QToolButton* pressed, int bit)
{
    for (QToolButton* button : {SpeedButton_Bold, SpeedButton_Italic, SpeedButton_Underline})
        if (button != pressed)
            button->setChecked(false);
    showStyle(pressed->isChecked() ? bit : 0);
}

void Form_Setup::showStyle(int bits)
{
    styleBits_ = bits & (kStyleBold | kStyleItalic | kStyleUnderline);
    QFont font = StaticText_SuperPriceStyle->font();
    font.setBold(styleBits_ & kStyleBold);
    font.setItalic(styleBits_ & kStyleItalic);
    font.setUnderline(styleBits_ & kStyleUnderline);
    StaticText_SuperPriceStyle->setFont(font);
}

void Form_Setup::chooseColor(QLabel* sample)
{
    QColor& color = sample == Label_OldTovarColor ? oldTovarColor_ : saleTovarColor_;
    const QColor chosen = env_.chooseColor ? env_.chooseColor(this, color)
                                           : QColorDialog::getColor(color, this, QStringLiteral("Цвет"));
    if (!chosen.isValid())
        return;
    color = chosen;
    showColor(sample, color);
}

void Form_Setup::fillSupplierDefaults()
{
    QList<SupplierDefault> rows;
    try {
        rows = readSupplierDefaults(*env_.priceDb);
    } catch (const db::DbError& e) {
        report(env_.error, e.message());
    }
    filling_ = true;
    DBGrid_Postav->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        auto* name = new QTableWidgetItem(rows.at(row).supplier);
        name->setData(kRowIdRole, rows.at(row).rowId);
        DBGrid_Postav->setItem(row, SupplierName, name);
        auto* on = new QTableWidgetItem;
        on->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        on->setCheckState(rows.at(row).on ? Qt::Checked : Qt::Unchecked);
        DBGrid_Postav->setItem(row, SupplierDefaultOn, on);
    }
    filling_ = false;
}

// Each tick is stored at once.
void Form_Setup::supplierDefaultClicked(int row, int column)
{
    if (filling_ || column != SupplierDefaultOn)
        return;
    const QTableWidgetItem* name = DBGrid_Postav->item(row, SupplierName);
    const QTableWidgetItem* on = DBGrid_Postav->item(row, SupplierDefaultOn);
    if (!name || !on)
        return;
    try {
        storeSupplierDefault(*env_.priceDb, name->data(kRowIdRole).toLongLong(), on->checkState() == Qt::Checked);
    } catch (const db::DbError& e) {
        report(env_.error, e.message());
    }
}

void Form_Setup::Button1Click()
{
    bool failed = false;
    QString failure;
    {
        WaitGuard closeWait{env_.wait.get()};
        startProgress(env_.wait.get(), QStringLiteral("                         Сохранение параметров"),
                      kProgramSettingWrites);
        try {
            storeProgramSettings(*env_.orderDb, *env_.priceDb, settings(),
                                 [this] { stepProgress(env_.wait.get()); });
        } catch (const std::exception& e) {
            failed = true;
            failure = ErrorText(e);
        }
    }
    if (failed) {
        // Nothing was stored; the dialog stays open with the values.
        report(env_.error, failure);
        return;
    }
    if (env_.saved)
        env_.saved();
    accept();
}

void Form_Setup::Button_SetupGroupClick()
{
    output::ThresholdReportSwitches switches;
    try {
        SettingsStore store(*env_.orderDb);
        const ProgramSettings stored = readProgramSettings(store);
        switches = {stored.nacenDop, stored.katMinPrice, stored.katPost, stored.katNacen};
    } catch (const std::exception& e) {
        report(env_.error, ErrorText(e));
        return;
    }
    QString path;
    try {
        path = output::WriteMarkupThresholdReport(*env_.priceDb, switches, env_.programFolder, env_.wait.get());
    } catch (const output::OutputError& e) {
        report(env_.error, e.message());
        return;
    } catch (const std::exception& e) {
        report(env_.error, ErrorText(e));
        return;
    }
    if (!env_.openWorkbook || !env_.openWorkbook(path))
        report(env_.message, QStringLiteral("Сохранено: ") + path);
}

} // namespace velmora
