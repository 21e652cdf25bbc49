#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QPoint>
#include <QTreeWidget>

#include <functional>

class QMenu;

namespace velmora::catalogue {

// The group commands whose windows other parts of the program provide:
// markup or warranty of a group ("Nacen" / "Garant"), markup thresholds,
// the minimum-price recalculation and the automatic matching of a group.
// Each gets the group's code; an unset one leaves its menu item disabled.
struct GroupCommandHooks {
    std::function<void(qint64 groupCode, const QString& column)> OpenGroupValue;
    std::function<void(qint64 groupCode)> OpenMarkupThresholds;
    std::function<void(qint64 groupCode)> RecalcMinPrices;
    std::function<void(qint64 groupCode)> FindMatchesInGroup;
};

// TreeView_Groups: the goods group tree. Each node shows a group's name
// with its picture and carries its code (kCodeRole); children are read
// when a node is first expanded (until then it holds the placeholder
// child " "). Its pop-up menu PopupMenu_Tree holds the group commands;
// groups are moved by dragging them onto another group (before it; with
// Shift held, as its first child). A group's name is edited in place (F2,
// a second slow click on the selected node, "Переименовать группу") and
// stored as soon as the editor closes; an empty name is refused.
class GroupTreeView : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kCodeRole = Qt::UserRole;

    explicit GroupTreeView(db::Connection& priceDb, QWidget* parent = nullptr);

    // Where messages and Yes/No questions go; without them nothing is shown
    // and every question is answered No.
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    void setQuestionHandler(std::function<bool(const QString&)> ask) { ask_ = std::move(ask); }
    // Read when the menu opens and when a command runs, so hooks set later
    // take effect.
    void setGroupCommandHooks(std::function<GroupCommandHooks()> hooks) { hooks_ = std::move(hooks); }

    QMenu* popupMenu() const { return menu_; }
    // The selected node's group; 0 when none is selected.
    qint64 selectedGroup() const;
    // True when the node of the goods of no group ("Без группы") is
    // selected; selectedGroup() is then 0.
    bool ungroupedSelected() const;
    QTreeWidgetItem* nodeOfCode(qint64 code) const;
    // Expands the groups from the top down to it and selects its node:
    // false when it is not shown in the tree.
    bool selectGroup(qint64 code);

public slots:
    // Fills the top level. When the tree cannot be read, asks whether to
    // restore the catalogue from its backup copy; a restore asks for the
    // program to end (programEndRequested). False when the read failed.
    bool LoadGroupTreeRoot();
    void TreeView1Expanded(QTreeWidgetItem* node);
    // A new group under the parent node (none: a category), selected.
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, int picture, const QString& caption);
    void AddUpGroupClick();
    void AddGroupClick();
    void RenameGroupClick();
    void DelGroupClick();
    void SortClick();
    void SpeedButton_TreeClick();
    void NacenGroupClick();
    void GarantGroupClick();
    void DopNacenGroupClick();
    void KatMinPriceClick();
    void KatAutoKritClick();

public:
    // True when the node's name may be edited: it is a group's.
    bool TreeView1Editing(const QTreeWidgetItem* node) const;
    // Stores the edited name of the node's group and shows it on the node;
    // an empty name is refused with kEmptyGroupNameMessage (shown once the
    // editor has closed) and the node keeps its name. False when refused.
    bool TreeView1Change(QTreeWidgetItem* node, const QString& text);

signals:
    // The selected group changed (0: none).
    void groupChosen(qint64 code);
    // Goods may have changed with the groups: totals and list are shown anew.
    void goodsChanged();
    // Collapsed by SpeedButton_Tree: the goods list is reopened.
    void collapsedAll();
    void programEndRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    using QTreeWidget::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void buildMenu();
    void TreeView1MouseDown(QMouseEvent* event);
    bool TreeView1DragOver(QDragMoveEvent* event);
    void TreeView1DragDrop(QDropEvent* event);
    QTreeWidgetItem* makeNode(QTreeWidgetItem* parent, qint64 code, const QString& caption, int picture,
                              bool hasChildren);
    void fillChildren(QTreeWidgetItem* parent);
    // Reads the tree again, expanding what was expanded, and selects a group.
    void reload(qint64 selectCode);
    void runGroupCommand(const std::function<void(const GroupCommandHooks&, qint64)>& command);
    void report(const QString& text) const;
    void reportLater(const QString& text);
    bool ask(const QString& question) const;

    db::Connection& priceDb_;
    QMenu* menu_ = nullptr;
    MessageSink messages_;
    std::function<bool(const QString&)> ask_;
    std::function<GroupCommandHooks()> hooks_;
    QPoint pressPos_;
    qint64 dragSource_ = 0;
    bool asChild_ = false;
};

} // namespace velmora::catalogue
