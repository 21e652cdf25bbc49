#include "item_list_page.h"

#include "item_list_model.h"
#include "remainder_move.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora::catalogue {
namespace {

// The names of one page's controls.
struct PageNames {
    const char* grid;
    const char* counter;
    const char* filter;
    const char* suppliers;
    const char* filterButton;
    const char* allButton;
    const char* selectAllButton;
};

constexpr PageNames kRemainderNames{"DBCtrlGrid_Ostatok",        "Label_OstatokVsego",    "Edit_OstatokFilter",
                                    "ComboBox_Ost",              "SpeedButton_OstatokFilter", "SpeedButton_OstatokAll",
                                    "SpeedButton_SelectAllOst"};
constexpr PageNames kTrashNames{"DBCtrlGrid_Musor",        "Label_MusorVsego",     "Edit_MusorFilter",
                                "ComboBox_Musor",          "SpeedButton_MusorFilter", "SpeedButton_MusorAll",
                                "SpeedButton_SelectAllMusor"};

QToolButton* toolButton(QWidget* parent, const char* name, const char* text)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(QString::fromUtf8(text));
    button->setToolTip(QString::fromUtf8(text));
    return button;
}

QPushButton* pushButton(QWidget* parent, const char* name, const char* text)
{
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

ItemListPage::ItemListPage(db::Connection& priceDb, ItemTable table, ItemPageDialogs dialogs, QWidget* parent)
    : QWidget(parent), priceDb_(priceDb), table_(table), dialogs_(std::move(dialogs))
{
    const bool remainder = table == ItemTable::Remainder;
    const PageNames& names = remainder ? kRemainderNames : kTrashNames;
    setObjectName(remainder ? QStringLiteral("Panel_Ostatok") : QStringLiteral("Panel_Musor"));

    auto* bar = new QHBoxLayout;
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QLatin1String(names.filter));
    suppliers_ = new QComboBox(this);
    suppliers_->setObjectName(QLatin1String(names.suppliers));
    suppliers_->setToolTip(QStringLiteral("Отобрать товары по выбранному поставщику"));
    suppliers_->setMinimumContentsLength(20);
    QToolButton* filterButton = toolButton(this, names.filterButton, "Отобрать данные");
    QToolButton* allButton = toolButton(this, names.allButton, "Отменить отбор");
    QToolButton* selectAll = toolButton(this, names.selectAllButton, "Отметить (снять отметку) для всех товаров");
    counter_ = new QLabel(this);
    counter_->setObjectName(QLatin1String(names.counter));
    bar->addWidget(filter_, 1);
    bar->addWidget(suppliers_);
    bar->addWidget(filterButton);
    bar->addWidget(allButton);
    bar->addWidget(selectAll);
    bar->addWidget(counter_);

    model_ = new ItemListModel(priceDb_, this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QLatin1String(names.grid));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    auto* commands = new QHBoxLayout;
    commands->addStretch();
    if (remainder) {
        QPushButton* toTrash = pushButton(this, "Button_OstatokMusor", "Отправить указанные товары в мусорный бак");
        QPushButton* toGood = pushButton(this, "Button_AddOstSootv", "Добавить в таблицу соответствий");
        commands->addWidget(toTrash);
        commands->addWidget(toGood);
        connect(toTrash, &QPushButton::clicked, this, &ItemListPage::Button_OstatokMusorClick);
        connect(toGood, &QPushButton::clicked, this, &ItemListPage::Button_AddOstSootvClick);
        popup_ = new QMenu(this);
        popup_->setObjectName(QStringLiteral("PopupMenu_Ostatok"));
        QAction* move = popup_->addAction(QStringLiteral("Переместить товар в таблицу соответсвий"));
        move->setObjectName(QStringLiteral("AddOstSootv"));
        connect(move, &QAction::triggered, this, &ItemListPage::Button_AddOstSootvClick);
        grid_->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid_, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& at) { popup_->popup(grid_->viewport()->mapToGlobal(at)); });
    } else {
        QPushButton* erase = pushButton(this, "Button_MusorErase", "Уничтожить товар");
        commands->addWidget(erase);
        connect(erase, &QPushButton::clicked, this, &ItemListPage::Button_MusorEraseClick);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(grid_, 1);
    layout->addLayout(commands);

    connect(filterButton, &QToolButton::clicked, this, &ItemListPage::FilterClick);
    connect(filter_, &QLineEdit::returnPressed, this, &ItemListPage::FilterClick);
    connect(suppliers_, &QComboBox::activated, this, &ItemListPage::FilterClick);
    connect(allButton, &QToolButton::clicked, this, &ItemListPage::AllClick);
    connect(selectAll, &QToolButton::clicked, this, &ItemListPage::SelectAllClick);
    connect(model_, &ItemListModel::itemTicked, this, [this](qint64 key) { anchor_ = key; });
}

