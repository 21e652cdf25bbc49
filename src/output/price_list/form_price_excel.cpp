#include "form_price_excel.h"

#include "output/price_list/price_list_date.h"

#include "platform/files/error_text.h"
#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/sheet_picker.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace velmora::output {
namespace {

const QString kLoadText = QStringLiteral("                     Загрузка сохраненых значений");
const QString kSaveText = QStringLiteral("                         Сохранение параметров");
constexpr int kWaitSteps = 12;
constexpr int kStartRowItems = 50;  // "нет", "1" ... "50"
constexpr int kColumnItems = 26;    // "Нет", "A" ... "Z"
// Excel reports a cell without a fill as white.
constexpr std::uint32_t kNoFill = 0xFFFFFF;
const char* const kBgrProperty = "bgr";

template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QToolButton* dotsButton(const QString& name, const QString& hint, QWidget* parent)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(hint);
    return button;
}

QToolButton* toggleButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(caption);
    button->setCheckable(true);
    return button;
}

QSpinBox* spinBox(const QString& name, int maximum, QWidget* parent)
{
    auto* box = named(new QSpinBox(parent), name);
    box->setRange(0, maximum);
    return box;
}

QLabel* colorPanel(const QString& name, QWidget* parent)
{
    auto* panel = named(new QLabel(parent), name);
    panel->setAutoFillBackground(true);
    panel->setFrameShape(QFrame::Box);
    panel->setMinimumSize(40, 20);
    return panel;
}

void setPanelColor(QLabel* panel, std::uint32_t bgr)
{
    panel->setProperty(kBgrProperty, uint(bgr));
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)));
    panel->setPalette(palette);
}

std::uint32_t panelColor(const QLabel* panel) { return std::uint32_t(panel->property(kBgrProperty).toUInt()); }

// The item of a list "нет"/"Нет", then 1 ... `count`: the number itself,
// no valid item past the list's end.
int listItem(int number, int count) { return number >= 1 && number <= count ? number : -1; }

const char* const kLevelCaptions[6] = {"Товары", "Категория", "Группа", "Подгруппа", "Раздел", "Подразделы"};

// The "..." button of each goods column, Button_Sel<...>.
struct ColumnButton {
    GoodsColumn column;
    const char* button;
};
constexpr ColumnButton kColumnButtons[kGoodsColumnCount] = {
    {GoodsColumn::Kat, "Group"},       {GoodsColumn::Art, "Art"},         {GoodsColumn::Tovar, "Name"},
    {GoodsColumn::Presence, "Presence"}, {GoodsColumn::Price1, "Price1"}, {GoodsColumn::Price2, "Price2"},
    {GoodsColumn::Price3, "Price3"},   {GoodsColumn::Price4, "Price4"},   {GoodsColumn::Garant, "Garant"},
    {GoodsColumn::Comment, "Comment"},
};

} // namespace

