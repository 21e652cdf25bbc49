#include "form_excel_setup.h"

#include "window_controls.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/view/sheet_picker.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::catalogue {

namespace {

constexpr int kShownHeight = 335;
constexpr int kImportHeight = 385;

QString levelName(const char* prefix, int level)
{
    return QLatin1String(prefix) + QString::number(level);
}

QFrame* colourPanel(const QString& name, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Box);
    panel->setMinimumSize(24, 18);
    panel->setAutoFillBackground(true);
    return panel;
}

// A cleared panel shows the button face.
void paintPanel(QFrame* panel, const std::optional<sheet::Color>& colour)
{
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour ? QColor::fromRgb(colour->rgb()) : panel->style()->standardPalette().color(QPalette::Button));
    panel->setPalette(palette);
}

QToolButton* styleButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setCheckable(true);
    return button;
}

} // namespace

Form_ExcelSetup::Form_ExcelSetup(CatalogueWindowEnvironment environment, std::function<void()> catalogueReplaced,
                                 QWidget* parent)
    : QDialog(parent), env_(std::move(environment)), catalogueReplaced_(std::move(catalogueReplaced))
{
    setObjectName(QStringLiteral("Form_ExcelSetup"));
    setWindowTitle(QStringLiteral("Настройка прайс-листа для загрузки"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    picker_ = new sheet::SheetPicker(this, QStringLiteral("ExcelSetupApp"));

    auto* heading = new QLabel(QStringLiteral("Настройка параметров загрузки собственного прайс-листа"), this);
    heading->setObjectName(QStringLiteral("Label_Heading"));
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->addTab(buildPathPage(), QStringLiteral("Путь к прайсу"));
    PageControl1->addTab(buildColumnsPage(), QStringLiteral("Колонки"));
    PageControl1->addTab(buildGroupsPage(), QStringLiteral("Группы товаров"));

    Label_Info = named(new QLabel(this), "Label_Info");
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    auto* start = named(new QPushButton(QStringLiteral("Загрузить"), this), "Button_Start");
    auto* exit = named(new QPushButton(QStringLiteral("Отмена"), this), "Button_Exit");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label_Info, 1);
    buttons->addWidget(start);
    buttons->addWidget(exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    connect(start, &QPushButton::clicked, this, &Form_ExcelSetup::Button_StartClick);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, &Form_ExcelSetup::FormClose);
}

Form_ExcelSetup::~Form_ExcelSetup() = default;

QWidget* Form_ExcelSetup::buildPathPage()
{
    auto* page = named(new QWidget(this), "TabSheet_Path");
    Edit_Path = named(new QLineEdit(page), "Edit_Path");
    auto* browse = named(new QToolButton(page), "SpeedButton_Path");
    browse->setText(QStringLiteral("..."));
    ComboBox_Sheet = named(new QComboBox(page), "ComboBox_Sheet");
    ComboBox_TreeType = named(new QComboBox(page), "ComboBox_TreeType");
    ComboBox_TreeType->addItem(QStringLiteral("Товары в прайс-листе сгрупированы по категориям"));
    ComboBox_TreeType->addItem(QStringLiteral("Категории и товары - в одной строке (но в разных ячейках)"));

    sheet::PickerRows rows(page, picker_);
    rows.add(QStringLiteral("Укажите путь к файлу"), Edit_Path, browse);
    rows.add(QStringLiteral("Укажите лист"), ComboBox_Sheet);
    ComboBox_StartRow = rows.addStartRow(QStringLiteral("Загружать со строки:"), QStringLiteral("ComboBox_StartRow"),
                                         QStringLiteral("Button_StartRow"));
    // The layout's caption is not shown.
    named(rows.add(QStringLiteral("Структура прайс-листа"), ComboBox_TreeType), "Label_TreeType")->hide();
    rows.layout()->setRowStretch(4, 1);
    page->setLayout(rows.layout());

    connect(browse, &QToolButton::clicked, this, &Form_ExcelSetup::SpeedButton_PathClick);
    connect(ComboBox_Sheet, &QComboBox::activated, this, [this](int index) { picker_->showSheet(index + 1); });
    return page;
}

QWidget* Form_ExcelSetup::buildColumnsPage()
{
    auto* page = named(new QWidget(this), "TabSheet_Column");
    sheet::PickerRows rows(page, picker_);
    page->setLayout(rows.layout());
    ComboBox_Art = rows.addColumn(QStringLiteral("Столбец с кодом (артикулом)"), QStringLiteral("ComboBox_Art"),
                                  QStringLiteral("Button_SelArt"));
    ComboBox_Tov = rows.addColumn(QStringLiteral("Столбец с названием товаров"), QStringLiteral("ComboBox_Tov"),
                                  QStringLiteral("Button_SelName"));
    ComboBox_PriceMax = rows.addColumn(QStringLiteral("Столбец с ценами на товары"), QStringLiteral("ComboBox_PriceMax"),
                                       QStringLiteral("Button_SelMaxPrice"));
    ComboBox_garant = rows.addColumn(QStringLiteral("Столбец с гарантией на товары"), QStringLiteral("ComboBox_garant"),
                                     QStringLiteral("Button_SelGarant"));
    ComboBox_sklad = rows.addColumn(QStringLiteral("Столбец с наличием на складе"), QStringLiteral("ComboBox_sklad"),
                                    QStringLiteral("Button_SelSklad"));
    rows.layout()->setRowStretch(5, 1);
    return page;
}

QWidget* Form_ExcelSetup::buildGroupsPage()
{
    auto* page = named(new QWidget(this), "TabSheet_Group");
    auto* grid = new QGridLayout(page);
    const char* titles[] = {"", "Название Шрифта", "Размер Шрифта", "Колонка на листе Excel", "Цвет Шрифта",
                            "Цвет Фона", "", "", "", ""};
    for (int c = 0; c < 10; ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(titles[c]), page), 0, c);
    // The rows of levels 1 ... 5, then level 0.
    const int order[] = {1, 2, 3, 4, 5, 0};
    int r = 1;
    for (int level : order) {
        LevelRow& row = levels_[size_t(level)];
        row.fontName = new QLineEdit(page);
        row.fontName->setObjectName(levelName("Edit_FontName", level));
        row.fontSize = new QLineEdit(page);
        row.fontSize->setObjectName(levelName("Edit_FontSize", level));
        row.column = new QLabel(page);
        row.column->setObjectName(levelName("StaticText_Column", level));
        row.column->setFrameShape(QFrame::Panel);
        row.fontColor = colourPanel(levelName("Panel_ColorFont", level), page);
        row.fill = colourPanel(levelName("Panel_Color", level), page);
        row.bold = styleButton(levelName("SpeedButton_FontBold", level), QStringLiteral("Ж"), page);
        row.italic = styleButton(levelName("SpeedButton_FontItalic", level), QStringLiteral("К"), page);
        row.underline = styleButton(levelName("SpeedButton_FontUline", level), QStringLiteral("Ч"), page);
        auto* set = new QToolButton(page);
        set->setObjectName(levelName("Button_SetParam", level));
        set->setText(QStringLiteral("..."));
        grid->addWidget(new QLabel(QStringLiteral("Уровень %1").arg(level), page), r, 0);
        grid->addWidget(row.fontName, r, 1);
        grid->addWidget(row.fontSize, r, 2);
        grid->addWidget(row.column, r, 3);
        grid->addWidget(row.fontColor, r, 4);
        grid->addWidget(row.fill, r, 5);
        grid->addWidget(row.bold, r, 6);
        grid->addWidget(row.italic, r, 7);
        grid->addWidget(row.underline, r, 8);
        grid->addWidget(set, r, 9);
        paintPanel(row.fontColor, std::nullopt);
        paintPanel(row.fill, std::nullopt);
        connect(set, &QToolButton::clicked, this, [this, level] { Button_SetParamClick(level); });
        ++r;
    }
    auto* clear = named(new QPushButton(QStringLiteral("Очистить"), page), "Button_ClearSetGroup");
    grid->addWidget(clear, r, 1);
    grid->setRowStretch(r + 1, 1);
    connect(clear, &QPushButton::clicked, this, &Form_ExcelSetup::Button_ClearSetGroupClick);
    return page;
}

