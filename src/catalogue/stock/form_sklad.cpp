#include "form_sklad.h"

#include "ui_form_sklad.h"

#include "stock_criteria.h"

#include "platform/db/db_error.h"
#include "storage/settings_store.h"

#include <algorithm>

namespace velmora::catalogue {
namespace {

constexpr int kWidthWithMissingTexts = 520;
constexpr int kWidthWithoutMissingTexts = 345;

qint64 currentId(const QListWidget* grid)
{
    const QListWidgetItem* item = grid->currentItem();
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

} // namespace

Form_Sklad::Form_Sklad(db::Connection& priceDb, db::Connection& orderDb, MessageSink messages, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::Form_Sklad>()),
      priceDb_(priceDb),
      orderDb_(orderDb),
      messages_(std::move(messages))
{
    ui->setupUi(this);
    connect(ui->Button_AddYes, &QPushButton::clicked, this, &Form_Sklad::Button_AddYesClick);
    connect(ui->Button_EditYes, &QPushButton::clicked, this, &Form_Sklad::Button_EditYesClick);
    connect(ui->Button_DelYes, &QPushButton::clicked, this, &Form_Sklad::Button_DelYesClick);
    connect(ui->Button_AddNo, &QPushButton::clicked, this, &Form_Sklad::Button_AddNoClick);
    connect(ui->Button_EditNo, &QPushButton::clicked, this, &Form_Sklad::Button_EditNoClick);
    connect(ui->Button_DelNo, &QPushButton::clicked, this, &Form_Sklad::Button_DelNoClick);
    connect(ui->Button_OpenAll, &QPushButton::clicked, this, &Form_Sklad::Button_OpenAllClick);
    connect(ui->Button_AllYes, &QPushButton::clicked, this, &Form_Sklad::Button_AllYesClick);
    connect(ui->Button_AllNo, &QPushButton::clicked, this, &Form_Sklad::Button_AllNoClick);
    connect(ui->Button_Close, &QPushButton::clicked, this, &QDialog::accept);
    // The switches write on the user's clicks only, not while the window fills them.
    connect(ui->CheckBox_YesNo, &QCheckBox::clicked, this, &Form_Sklad::CheckBox_YesNoClick);
    connect(ui->RadioButton_Yes, &QRadioButton::clicked, this, &Form_Sklad::RadioButton_YesClick);
    connect(ui->RadioButton_No, &QRadioButton::clicked, this, &Form_Sklad::RadioButton_NoClick);
    connect(ui->RadioButton_NullYes, &QRadioButton::clicked, this, &Form_Sklad::RadioButton_NullYesClick);
    connect(ui->RadioButton_NullNo, &QRadioButton::clicked, this, &Form_Sklad::RadioButton_NullNoClick);
    // Double-clicking a row copies its text into the list's field.
    connect(ui->DBGrid_Yes, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ui->Edit_Yes->setText(item->text()); });
    connect(ui->DBGrid_No, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ui->Edit_No->setText(item->text()); });
    showMissingTexts(false);
}

Form_Sklad::~Form_Sklad() = default;

Form_Sklad::ListControls Form_Sklad::presenceList() const
{
    return {StockList::Presence, ui->DBGrid_Yes, ui->Edit_Yes};
}

Form_Sklad::ListControls Form_Sklad::absenceList() const
{
    return {StockList::Absence, ui->DBGrid_No, ui->Edit_No};
}

void Form_Sklad::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_Sklad::FormShow()
{
    ui->Edit_Yes->clear();
    ui->Edit_No->clear();
    openList(presenceList());
    openList(absenceList());
    openMissingTexts();

    SettingsStore settings(orderDb_);
    const StockSwitches switches = readStockSwitches(settings);
    ui->CheckBox_YesNo->setChecked(switches.apply);
    showSwitchGroups(switches.apply);
    ui->RadioButton_Yes->setChecked(switches.judgeBy == StockList::Presence);
    ui->RadioButton_No->setChecked(switches.judgeBy == StockList::Absence);
    ui->RadioButton_NullYes->setChecked(switches.noTextInStock);
    ui->RadioButton_NullNo->setChecked(!switches.noTextInStock);
}

