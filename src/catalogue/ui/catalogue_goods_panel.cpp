#include "catalogue_goods_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora::catalogue {

namespace {

template <typename Button>
Button* namedButton(const QString& name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* button = new Button(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

} // namespace

CatalogueGoodsPanel::CatalogueGoodsPanel(db::Connection& priceDb, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel_PriceMain"));
    model_ = new CatalogueGoodsModel(priceDb, this);

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("Edit_TovarFilter"));
    filter_->setPlaceholderText(QStringLiteral("Часть названия товара"));
    filterButton_ = namedButton<QToolButton>(QStringLiteral("SpeedButton_TovarFilter"), QStringLiteral("Фильтр"),
                                             QStringLiteral("Показать товары, в названии которых есть текст"), this);
    allButton_ = namedButton<QToolButton>(QStringLiteral("SpeedButton_TovarAll"), QStringLiteral("Все"),
                                          QStringLiteral("Показать все товары группы"), this);
    add_ = namedButton<QPushButton>(QStringLiteral("Button_MainTovAdd"), QStringLiteral("Добавить"), QString(), this);
    edit_ = namedButton<QPushButton>(QStringLiteral("Button_MainTovEdit"), QStringLiteral("Редактировать"), QString(),
                                     this);
    delete_ = namedButton<QPushButton>(QStringLiteral("Button_MainTovDel"), QStringLiteral("Удалить"), QString(), this);
    addZakaz_ = namedButton<QPushButton>(QStringLiteral("Button_AddZakaz"), QStringLiteral("в Заказ"),
                                         QStringLiteral("Добавить товар в форму для оформление заказа"), this);
    addZakaz_->hide();

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid_PriceMain"));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->verticalHeader()->hide();
    // Prices are short; the name takes the room. Every column shows its
    // whole title.
    QHeaderView* header = grid_->horizontalHeader();
    for (int column = 0; column < model_->columnCount(); ++column)
        grid_->setColumnWidth(column, std::max(80, header->sectionSizeHint(column)));
    grid_->setColumnWidth(CatalogueGoodsModel::ColArt, 100);
    grid_->setColumnWidth(CatalogueGoodsModel::ColTovar, 320);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu_Tovar"));
    menu_->addAction(QStringLiteral("Переместить товар в другую группу"))->setObjectName(QStringLiteral("CopyTovar"));
    menu_->addAction(QStringLiteral("Вставить товар в данную группу"))->setObjectName(QStringLiteral("InsertTovar"));
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(grid_->viewport()->mapToGlobal(at)); });

    auto* top = new QHBoxLayout;
    top->addWidget(filter_, 1);
    top->addWidget(filterButton_);
    top->addWidget(allButton_);
    top->addSpacing(12);
    top->addWidget(add_);
    top->addWidget(edit_);
    top->addWidget(delete_);
    top->addWidget(addZakaz_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);

    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentGoodChanged(model_->codeAt(current.row())); });
    // A reopened list starts at its first good.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (model_->rowCount() > 0)
            grid_->setCurrentIndex(model_->index(0, CatalogueGoodsModel::ColTovar));
        else
            emit currentGoodChanged(0);
    });
}

qint64 CatalogueGoodsPanel::currentCode() const { return model_->codeAt(grid_->currentIndex().row()); }

QList<qint64> CatalogueGoodsPanel::markedCodes() const
{
    QList<qint64> codes;
    const QModelIndexList rows = grid_->selectionModel()->selectedRows();
    for (const QModelIndex& row : rows)
        codes << model_->codeAt(row.row());
    return codes;
}

QList<qint64> CatalogueGoodsPanel::chosenCodes() const
{
    const QList<qint64> marked = markedCodes();
    if (marked.size() >= 2)
        return marked;
    const qint64 current = currentCode();
    return current > 0 ? QList<qint64>{current} : QList<qint64>{};
}

bool CatalogueGoodsPanel::moveToCode(qint64 code)
{
    const int row = model_->rowOfCode(code);
    if (row < 0)
        return false;
    grid_->setCurrentIndex(model_->index(row, CatalogueGoodsModel::ColTovar));
    grid_->scrollTo(grid_->currentIndex());
    return true;
}

void CatalogueGoodsPanel::moveToRow(int row)
{
    if (model_->goodsCount() == 0)
        return;
    row = std::clamp(row, 0, model_->goodsCount() - 1);
    moveToCode(model_->codeAt(row));
}

} // namespace velmora::catalogue
