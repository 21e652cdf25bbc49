#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "suppliers/tree/load_queue.h"

#include <QTreeWidget>

#include <functional>

class QListWidget;
class QMenu;

namespace velmora {

// TreeView1: the flat tree of supplier price lists (one node per
// AllPostavSetup row: text = name, data = Id, picture 5 when disabled,
// else 1), with the pop-up menu "Добавить" / "Удалить" / "По алфавиту". It
// also keeps LoadQueueNames and the queue box in step with the lists. A
// node is dragged to the load queue as plain text holding its name.
//
// The window that places the tree connects it to the settings tab
// (ConnectSupplierTreeAndSetupTab) and to the goods search.
class SupplierTree : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kIdRole = Qt::UserRole;
    static constexpr int kPictureRole = Qt::UserRole + 1;
    static constexpr int kPictureEnabled = 1;
    static constexpr int kPictureDisabled = 5;

    SupplierTree(db::Connection& priceDb, db::Connection& orderDb, QWidget* parent = nullptr);

    // The queue names and the queue list box (ListBox_LoadPrice) this tree
    // fills; either may be null.
    void setLoadQueue(LoadQueueNames* names, QListWidget* queueBox);
    // Where messages and Yes/No questions go (none: nothing is shown and
    // every question is answered No).
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    void setQuestionHandler(Question ask) { ask_ = std::move(ask); }

    QMenu* popupMenu() const { return menu_; }
    QString selectedName() const;
    qint64 selectedId() const;
    QTreeWidgetItem* nodeOfId(qint64 id) const;
    bool selectByName(const QString& name);
    // A dragged node carries its name as plain text for the load queue.
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;

public slots:
    // Rebuilds the tree, LoadQueueNames and the queue box from
    // AllPostavSetup, selects the first node and shows its settings.
    void BuildSupplierTree();
    // Selection of a node: shows its settings.
    void TreeView1Click();
    void AddPriceClick();
    // Asks first; deletes the selected list with its data and drops it from
    // the load queue.
    void DelPriceClick();
    void SortPostavClick();

    // Keep the nodes in step with changes made on the settings tab.
    void onPriceListRenamed(qint64 id, const QString& oldName, const QString& newName);
    void onPriceListDisabledChanged(const QString& name, bool disabled);

signals:
    // The node the user chose (or that the tree selected after a change):
    // the settings tab shows it.
    void priceListChosen(const QString& name, qint64 id);
    // The tree's lists changed: the goods search runs again.
    void goodsSearchRequested();
    // A price-list setting was changed (PriceListSettingsChanged is set).
    void priceListSettingsChanged();
    // The lists' Ids were written anew (sort, delete): whoever holds an Id
    // looks it up again by the list's name.
    void priceListsRenumbered();
    // The load queue's names after BuildSupplierTree: every list in Id order.
    void loadQueueRebuilt(const QStringList& names);
    // A list was deleted: it leaves the load queue (LoadQueueNames and the
    // box given to setLoadQueue are updated here already).
    void priceListDeleted(const QString& name);


private:
    void rebuildNodes();
    void setPicture(QTreeWidgetItem* item, bool disabled);
    void selectFirstAndShow();
    void refillQueueBox();
    void selectInQueueBox(const QString& name);
    bool ask(const QString& question) const;

    db::Connection& priceDb_;
    db::Connection& orderDb_;
    LoadQueueNames* queueNames_ = nullptr;
    QListWidget* queueBox_ = nullptr;
    QMenu* menu_ = nullptr;
    MessageSink messages_;
    Question ask_;
};

// The question DelPriceClick asks before anything is deleted.
QString DeletePriceListQuestion(const QString& name);

} // namespace velmora
