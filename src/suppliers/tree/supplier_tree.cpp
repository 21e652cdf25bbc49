#include "suppliers/tree/supplier_tree.h"

#include "platform/db/day_numbers.h"
#include "suppliers/tree/price_lists.h"
#include "suppliers/tree/supplier_commands.h"

#include <QDate>
#include <QFont>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStyle>

namespace velmora {

QString DeletePriceListQuestion(const QString& name)
{
    return QStringLiteral("Удалить прайс-лист \"%1\"?\r\rБудут удалены все его товары, настройки листов и история цен.")
        .arg(name);
}

SupplierTree::SupplierTree(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent)
    : QTreeWidget(parent), priceDb_(priceDb), orderDb_(orderDb)
{
    setObjectName(QStringLiteral("TreeView1"));
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, QColor(0, 128, 0));
    setPalette(pal);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu_Postav"));
    QAction* add = menu_->addAction(QStringLiteral("Добавить"), this, &SupplierTree::AddPriceClick);
    add->setObjectName(QStringLiteral("AddPrice"));
    QAction* del = menu_->addAction(QStringLiteral("Удалить"), this, &SupplierTree::DelPriceClick);
    del->setObjectName(QStringLiteral("DelPrice"));
    QAction* sort = menu_->addAction(QStringLiteral("По алфавиту"), this, &SupplierTree::SortPostavClick);
    sort->setObjectName(QStringLiteral("SortPostav"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { menu_->popup(viewport()->mapToGlobal(pos)); });
    connect(this, &QTreeWidget::itemClicked, this, [this] { TreeView1Click(); });
}

void SupplierTree::setLoadQueue(LoadQueueNames* names, QListWidget* queueBox)
{
    queueNames_ = names;
    queueBox_ = queueBox;
}

bool SupplierTree::ask(const QString& question) const { return ask_ ? ask_(question) : false; }

QString SupplierTree::selectedName() const
{
    const QTreeWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text(0) : QString();
}

qint64 SupplierTree::selectedId() const
{
    const QTreeWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->data(0, kIdRole).toLongLong() : 0;
}

QTreeWidgetItem* SupplierTree::nodeOfId(qint64 id) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->data(0, kIdRole).toLongLong() == id)
            return topLevelItem(i);
    }
    return nullptr;
}

bool SupplierTree::selectByName(const QString& name)
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->text(0) == name) {
            setCurrentItem(topLevelItem(i));
            return true;
        }
    }
    return false;
}

void SupplierTree::setPicture(QTreeWidgetItem* item, bool disabled)
{
    item->setData(0, kPictureRole, disabled ? kPictureDisabled : kPictureEnabled);
    item->setIcon(0, style()->standardIcon(disabled ? QStyle::SP_DialogCancelButton : QStyle::SP_FileIcon));
}

void SupplierTree::rebuildNodes()
{
    setUpdatesEnabled(false);
    clear();
    for (const PriceListRow& row : ReadPriceLists(priceDb_)) {
        auto* item = new QTreeWidgetItem(this, QStringList{row.Postavshik});
        item->setData(0, kIdRole, row.Id);
        setPicture(item, IsPriceListDisabled(orderDb_, row.Postavshik));
    }
    setUpdatesEnabled(true);
}

void SupplierTree::refillQueueBox()
{
    if (!queueBox_ || !queueNames_)
        return;
    queueBox_->clear();
    queueBox_->addItems(queueNames_->names());
}

void SupplierTree::selectInQueueBox(const QString& name)
{
    if (!queueBox_)
        return;
    queueBox_->clearSelection();
    if (!queueBox_->isVisible())
        return;
    for (int i = 0; i < queueBox_->count(); ++i) {
        if (queueBox_->item(i)->text() == name) {
            queueBox_->setCurrentRow(i);
            return;
        }
    }
}

void SupplierTree::selectFirstAndShow()
{
    if (topLevelItemCount() == 0) {
        emit priceListChosen(QString(), 0);
        return;
    }
    QTreeWidgetItem* first = topLevelItem(0);
    setCurrentItem(first);
    emit priceListChosen(first->text(0), first->data(0, kIdRole).toLongLong());
}