Form_PriceExcel::Form_PriceExcel(db::Connection& orderDb, QString programFolder, QWidget* parent)
    : QDialog(parent), orderDb_(orderDb), programFolder_(std::move(programFolder))
{
    setObjectName(QStringLiteral("Form_PriceExcel"));
    setWindowTitle(QStringLiteral("Настройка прайс-листа в Excel"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(false);
    // The first data row and the goods columns are usually empty in a
    // template: the view shows empty cells past the used ones to pick them.
    picker_ = new sheet::SheetPicker(this, QStringLiteral("PriceExcelView"), [](sheet::SheetView* view) {
        view->setSpareCells(kStartRowItems, kColumnItems);
    });

    auto* layout = new QVBoxLayout(this);
    PageControl1 = named(new QTabWidget(this), QStringLiteral("PageControl1"));
    PageControl1->addTab(buildGeneralPage(), QStringLiteral("Шаблон"));
    PageControl1->addTab(buildLevelsPage(), QStringLiteral("Группы"));
    PageControl1->addTab(buildColumnsPage(), QStringLiteral("Колонки"));
    layout->addWidget(PageControl1);

    Panel_Save = named(new QFrame(this), QStringLiteral("Panel_Save"));
    static_cast<QFrame*>(Panel_Save)->setFrameShape(QFrame::Panel);
    auto* saveLayout = new QVBoxLayout(Panel_Save);
    for (const char* text : {"Сохранение  параметров", "Подождите..."}) {
        auto* label = new QLabel(QString::fromUtf8(text), Panel_Save);
        label->setAlignment(Qt::AlignCenter);
        saveLayout->addWidget(label);
    }
    layout->addWidget(Panel_Save);
    Panel_Save->hide();

    auto* buttons = new QHBoxLayout;
    auto* save = named(new QPushButton(QStringLiteral("Запомнить параметры"), this), QStringLiteral("Button_Save"));
    auto* exportExcel =
        named(new QPushButton(QStringLiteral("Выгрузить в Excel"), this), QStringLiteral("Button_ExportExcel"));
    auto* exit = named(new QPushButton(QStringLiteral("Закрыть"), this), QStringLiteral("Button_Exit"));
    for (QPushButton* b : {save, exportExcel, exit})
        b->setAutoDefault(false);
    buttons->addWidget(save);
    buttons->addWidget(exportExcel);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    Button_ExportExcel = exportExcel;
    connect(save, &QPushButton::clicked, this, &Form_PriceExcel::Button_SaveClick);
    connect(exportExcel, &QPushButton::clicked, this, &Form_PriceExcel::Button_ExportExcelClick);
    connect(exit, &QPushButton::clicked, this, &Form_PriceExcel::Button_ExitClick);
    setPriceListWriter({});
}

Form_PriceExcel::~Form_PriceExcel() = default;

QWidget* Form_PriceExcel::buildGeneralPage()
{
    auto* page = named(new QWidget(this), QStringLiteral("TabSheet_Template"));
    auto* form = new QFormLayout(page);
    const auto withButton = [page](QWidget* field, QWidget* button) {
        auto* row = new QHBoxLayout;
        row->addWidget(field, 1);
        row->addWidget(button);
        return row;
    };

    Edit_Path = named(new QLineEdit(page), QStringLiteral("Edit_Path"));
    SpeedButton_Path = dotsButton(QStringLiteral("SpeedButton_Path"), QStringLiteral("Открыть шаблон"), page);
    form->addRow(QStringLiteral("Шаблон:"), withButton(Edit_Path, SpeedButton_Path));
    connect(SpeedButton_Path, &QToolButton::clicked, this, &Form_PriceExcel::SpeedButton_PathClick);

    ComboBox_Sheet = named(new QComboBox(page), QStringLiteral("ComboBox_Sheet"));
    form->addRow(QStringLiteral("Лист:"), ComboBox_Sheet);
    // The view follows the chosen sheet, so the cells picked are that sheet's.
    connect(ComboBox_Sheet, &QComboBox::textActivated, this, [this](const QString& name) {
        picker_->showSheet(name);
    });

    ComboBox_StartRow = named(new QComboBox(page), QStringLiteral("ComboBox_StartRow"));
    ComboBox_StartRow->addItem(QStringLiteral("нет"));
    for (int row = 1; row <= kStartRowItems; ++row)
        ComboBox_StartRow->addItem(QString::number(row));
    auto* startRow =
        dotsButton(QStringLiteral("Button_StartRow"), QStringLiteral("Установить колонку выбранной ячейки"), page);
    form->addRow(QStringLiteral("Первая строка:"), withButton(ComboBox_StartRow, startRow));
    connect(startRow, &QToolButton::clicked, this, &Form_PriceExcel::Button_StartRowClick);

    // Only the layout with group names in rows of their own writes goods;
    // the choice is kept as it is stored.
    ComboBox_TreeType = named(new QComboBox(page), QStringLiteral("ComboBox_TreeType"));
    ComboBox_TreeType->addItems({QStringLiteral("Названия групп расположенны в отдельных строках"),
                                 QStringLiteral("Названия групп и товаров расположенны в одной строке")});
    ComboBox_TreeType->hide();
    ComboBox_TreeType->setEnabled(false);

    Edit_DateCell = named(new QLineEdit(page), QStringLiteral("Edit_DateCell"));
    auto* dateCell = dotsButton(QStringLiteral("Button_DateCell"), QStringLiteral("Установить выбранную ячейку"), page);
    form->addRow(QStringLiteral("Ячейка даты:"), withButton(Edit_DateCell, dateCell));
    connect(dateCell, &QToolButton::clicked, this, &Form_PriceExcel::Button_DateCellClick);

    ComboBox_DateFormat = named(new QComboBox(page), QStringLiteral("ComboBox_DateFormat"));
    ComboBox_DateFormat->addItems(priceListDateFormats());
    form->addRow(QStringLiteral("Формат даты:"), ComboBox_DateFormat);
    Edit_DatePrefics = named(new QLineEdit(page), QStringLiteral("Edit_DatePrefics"));
    form->addRow(QStringLiteral("Текст перед датой:"), Edit_DatePrefics);
    Edit_DateSuffics = named(new QLineEdit(page), QStringLiteral("Edit_DateSuffics"));
    form->addRow(QStringLiteral("Текст после даты:"), Edit_DateSuffics);
    return page;
}

QWidget* Form_PriceExcel::buildLevelsPage()
{
    auto* page = named(new QWidget(this), QStringLiteral("TabSheet_Groups"));
    auto* grid = new QGridLayout(page);
    int column = 1;
    for (const char* title : {"Шрифт", "Размер", "Колонка", "Цвет", "Фон", "", "", "", ""})
        grid->addWidget(new QLabel(QString::fromUtf8(title), page), 0, column++);
    int row = 1;
    for (int n : {1, 2, 3, 4, 5, 0}) {
        const QString k = QString::number(n);
        LevelControls& c = levels_[size_t(n)];
        c.fontName = named(new QLineEdit(page), QStringLiteral("Edit_FontName") + k);
        c.fontSize = spinBox(QStringLiteral("Edit_FontSize") + k, 409, page);
        c.column = named(new QLabel(page), QStringLiteral("StaticText_Column") + k);
        c.fontColor = colorPanel(QStringLiteral("Panel_ColorFont") + k, page);
        c.fillColor = colorPanel(QStringLiteral("Panel_Color") + k, page);
        c.bold = toggleButton(QStringLiteral("SpeedButton_FontBold") + k, QStringLiteral("Ж"), page);
        c.italic = toggleButton(QStringLiteral("SpeedButton_FontItalic") + k, QStringLiteral("К"), page);
        c.underline = toggleButton(QStringLiteral("SpeedButton_FontUline") + k, QStringLiteral("Ч"), page);
        auto* read = dotsButton(QStringLiteral("Button_SetParam") + k,
                                QStringLiteral("Считать параметры выбранной ячейки"), page);
        connect(read, &QToolButton::clicked, this, [this, n] { Button_SetParamClick(n); });
        int at = 0;
        grid->addWidget(new QLabel(QString::fromUtf8(kLevelCaptions[n]), page), row, at++);
        for (QWidget* w : std::initializer_list<QWidget*>{c.fontName, c.fontSize, c.column, c.fontColor, c.fillColor,
                                                           c.bold, c.italic, c.underline, read})
            grid->addWidget(w, row, at++);
        ++row;
    }
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* Form_PriceExcel::buildColumnsPage()
{
    auto* page = named(new QWidget(this), QStringLiteral("TabSheet_Columns"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Колонка"), page), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Ширина"), page), 0, 2);
    QStringList letters{QStringLiteral("Нет")};
    for (int c = 1; c <= kColumnItems; ++c)
        letters << sheet::columnLetters(c);
    int row = 1;
    for (const ColumnButton& entry : kColumnButtons) {
        const QString key = goodsColumnKey(entry.column);
        ColumnControls& c = columns_[size_t(entry.column)];
        c.wanted = named(new QCheckBox(goodsColumnCaption(entry.column), page), QStringLiteral("CheckBox_") + key);
        c.position = named(new QComboBox(page), QStringLiteral("ComboBox_") + key);
        c.position->addItems(letters);
        c.width = spinBox(QStringLiteral("Edit_") + key, 255, page);
        auto* pick = dotsButton(QStringLiteral("Button_Sel") + QLatin1String(entry.button),
                                QStringLiteral("Установить колонку выбранной ячейки"), page);
        const GoodsColumn column = entry.column;
        connect(pick, &QToolButton::clicked, this, [this, column] { Button_SelColumnClick(column); });
        grid->addWidget(c.wanted, row, 0);
        grid->addWidget(c.position, row, 1);
        grid->addWidget(c.width, row, 2);
        grid->addWidget(pick, row, 3);
        const int price = int(entry.column) - int(GoodsColumn::Price1);
        if (price >= 0 && price < 4) {
            QComboBox* currency = named(new QComboBox(page), QStringLiteral("CheckBox_Price%1Kurs").arg(price + 1));
            currency->addItems({QStringLiteral(" $"), QStringLiteral("руб.")});
            currencies_[size_t(price)] = currency;
            grid->addWidget(currency, row, 4);
        }
        ++row;
    }
    grid->setRowStretch(row, 1);
    return page;
}

void Form_PriceExcel::setPriceListWriter(std::function<void()> writer)
{
    writer_ = std::move(writer);
    Button_ExportExcel->setEnabled(bool(writer_));
}

void Form_PriceExcel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_PriceExcel::FormShow()
{
    closing_ = false;
    Panel_Save->hide();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    PageControl1->setCurrentIndex(0);
    raise();
    LoadPriceExcelSettings();
}

void Form_PriceExcel::LoadPriceExcelSettings()
{
    startProgress(wait_, kLoadText, kWaitSteps);
    try {
        showSettings(
            readPriceExcelSettings(orderDb_, programFolder_, displayCode_ ? displayCode_() : QStringLiteral("RUB")));
    } catch (const std::exception& e) {
        finishProgress(wait_);
        say(ErrorText(e));
        return;
    }
    finishProgress(wait_);
}

void Form_PriceExcel::showSettings(const PriceExcelSettings& s)
{
    shown_ = s;
    Edit_Path->setText(s.templatePath);
    ComboBox_Sheet->clear();
    ComboBox_Sheet->addItems(s.sheetNames);
    ComboBox_Sheet->setCurrentIndex(s.sheetIndex < ComboBox_Sheet->count() ? s.sheetIndex : -1);
    ComboBox_StartRow->setCurrentIndex(s.startRowIndex >= 0 && s.startRowIndex <= kStartRowItems ? s.startRowIndex : -1);
    ComboBox_TreeType->setCurrentIndex(s.treeType >= 0 && s.treeType < ComboBox_TreeType->count() ? s.treeType : -1);
    stepProgress(wait_);
    Edit_DateCell->setText(s.dateCell);
    ComboBox_DateFormat->setCurrentIndex(s.dateFormat >= 0 && s.dateFormat < kDateFormatCount ? s.dateFormat : -1);
    Edit_DatePrefics->setText(s.datePrefix);
    Edit_DateSuffics->setText(s.dateSuffix);
    stepProgress(wait_);
    for (int n = 0; n <= 5; ++n) {
        const LevelLook& look = s.levels[size_t(n)];
        const LevelControls& c = levels_[size_t(n)];
        c.fontName->setText(look.fontName);
        c.fontSize->setValue(look.fontSize);
        c.column->setText(look.column);
        setPanelColor(c.fontColor, look.fontColor);
        setPanelColor(c.fillColor, look.fillColor);
        c.bold->setChecked(look.bold);
        c.italic->setChecked(look.italic);
        c.underline->setChecked(look.underline);
        stepProgress(wait_);
    }
    for (size_t i = 0; i < columns_.size(); ++i) {
        const GoodsColumnLayout& layout = s.columns[i];
        columns_[i].wanted->setChecked(layout.wanted);
        columns_[i].position->setCurrentIndex(layout.position == 0 ? 0 : listItem(layout.position, kColumnItems));
        columns_[i].width->setValue(layout.width);
    }
    stepProgress(wait_);
    for (size_t k = 0; k < currencies_.size(); ++k)
        currencies_[k]->setCurrentIndex(s.priceCurrency[k] != 0 ? 1 : 0);
    stepProgress(wait_);
}

PriceExcelSettings Form_PriceExcel::settingsShown() const
{
    // What the window does not show (a sheet choice without a list) stays
    // as it was read.
    PriceExcelSettings s = shown_;
    s.templatePath = Edit_Path->text();
    s.sheetNames.clear();
    for (int i = 0; i < ComboBox_Sheet->count(); ++i)
        s.sheetNames << ComboBox_Sheet->itemText(i);
    if (ComboBox_Sheet->count() > 0)
        s.sheetIndex = ComboBox_Sheet->currentIndex();
    s.startRowIndex = ComboBox_StartRow->currentIndex();
    if (ComboBox_TreeType->currentIndex() >= 0)
        s.treeType = ComboBox_TreeType->currentIndex();
    s.dateCell = Edit_DateCell->text();
    s.dateFormat = ComboBox_DateFormat->currentIndex();
    s.datePrefix = Edit_DatePrefics->text();
    s.dateSuffix = Edit_DateSuffics->text();
    for (int n = 0; n <= 5; ++n) {
        LevelLook& look = s.levels[size_t(n)];
        const LevelControls& c = levels_[size_t(n)];
        look.fontName = c.fontName->text();
        look.fontSize = c.fontSize->value();
        look.column = c.column->text();
        look.fontColor = panelColor(c.fontColor);
        look.fillColor = panelColor(c.fillColor);
        look.bold = c.bold->isChecked();
        look.italic = c.italic->isChecked();
        look.underline = c.underline->isChecked();
    }
    for (size_t i = 0; i < columns_.size(); ++i) {
        s.columns[i].wanted = columns_[i].wanted->isChecked();
        s.columns[i].position = columns_[i].position->currentIndex();
        s.columns[i].width = columns_[i].width->value();
    }
    for (size_t k = 0; k < currencies_.size(); ++k)
        s.priceCurrency[k] = currencies_[k]->currentIndex() > 0 ? 1 : 0;
    return s;
}

bool Form_PriceExcel::storeShown()
{
    Panel_Save->show();
    Panel_Save->repaint();
    startProgress(wait_, kSaveText, kWaitSteps);
    const PriceExcelSettings s = settingsShown();
    bool stored = false;
    try {
        storePriceExcelSettings(orderDb_, s);
        stepProgress(wait_, kWaitSteps);
        shown_ = s;
        stored = true;
    } catch (const std::exception& e) {
        finishProgress(wait_);
        Panel_Save->hide();
        say(ErrorText(e));
        return false;
    }
    finishProgress(wait_);
    // The list shows the stored choice again.
    ComboBox_Sheet->setCurrentIndex(s.sheetIndex < ComboBox_Sheet->count() ? s.sheetIndex : -1);
    Panel_Save->hide();
    return stored;
}

void Form_PriceExcel::SavePriceExcelSettings() { storeShown(); }

void Form_PriceExcel::SpeedButton_PathClick()
{
    QString path = Edit_Path->text().trimmed();
    if (!QFileInfo(path).isFile()) {
        const QString chosen =
            openDialog_ ? openDialog_(this, QStringLiteral("Книги Excel (*.xlsx *.xls);;Все файлы (*)")) : QString();
        if (chosen.isEmpty())
            return;
        path = chosen;
        Edit_Path->setText(chosen);
    }
    try {
        picker_->load(path);
    } catch (const sheet::SheetError& e) {
        say(QStringLiteral("Не удалось открыть шаблон прайс-листа:\r%1\r\r%2").arg(path, e.message()));
        return;
    }
    if (otherWindows_)
        otherWindows_(false);
    ComboBox_Sheet->setEnabled(true);
    picker_->listSheets(ComboBox_Sheet);
    ComboBox_Sheet->setCurrentIndex(0);

    picker_->show();
}

bool Form_PriceExcel::pickedCell(sheet::PickedCell& cell)
{
    if (!picker_->isOpen()) {
        say(QStringLiteral("Откройте шаблон прайс-листа (кнопка \"...\" рядом с путем) и выберите в нем ячейку."));
        return false;
    }
    const std::optional<sheet::PickedCell> picked = picker_->picked();
    if (!picked) {
        say(QStringLiteral("Выберите ячейку в окне шаблона."));
        return false;
    }
    cell = *picked;
    return true;
}

void Form_PriceExcel::Button_StartRowClick()
{
    sheet::PickedCell cell;
    if (pickedCell(cell))
        ComboBox_StartRow->setCurrentIndex(listItem(cell.row, kStartRowItems));
}

void Form_PriceExcel::Button_DateCellClick()
{
    sheet::PickedCell cell;
    if (pickedCell(cell))
        Edit_DateCell->setText(sheet::columnLetters(cell.column) + QString::number(cell.row));
}

void Form_PriceExcel::Button_SetParamClick(int level)
{
    sheet::PickedCell cell;
    if (level < 0 || level > 5 || !pickedCell(cell))
        return;
    const LevelControls& c = levels_[size_t(level)];
    const sheet::Font& font = cell.style.font;
    c.fontName->setText(font.name);
    c.fontSize->setValue(int(std::lround(font.size)));
    c.column->setText(sheet::columnLetters(cell.column));
    setPanelColor(c.fontColor, font.color.bgr());
    setPanelColor(c.fillColor, cell.style.fill ? cell.style.fill->bgr() : kNoFill);
    c.bold->setChecked(font.bold);
    c.italic->setChecked(font.italic);
    c.underline->setChecked(font.underline);
}

void Form_PriceExcel::Button_SelColumnClick(GoodsColumn column)
{
    sheet::PickedCell cell;
    if (!pickedCell(cell))
        return;
    const ColumnControls& c = columns_[size_t(column)];
    c.position->setCurrentIndex(listItem(cell.column, kColumnItems));
    c.width->setValue(int(std::lround(cell.columnWidth)));
}

void Form_PriceExcel::Button_SaveClick()
{
    if (storeShown())
        close();
}

void Form_PriceExcel::Button_ExportExcelClick()
{
    if (!storeShown())
        return;
    if (writer_)
        writer_();
    // The writer closes the window once it is done, whatever came of it.
    close();
}

void Form_PriceExcel::Button_ExitClick() { close(); }

void Form_PriceExcel::reject() { close(); }

void Form_PriceExcel::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void Form_PriceExcel::FormClose()
{
    if (closing_)
        return;
    closing_ = true;
    finishProgress(wait_);
    closeTemplate();
    if (otherWindows_)
        otherWindows_(true);
}

void Form_PriceExcel::closeTemplate() { picker_->close(); }

sheet::SheetView* Form_PriceExcel::templateView() const { return picker_->view(); }

} // namespace velmora::output
