#include "goods_grid.h"

#include "goods_columns.h"
#include "supplier_goods_model.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace velmora::search {

GoodsGrid::GoodsGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DBGrid_Tovar"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &GoodsGrid::titleClicked);
    connect(this, &QTableView::doubleClicked, this, [this] { emit cardRequested(); });
}

void GoodsGrid::setGoodsModel(SupplierGoodsModel* model)
{
    setModel(model);
    const auto& columns = goodsColumns();
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns.at(i).designWidth);
}

void GoodsGrid::showRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, std::max(0, currentIndex().column()));
    setCurrentIndex(index);
    selectRow(row);
    scrollTo(index);
}

int GoodsGrid::currentRowIndex() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void GoodsGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit cardRequested();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GoodsGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() || !previous.isValid())
        emit currentRowChanged(current.isValid() ? current.row() : -1);
}

} // namespace velmora::search