void Form_ExcelSetup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_ExcelSetup::FormShow()
{
    resize(width(), std::max(height(), kShownHeight));
    PageControl1->setCurrentIndex(0);
    ProgressBar1->hide();
    Label_Info->clear();
}

void Form_ExcelSetup::reportError(const QString& text)
{
    if (env_.error)
        env_.error(text);
    else if (env_.message)
        env_.message(text);
}

void Form_ExcelSetup::SpeedButton_PathClick()
{
    const auto askForFile = [this] {
        if (env_.setMainWindowHidden)
            env_.setMainWindowHidden(true);
        return env_.openFileName ? env_.openFileName(this, kWorkbookFilter) : QString();
    };
    if (!picker_->openFromField(Edit_Path, askForFile, [this](const QString& t) { reportError(t); }))
        return;
    picker_->listSheets(ComboBox_Sheet);
    ComboBox_Sheet->setCurrentIndex(0);
    picker_->showSheet(1);
}

void Form_ExcelSetup::Button_SetParamClick(int level)
{
    const auto cell = picker_->picked();
    if (!cell || level < 0 || level > 5)
        return;
    showLevel(levels_[size_t(level)], levelLookOfCell(cell->style, cell->column));
}

void Form_ExcelSetup::showLevel(LevelRow& row, const LevelLook& look)
{
    row.fontName->setText(look.fontName);
    row.fontSize->setText(look.fontSize);
    row.column->setText(look.column);
    row.fontColorValue = look.fontColor;
    row.fillValue = look.fill;
    paintPanel(row.fontColor, look.fontColor);
    paintPanel(row.fill, look.fill);
    row.bold->setChecked(look.bold);
    row.italic->setChecked(look.italic);
    row.underline->setChecked(look.underline);
}