void SupplierTree::BuildSupplierTree()
{
    const std::vector<PriceListRow> rows = ReadPriceLists(priceDb_);
    if (queueNames_)
        *queueNames_ = LoadQueueNames::fromPriceLists(rows);
    rebuildNodes();
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
    emit goodsSearchRequested();
    selectFirstAndShow();
    refillQueueBox();
    emit loadQueueRebuilt(LoadQueueNames::fromPriceLists(rows).names());
}

void SupplierTree::TreeView1Click()
{
    QTreeWidgetItem* item = currentItem();
    if (!item)
        return;
    emit priceListChosen(item->text(0), item->data(0, kIdRole).toLongLong());
    selectInQueueBox(item->text(0));
}

void SupplierTree::AddPriceClick()
{
    const std::optional<qint64> id = AddPriceList(priceDb_, db::dayNumber(QDate::currentDate()));
    if (!id) {
        // The unnamed entry is there already: take the user to it.
        if (selectByName(kNewPriceListName))
            TreeView1Click();
        return;
    }
    auto* item = new QTreeWidgetItem(this, QStringList{kNewPriceListName});
    item->setData(0, kIdRole, *id);
    setPicture(item, false);
    if (queueNames_)
        queueNames_->set(int(*id), kNewPriceListName);
    setCurrentItem(item);
    emit priceListSettingsChanged();
    emit priceListChosen(kNewPriceListName, *id);
}

void SupplierTree::DelPriceClick()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    if (!ask(DeletePriceListQuestion(name)))
        return;
    const int row = indexOfTopLevelItem(currentItem());
    if (!DeletePriceList(priceDb_, name))
        return;
    emit priceListSettingsChanged();
    if (queueNames_)
        queueNames_->remove(name);
    if (queueBox_) {
        for (int i = queueBox_->count() - 1; i >= 0; --i) {
            if (queueBox_->item(i)->text() == name)
                delete queueBox_->takeItem(i);
        }
    }
    emit priceListDeleted(name);
    emit priceListsRenumbered();
    rebuildNodes();
    if (topLevelItemCount() > 0) {
        QTreeWidgetItem* next = topLevelItem(std::min(row, topLevelItemCount() - 1));
        setCurrentItem(next);
        emit priceListChosen(next->text(0), next->data(0, kIdRole).toLongLong());
    } else {
        emit priceListChosen(QString(), 0);
    }
    emit goodsSearchRequested();
}

void SupplierTree::SortPostavClick()
{
    const QString selected = selectedName();
    SortPriceLists(priceDb_);
    rebuildNodes();
    if (!selected.isEmpty())
        selectByName(selected);
    emit priceListsRenumbered();
    emit priceListSettingsChanged();
}

void SupplierTree::onPriceListRenamed(qint64 id, const QString& oldName, const QString& newName)
{
    if (QTreeWidgetItem* item = nodeOfId(id))
        item->setText(0, newName);
    if (queueNames_) {
        for (int i = 0; i < queueNames_->size(); ++i) {
            if (queueNames_->at(i) == oldName)
                queueNames_->set(i, newName);
        }
    }
    if (queueBox_) {
        for (int i = 0; i < queueBox_->count(); ++i) {
            if (queueBox_->item(i)->text() == oldName)
                queueBox_->item(i)->setText(newName);
        }
    }
}

void SupplierTree::onPriceListDisabledChanged(const QString& name, bool disabled)
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->text(0) == name)
            setPicture(topLevelItem(i), disabled);
    }
}

QMimeData* SupplierTree::mimeData(const QList<QTreeWidgetItem*>& items) const
{
    QMimeData* data = QTreeWidget::mimeData(items);
    if (!data)
        data = new QMimeData;
    if (!items.isEmpty())
        data->setText(items.first()->text(0));
    return data;
}

} // namespace velmora
