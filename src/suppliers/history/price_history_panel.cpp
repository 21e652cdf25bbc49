#include "suppliers/history/price_history_panel.h"

#include "platform/db/db_error.h"
#include "storage/settings_store.h"
#include "suppliers/history/history_result_model.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

namespace velmora::history {
namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

const QString kHistorySuffix = QStringLiteral("_PriceHistoryLoad");
const QString kSortSetting = QStringLiteral("CheckBox_FindHistoryABC");
constexpr int kDatesRole = Qt::UserRole;

} // namespace

PriceHistoryPanel::PriceHistoryPanel(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent)
    : QWidget(parent), priceDb_(priceDb), orderDb_(orderDb), model_(new HistoryResultModel(priceDb, this))
{
    setObjectName(QStringLiteral("PriceHistoryPanel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    Panel_PriceHistory2 = named(new QGroupBox(QStringLiteral("Архив старых прайс-листов")), "Panel_PriceHistory2");
    auto* loads = new QVBoxLayout(Panel_PriceHistory2);
    DBGrid_PriceHistory2 = named(new QTableWidget(0, 2), "DBGrid_PriceHistory2");
    DBGrid_PriceHistory2->setHorizontalHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Кол-во")});
    DBGrid_PriceHistory2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_PriceHistory2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_PriceHistory2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_PriceHistory2->verticalHeader()->hide();
    DBGrid_PriceHistory2->horizontalHeader()->setStretchLastSection(true);
    DBGrid_PriceHistory2->setColumnWidth(0, 130);
    loads->addWidget(DBGrid_PriceHistory2);
    auto* loadButtons = new QHBoxLayout;
    Button_PriceHistoryDel = named(new QPushButton(QStringLiteral("Удалить")), "Button_PriceHistoryDel");
    Button_PriceHistoryExcel = named(new QPushButton(QStringLiteral("в Excel")), "Button_PriceHistoryExcel");
    Button_PriceHistoryExcel->hide();
    loadButtons->addWidget(Button_PriceHistoryDel);
    loadButtons->addWidget(Button_PriceHistoryExcel);
    loadButtons->addStretch();
    loads->addLayout(loadButtons);
    row->addWidget(Panel_PriceHistory2, 2);

    Panel_PriceHistory = named(new QGroupBox(QStringLiteral("Товары из прошлых прайс-листов")), "Panel_PriceHistory");
    auto* find = new QGridLayout(Panel_PriceHistory);
    Edit_FindHistory = named(new QLineEdit, "Edit_FindHistory");
    Button_FindHistory = named(new QPushButton(QStringLiteral("Найти")), "Button_FindHistory");
    CheckBox_FindHistoryABC = named(new QCheckBox(QStringLiteral("Сортировать по алфавиту")), "CheckBox_FindHistoryABC");
    DBGrid_FindHistory = named(new QTableView, "DBGrid_FindHistory");
    DBGrid_FindHistory->setModel(model_);
    DBGrid_FindHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_FindHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_FindHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_FindHistory->verticalHeader()->hide();
    // The name takes what the price and the date leave.
    DBGrid_FindHistory->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    DBGrid_FindHistory->setColumnWidth(1, 50);
    DBGrid_FindHistory->setColumnWidth(2, 60);
    DBGrid_FindHistory->installEventFilter(this);
    find->addWidget(Edit_FindHistory, 0, 0);
    find->addWidget(Button_FindHistory, 0, 1);
    find->addWidget(CheckBox_FindHistoryABC, 1, 0, 1, 2);
    find->addWidget(DBGrid_FindHistory, 2, 0, 1, 2);
    row->addWidget(Panel_PriceHistory, 3);

    connect(Button_FindHistory, &QPushButton::clicked, this, &PriceHistoryPanel::Button_FindHistoryClick);
    connect(Edit_FindHistory, &QLineEdit::returnPressed, this, &PriceHistoryPanel::SearchPriceHistory);
    connect(CheckBox_FindHistoryABC, &QCheckBox::clicked, this, &PriceHistoryPanel::CheckBox_FindHistoryABCClick);
    connect(DBGrid_FindHistory, &QTableView::doubleClicked, this, &PriceHistoryPanel::DBGrid_FindHistoryDblClick);
    connect(DBGrid_PriceHistory2, &QTableWidget::cellDoubleClicked, this,
            &PriceHistoryPanel::DBGrid_PriceHistory2DblClick);
    connect(Button_PriceHistoryDel, &QPushButton::clicked, this, &PriceHistoryPanel::Button_PriceHistoryDelClick);
    connect(Button_PriceHistoryExcel, &QPushButton::clicked, this, &PriceHistoryPanel::Button_PriceHistoryExcelClick);

    if (orderDb_.isOpen())
        CheckBox_FindHistoryABC->setChecked(SettingsStore(orderDb_).readBoolean(kSortSetting, QStringLiteral("0")));
    setPanelsVisible(false);
}

PriceHistoryPanel::~PriceHistoryPanel() = default;

bool PriceHistoryPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a found row chooses it as a double-click does; the key goes no further.
    if (watched == DBGrid_FindHistory && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            DBGrid_FindHistoryDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Hidden, the panels take no room: the sheet settings under them follow
// the price list's box without a gap.
void PriceHistoryPanel::setPanelsVisible(bool visible)
{
    Panel_PriceHistory->setVisible(visible);
    Panel_PriceHistory2->setVisible(visible);
    setMinimumHeight(visible ? kShownHeight : 0);
}

bool PriceHistoryPanel::historyOn(const QString& name)
{
    return SettingsStore(orderDb_).readBoolean(name + kHistorySuffix, QStringLiteral("0"));
}

void PriceHistoryPanel::showPriceList(const QString& name, bool on)
{
    setPanelsVisible(on && !name.isEmpty());
    if (!on || name.isEmpty())
        return;
    reopenLoads();
    if (!Edit_FindHistory->text().isEmpty())
        SearchPriceHistory();
    else
        model_->clear();
}

void PriceHistoryPanel::CheckBox_PriceHistoryClick()
{
    const QString name = supplier();
    if (name.isEmpty() || !priceDb_.isOpen())
        return;
    const bool on = historyOn(name);
    showPriceList(name, on);
    if (!on)
        ClearPriceHistory(name, 0);
}

void PriceHistoryPanel::SearchPriceHistory()
{
    const QString name = supplier();
    if (name.isEmpty())
        return;
    model_->setResult(HistoryResult::search(name, Edit_FindHistory->text(), CheckBox_FindHistoryABC->isChecked()));
}

void PriceHistoryPanel::CheckBox_FindHistoryABCClick()
{
    if (!priceDb_.isOpen())
        return;
    SettingsStore(orderDb_).write(kSortSetting, QStringLiteral("TypeBoolean"),
                                  CheckBox_FindHistoryABC->isChecked() ? QStringLiteral("-1") : QStringLiteral("0"));
    SearchPriceHistory();
}

void PriceHistoryPanel::DBGrid_FindHistoryDblClick()
{
    const HistoryRow* row = model_->rowAt(DBGrid_FindHistory->currentIndex().row());
    if (supplier().isEmpty() || !row)
        return;
    // First the history narrows to the name; chosen again, the name is
    // searched among the current offers.
    if (Edit_FindHistory->text() != row->tovar) {
        Edit_FindHistory->setText(row->tovar);
        SearchPriceHistory();
    } else {
        emit goodsSearchRequested(row->tovar);
    }
}

void PriceHistoryPanel::DBGrid_PriceHistory2DblClick()
{
    const QString name = supplier();
    const int current = DBGrid_PriceHistory2->currentRow();
    if (name.isEmpty() || current < 0)
        return;
    Edit_FindHistory->clear();
    const double dates = DBGrid_PriceHistory2->item(current, 0)->data(kDatesRole).toDouble();
    try {
        model_->setResult(HistoryResult::oneLoad(name, dates, CheckBox_FindHistoryABC->isChecked()));
    } catch (const db::DbError&) {
        // The grid keeps what it showed.
    }
    DBGrid_FindHistory->setFocus();
}

void PriceHistoryPanel::Button_PriceHistoryDelClick()
{
    const int current = DBGrid_PriceHistory2->currentRow();
    if (current < 0 || DBGrid_PriceHistory2->item(current, 1)->data(kDatesRole).toInt() <= 0)
        return;
    ClearPriceHistory(supplier(), DBGrid_PriceHistory2->item(current, 0)->data(kDatesRole).toDouble());
}

void PriceHistoryPanel::Button_PriceHistoryExcelClick()
{
    const QString name = supplier();
    if (name.isEmpty())
        return;
    if (!HasStoredOffers(priceDb_, name) && messages_)
        messages_(kNothingToExportMessage);
}

void PriceHistoryPanel::ClearPriceHistory(const QString& name, double dates)
{
    if (name.isEmpty())
        return;
    DBGrid_PriceHistory2->setUpdatesEnabled(false);
    if (dates >= 1) {
        // The row after the deleted one (the last one at the end) stays current.
        std::optional<double> next;
        const int rows = DBGrid_PriceHistory2->rowCount();
        if (rows > 0) {
            const int after = std::min(DBGrid_PriceHistory2->currentRow() + 1, rows - 1);
            DBGrid_PriceHistory2->setCurrentCell(after, 0);
            next = DBGrid_PriceHistory2->item(after, 0)->data(kDatesRole).toDouble();
        }
        if (ask(DeleteLoadQuestion(dates))) {
            DeleteStoredLoad(priceDb_, name, dates);
            reopenLoads(next);
            model_->reload(); // the found rows of the load go with it
        }
    } else {
        reopenLoads();
        if (DBGrid_PriceHistory2->rowCount() > 0 && ask(ClearHistoryQuestion(name))) {
            DeleteWholeHistory(priceDb_, name);
            reopenLoads();
            model_->reload();
        }
    }
    DBGrid_PriceHistory2->setUpdatesEnabled(true);
}

void PriceHistoryPanel::reopenLoads(std::optional<double> current)
{
    const QString name = supplier();
    const QVector<StoredLoad> loads = name.isEmpty() ? QVector<StoredLoad>() : ReadStoredLoads(priceDb_, name);
    DBGrid_PriceHistory2->setRowCount(int(loads.size()));
    int currentRow = loads.isEmpty() ? -1 : 0;
    for (int r = 0; r < loads.size(); ++r) {
        auto* stamp = new QTableWidgetItem(LoadStampText(loads[r].dates));
        stamp->setData(kDatesRole, loads[r].dates);
        auto* count = new QTableWidgetItem(QString::number(loads[r].countTovar));
        count->setData(kDatesRole, loads[r].countTovar);
        DBGrid_PriceHistory2->setItem(r, 0, stamp);
        DBGrid_PriceHistory2->setItem(r, 1, count);
        if (current && loads[r].dates == *current)
            currentRow = r;
    }
    if (currentRow >= 0)
        DBGrid_PriceHistory2->setCurrentCell(currentRow, 0);
}

} // namespace velmora::history