ItemListPage::~ItemListPage() = default;

bool ItemListPage::ask(const QString& text) const { return dialogs_.confirm && dialogs_.confirm(text); }

void ItemListPage::openList(const ItemListQuery& query, qint64 keepKey)
{
    const int oldRow = grid_->currentIndex().row();
    model_->setList(ItemList(priceDb_, query));
    showCounter();
    const qint64 size = model_->list().size();
    if (size == 0)
        return;
    qint64 row = keepKey ? model_->list().rowOf(keepKey) : -1;
    if (row < 0)
        row = std::clamp<qint64>(oldRow, 0, size - 1); // the anchor left: the nearest row
    grid_->setCurrentIndex(model_->index(int(row), 1));
}

void ItemListPage::showCounter()
{
    counter_->setText(itemCounterText(model_->list().size(), countItems(priceDb_, table_)));
}

qint64 ItemListPage::anchorAfterCurrent()
{
    // The position to come back to: the row after the item ticked last.
    const qint64 row = anchor_ ? model_->list().rowOf(anchor_) : grid_->currentIndex().row();
    const qint64 next = model_->keyAt(int(row + 1));
    return next ? next : model_->keyAt(int(row));
}

void ItemListPage::showPage()
{
    clearItemTicks(priceDb_, table_);
    openList(shownItems(table_), 0);
    if (suppliers_->count() == 0) {
        suppliers_->addItems(supplierChoice(priceDb_));
        suppliers_->setCurrentIndex(0);
    }
    toggle_ = false;
}

void ItemListPage::FilterClick()
{
    clearItemTicks(priceDb_, table_);
    const QString supplier = suppliers_->currentIndex() > 0 ? suppliers_->currentText() : allSuppliersEntry();
    openList(filteredItems(table_, filter_->text(), supplier), 0);
}

void ItemListPage::AllClick()
{
    clearItemTicks(priceDb_, table_);
    filter_->clear();
    if (suppliers_->count() > 0)
        suppliers_->setCurrentIndex(0);
    openList(allItemsAfterCancel(table_), 0);
}

void ItemListPage::SelectAllClick()
{
    if (!model_->list().isOpen())
        return;
    model_->list().tickAll(!toggle_);
    model_->reread();
    toggle_ = !toggle_;
}

void ItemListPage::Button_OstatokMusorClick()
{
    const qint64 keep = anchorAfterCurrent();
    sendTickedItemsToTrash(priceDb_);
    anchor_ = keep;
    openList(model_->list().query(), keep);
    toggle_ = false;
}

void ItemListPage::Button_AddOstSootvClick()
{
    const qint64 keep = anchorAfterCurrent();
    const MoveResult result = moveTickedItemsWithQuestion(
        priceDb_, good_, [this](const QString& text) { return ask(text); },
        [this](const QString& text) {
            if (dialogs_.message)
                dialogs_.message(text);
        });
    if (good_ == 0)
        return;
    anchor_ = keep;
    clearItemTicks(priceDb_, table_);
    openList(model_->list().query(), keep);
    toggle_ = false;
    if (result.moved > 0)
        emit correspondencesChanged(good_);
}

void ItemListPage::Button_MusorEraseClick()
{
    if (!ask(QStringLiteral("Удалить выбранные товары из мусорного бака ?")))
        return;
    eraseTickedTrashItems(priceDb_);
    openList(model_->list().query(), 0);
    toggle_ = false;
}

void ItemListPage::EmptyTrashClick()
{
    if (!ask(QStringLiteral("Удалить все товары из мусорного бака ?")))
        return;
    emptyTrash(priceDb_);
    if (model_->list().isOpen())
        openList(model_->list().query(), 0);
    else
        showCounter();
}

} // namespace velmora::catalogue