void Form_ExcelSetup::Button_ClearSetGroupClick()
{
    for (LevelRow& row : levels_)
        showLevel(row, LevelLook{});
}

std::array<LevelLook, 6> Form_ExcelSetup::levelLooks() const
{
    std::array<LevelLook, 6> looks;
    for (size_t level = 0; level < looks.size(); ++level) {
        const LevelRow& row = levels_[level];
        LevelLook& look = looks[level];
        look.fontName = row.fontName->text().trimmed();
        look.fontSize = row.fontSize->text().trimmed();
        look.column = row.column->text().trimmed();
        look.fontColor = row.fontColorValue;
        look.fill = row.fillValue;
        look.bold = row.bold->isChecked();
        look.italic = row.italic->isChecked();
        look.underline = row.underline->isChecked();
    }
    return looks;
}

CatalogueImportSettings Form_ExcelSetup::importSettings() const
{
    CatalogueImportSettings settings;
    settings.path = Edit_Path->text().trimmed();
    settings.sheetIndex = std::max(ComboBox_Sheet->currentIndex(), 0) + 1;
    if (ComboBox_Sheet->currentIndex() >= 0 && picker_->sheetNames().contains(ComboBox_Sheet->currentText()))
        settings.sheetName = ComboBox_Sheet->currentText();
    settings.startRow = ComboBox_StartRow->currentIndex() + 1;
    settings.layout = ComboBox_TreeType->currentIndex() == 1 ? CatalogueLayout::CategoriesInColumns
                                                              : CatalogueLayout::GroupedByCategories;
    settings.columnArt = ComboBox_Art->currentIndex();
    settings.columnTovar = ComboBox_Tov->currentIndex();
    settings.columnPrice = ComboBox_PriceMax->currentIndex();
    settings.columnGarant = ComboBox_garant->currentIndex();
    settings.levels = levelLooks();
    return settings;
}

void Form_ExcelSetup::Button_StartClick()
{
    const CatalogueImportSettings settings = importSettings();
    if (const int pairs = identicalLevelPairs(settings.levels); pairs > 0) {
        if (!env_.confirm || !env_.confirm(identicalLevelsQuestion(pairs)))
            return;
    }
    if (!env_.priceDb)
        return;
    resize(width(), std::max(height(), kImportHeight));
    ProgressBar1->show();
    Label_Info->setText(kReadingSheetText);
    BarProgress progress(ProgressBar1, Label_Info);
    CatalogueImportResult result;
    // The sheet view stands for the spreadsheet the import attaches to and
    // quits: the workbook is read afresh from its file.
    try {
        result = importCatalogue(*env_.priceDb, settings, db::dayNumber(env_.today()), &progress);
    } catch (const sheet::SheetError& e) {
        ProgressBar1->hide();
        Label_Info->clear();
        reportError(e.message());
        return;
    } catch (const db::DbError& e) {
        ProgressBar1->hide();
        Label_Info->clear();
        reportError(e.message());
        return;
    }
    picker_->close();
    if (catalogueReplaced_)
        catalogueReplaced_();
    ProgressBar1->hide();
    Label_Info->setText(catalogueImportedMessage(result));
    if (env_.message)
        env_.message(catalogueImportedMessage(result));
}

void Form_ExcelSetup::FormClose()
{
    picker_->close();
    if (env_.setMainWindowHidden)
        env_.setMainWindowHidden(false);
}

} // namespace velmora::catalogue