void Form_Sklad::openList(const ListControls& controls)
{
    const qint64 current = currentId(controls.grid);
    controls.grid->clear();
    for (const StockCriterion& criterion : readStockCriteria(priceDb_, controls.list)) {
        auto* item = new QListWidgetItem(criterion.text, controls.grid);
        item->setData(Qt::UserRole, criterion.id);
        if (criterion.id == current)
            controls.grid->setCurrentItem(item);
    }
    if (!controls.grid->currentItem() && controls.grid->count() > 0)
        controls.grid->setCurrentRow(0);
}

void Form_Sklad::openMissingTexts()
{
    ui->DBGrid_All->clear();
    ui->DBGrid_All->addItems(missingStockTexts(priceDb_));
    if (ui->DBGrid_All->count() > 0)
        ui->DBGrid_All->setCurrentRow(0);
}

void Form_Sklad::addTo(const ListControls& controls)
{
    showEditResult(controls, addStockCriterion(priceDb_, controls.list, controls.edit->text()));
}

void Form_Sklad::changeIn(const ListControls& controls)
{
    showEditResult(controls, changeStockCriterion(priceDb_, currentId(controls.grid), controls.edit->text()));
}

void Form_Sklad::showEditResult(const ListControls& controls, StockEdit result)
{
    if (result == StockEdit::Duplicate)
        messages_(QStringLiteral("Подобный критерий уже есть!")); // the field keeps its text
    if (result != StockEdit::Done)
        return;
    openList(controls);
    controls.edit->clear();
    openMissingTexts();
}

void Form_Sklad::deleteFrom(const ListControls& controls)
{
    const qint64 id = currentId(controls.grid);
    if (id <= 0)
        return;
    deleteStockCriterion(priceDb_, id);
    openList(controls);
    openMissingTexts();
}

void Form_Sklad::Button_OpenAllClick()
{
    const bool show = ui->Button_OpenAll->text() == QLatin1String(">>>");
    showMissingTexts(show);
    if (show)
        openMissingTexts();
}

void Form_Sklad::showMissingTexts(bool shown)
{
    ui->GroupBox_All->setVisible(shown);
    ui->Button_OpenAll->setText(shown ? QStringLiteral("<<<") : QStringLiteral(">>>"));
    ui->Button_OpenAll->setToolTip(shown ? QStringLiteral("Скрыть отсутствующие значения поля \"Склад\"")
                                         : QStringLiteral("Показать отсутствующие значения поля \"Склад\""));
    // The list opens beside the criteria and leaves their boxes the room
    // they had.
    layout()->activate();
    const int wanted = shown ? kWidthWithMissingTexts : kWidthWithoutMissingTexts;
    resize(std::max(wanted, layout()->sizeHint().width()), height());
}

void Form_Sklad::moveMissingTextTo(StockList list)
{
    const QListWidgetItem* item = ui->DBGrid_All->currentItem();
    if (!item)
        return;
    bool moved = false;
    try {
        moved = addStockCriterion(priceDb_, list, item->text()) == StockEdit::Done;
    } catch (const db::DbError&) {
    }
    if (!moved)
        messages_(QStringLiteral("Не удалось переместить критерий!"));
    openList(list == StockList::Presence ? presenceList() : absenceList());
    openMissingTexts();
}

void Form_Sklad::Button_AllYesClick() { moveMissingTextTo(StockList::Presence); }
void Form_Sklad::Button_AllNoClick() { moveMissingTextTo(StockList::Absence); }

void Form_Sklad::showSwitchGroups(bool shown)
{
    ui->GroupBox_KritYesNo->setVisible(shown);
    ui->GroupBox_NullYesNo->setVisible(shown);
}

void Form_Sklad::CheckBox_YesNoClick()
{
    SettingsStore settings(orderDb_);
    writeStockApply(settings, ui->CheckBox_YesNo->isChecked());
    showSwitchGroups(ui->CheckBox_YesNo->isChecked());
}

void Form_Sklad::RadioButton_YesClick()
{
    SettingsStore settings(orderDb_);
    writeStockJudgeBy(settings, StockList::Presence);
}

void Form_Sklad::RadioButton_NoClick()
{
    SettingsStore settings(orderDb_);
    writeStockJudgeBy(settings, StockList::Absence);
}

void Form_Sklad::RadioButton_NullYesClick()
{
    SettingsStore settings(orderDb_);
    writeStockNoTextInStock(settings, true);
}

void Form_Sklad::RadioButton_NullNoClick()
{
    SettingsStore settings(orderDb_);
    writeStockNoTextInStock(settings, false);
}

} // namespace velmora::catalogue
