#include "form_min_price.h"

#include "ui_form_min_price.h"

#include "min_price_suppliers.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/files/error_text.h"
#include "storage/settings_store.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace velmora::output {
namespace {

enum Column { SupplierColumn, UsedColumn, DateColumn };
constexpr int kRowIdRole = Qt::UserRole;

} // namespace

Form_MinPrice::Form_MinPrice(db::Connection& priceDb, SettingsStore& orderSettings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Form_MinPrice>()), priceDb_(priceDb), orderSettings_(orderSettings)
{
    ui->setupUi(this);
    // The buttons as wide as their captions.
    for (QPushButton* button : {ui->Button_Save, ui->Button_Recalc})
        button->resize(std::max(button->width(), button->sizeHint().width()), button->height());
    QTableWidget* grid = ui->DBGrid_Postav;
    grid->setColumnCount(3);
    grid->setHorizontalHeaderLabels({QStringLiteral("Поставщик"), QStringLiteral("Обрабатывать"),
                                     QStringLiteral("Дата прайс-листа")});
    grid->horizontalHeader()->setSectionResizeMode(SupplierColumn, QHeaderView::Stretch);
    // The tick and the date as wide as their titles.
    grid->horizontalHeader()->setSectionResizeMode(UsedColumn, QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setSectionResizeMode(DateColumn, QHeaderView::ResizeToContents);
    grid->verticalHeader()->hide();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(grid, &QTableWidget::cellChanged, this, &Form_MinPrice::DBGrid_PostavCellChanged);
    connect(ui->Button_Save, &QPushButton::clicked, this, &Form_MinPrice::Button_SaveClick);
    connect(ui->Button_Recalc, &QPushButton::clicked, this, &Form_MinPrice::Button_RecalcClick);
}

Form_MinPrice::~Form_MinPrice() = default;

void Form_MinPrice::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Form_MinPrice::FormShow()
{
    ui->Button_Save->setVisible(MinPriceGroupCode_ > 0);
    fillList();
}

void Form_MinPrice::fillList()
{
    QList<SupplierChoice> choices;
    try {
        choices = MinPriceGroupCode_ > 0 ? prepareGroupSupplierChoices(priceDb_, MinPriceGroupCode_)
                                         : readSupplierChoices(priceDb_);
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
    QTableWidget* grid = ui->DBGrid_Postav;
    filling_ = true;
    grid->setRowCount(int(choices.size()));
    for (int row = 0; row < choices.size(); ++row) {
        const SupplierChoice& choice = choices.at(row);
        auto* name = new QTableWidgetItem(choice.supplier);
        name->setData(kRowIdRole, choice.rowId);
        grid->setItem(row, SupplierColumn, name);
        auto* used = new QTableWidgetItem;
        used->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        used->setCheckState(choice.used ? Qt::Checked : Qt::Unchecked);
        used->setToolTip(QStringLiteral("Идентификация товаров у поставщика - по артикулю"));
        grid->setItem(row, UsedColumn, used);
        const QString date =
            choice.dates > 0 ? db::dateFromDayNumber(double(choice.dates)).toString(QStringLiteral("dd.MM.yyyy")) : QString();
        grid->setItem(row, DateColumn, new QTableWidgetItem(date));
    }
    filling_ = false;
}

void Form_MinPrice::DBGrid_PostavCellChanged(int row, int column)
{
    if (filling_ || column != UsedColumn)
        return;
    const QTableWidgetItem* name = ui->DBGrid_Postav->item(row, SupplierColumn);
    const QTableWidgetItem* used = ui->DBGrid_Postav->item(row, UsedColumn);
    if (!name || !used)
        return;
    try {
        setSupplierChoice(priceDb_, MinPriceGroupCode_, name->data(kRowIdRole).toLongLong(),
                          used->checkState() == Qt::Checked);
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
}

void Form_MinPrice::Button_SaveClick()
{
    if (!dialogs_.ask(kSaveChoiceQuestion))
        return;
    try {
        copySupplierChoiceToSubgroups(priceDb_, MinPriceGroupCode_);
        dialogs_.tell(kChoiceCopiedMessage);
    } catch (const db::DbError& e) {
        dialogs_.tell(e.message());
    }
}

void Form_MinPrice::Button_RecalcClick()
{
    RecalcRequest request;
    request.group = MinPriceGroupCode_;
    // The ticks this window shows for all goods are the ones to use.
    request.resetSupplierTicks = MinPriceGroupCode_ > 0;
    request.copyChoiceToSubgroups = MinPriceGroupCode_ > 0 && dialogs_.ask(kSaveChoiceQuestion);
    request.today = today_ ? today_() : QDate::currentDate();
    const PricingGlobals globals = globals_ ? globals_() : PricingGlobals{};

    hide();
    QString failure;
    RecalcResult result;
    try {
        const MinPriceSettings settings =
            readMinPriceSettings(orderSettings_, globals.roundDigits, globals.saleSupplierName);
        result = RecalcMinPrices(priceDb_, settings, request, wait_);
    } catch (const std::exception& e) {
        failure = ErrorText(e);
    }
    finishProgress(wait_);
    if (!failure.isEmpty()) {
        dialogs_.tell(failure);
    } else {
        if (result.roundingFailed)
            dialogs_.tell(kRoundingFailed);
        dialogs_.tell(recalcReportText(result));
    }
    emit pricesChanged();
    close();
}

} // namespace velmora::output
