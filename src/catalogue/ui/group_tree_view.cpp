#include "group_tree_view.h"

#include "catalogue/group_tree.h"

#include "platform/db/db_error.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>

namespace velmora::catalogue {

namespace {

const QString kPlaceholder = QStringLiteral(" ");
const QString kGroupMime = QStringLiteral("application/x-velmora-group");
constexpr int kPictureRole = Qt::UserRole + 1;
// The node of the goods of no group: it takes no subgroups and no group
// commands.
constexpr int kUngroupedRole = Qt::UserRole + 2;
// The pointer moves this far with the button down before a drag begins.
constexpr int kDragStartPixels = 2;

bool isPlaceholder(const QTreeWidgetItem* item)
{
    return item && !item->data(0, GroupTreeView::kCodeRole).isValid() && item->text(0) == kPlaceholder;
}

qint64 codeOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, GroupTreeView::kCodeRole).toLongLong() : 0;
}

bool isUngrouped(const QTreeWidgetItem* item)
{
    return item && item->data(0, kUngroupedRole).toBool();
}

struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut;
    void (GroupTreeView::*handler)();
    // The view answers the key itself (F2 edits the current node), so the
    // menu only shows it.
    bool keyOfTheView = false;
};

// PopupMenu_Tree in its order; a null name is a separator.
const MenuItem kMenu[] = {
    {"AddUpGroup", "Добавить категорию", "Ctrl+Insert", &GroupTreeView::AddUpGroupClick},
    {"AddGroup", "Добавить подгруппу", "Shift+Insert", &GroupTreeView::AddGroupClick},
    {"RenameGroup", "Переименовать группу", "F2", &GroupTreeView::RenameGroupClick, true},
    {"DelGroup", "Удалить   группу", "Shift+Delete", &GroupTreeView::DelGroupClick},
    {"N20", nullptr, nullptr, nullptr},
    {"Sort", "Сортировать по названию", nullptr, &GroupTreeView::SortClick},
    {"N4", nullptr, nullptr, nullptr},
    {"NacenGroup", "Установить наценку", nullptr, &GroupTreeView::NacenGroupClick},
    {"GarantGroup", "Установить гарантию", nullptr, &GroupTreeView::GarantGroupClick},
    {"N3", nullptr, nullptr, nullptr},
    {"DopNacenGroup", "Пороги дополнительной наценки", nullptr, &GroupTreeView::DopNacenGroupClick},
    {"N7", nullptr, nullptr, nullptr},
    {"KatMinPrice", "Пересчитать цены в группе", nullptr, &GroupTreeView::KatMinPriceClick},
    {"KatAutoKrit", "Найти соответствия в группе", "Ctrl+F7", &GroupTreeView::KatAutoKritClick},
    {"IconEdits", "Изменить иконку", nullptr, nullptr},
};

// The selected node is drawn on sky blue (#A6CAF0) in a black, underlined
// font. A node's edited name goes to `commit`, which stores it and shows
// it on the node, or refuses it.
class GroupNodeDelegate : public QStyledItemDelegate {
public:
    using Commit = std::function<void(const QModelIndex&, const QString&)>;
    GroupNodeDelegate(QObject* parent, Commit commit) : QStyledItemDelegate(parent), commit_(std::move(commit)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(kGroupNameLength);
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            commit_(index, line->text());
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            return;
        option->palette.setColor(QPalette::Highlight, QColor(0xA6, 0xCA, 0xF0));
        option->palette.setColor(QPalette::HighlightedText, Qt::black);
        option->font.setUnderline(true);
    }

private:
    Commit commit_;
};

} // namespace

GroupTreeView::GroupTreeView(db::Connection& priceDb, QWidget* parent) : QTreeWidget(parent), priceDb_(priceDb)
{
    setObjectName(QStringLiteral("TreeView_Groups"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    // The view scrolls itself at its edges while a group is dragged.
    setAutoScroll(false);
    // F2 or a second, slow click on the selected node edits its name.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new GroupNodeDelegate(
        this, [this](const QModelIndex& index, const QString& text) { TreeView1Change(itemFromIndex(index), text); }));
    buildMenu();
    connect(this, &QTreeWidget::itemExpanded, this, &GroupTreeView::TreeView1Expanded);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { emit groupChosen(codeOf(current)); });
}

void GroupTreeView::buildMenu()
{
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu_Tree"));
    for (const MenuItem& item : kMenu) {
        QAction* action = item.caption ? menu_->addAction(QString::fromUtf8(item.caption)) : menu_->addSeparator();
        action->setObjectName(QLatin1String(item.name));
        if (item.shortcut) {
            action->setShortcut(QKeySequence(QLatin1String(item.shortcut)));
            action->setShortcutContext(item.keyOfTheView ? Qt::WidgetShortcut : Qt::WidgetWithChildrenShortcut);
            if (!item.keyOfTheView)
                addAction(action);
        }
        if (item.handler)
            connect(action, &QAction::triggered, this, item.handler);
    }
    menu_->findChild<QAction*>(QStringLiteral("IconEdits"))->setVisible(false);
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        const GroupCommandHooks hooks = hooks_ ? hooks_() : GroupCommandHooks{};
        const std::pair<const char*, bool> hooked[] = {
            {"NacenGroup", bool(hooks.OpenGroupValue)},
            {"GarantGroup", bool(hooks.OpenGroupValue)},
            {"DopNacenGroup", bool(hooks.OpenMarkupThresholds)},
            {"KatMinPrice", bool(hooks.RecalcMinPrices)},
            {"KatAutoKrit", bool(hooks.FindMatchesInGroup)},
        };
        const bool ungrouped = ungroupedSelected();
        for (const auto& [name, set] : hooked)
            menu_->findChild<QAction*>(QLatin1String(name))->setEnabled(set && !ungrouped);
        for (const char* name : {"AddGroup", "DelGroup", "Sort"})
            menu_->findChild<QAction*>(QLatin1String(name))->setEnabled(!ungrouped);
        menu_->findChild<QAction*>(QStringLiteral("RenameGroup"))->setEnabled(TreeView1Editing(currentItem()));
    });
}

qint64 GroupTreeView::selectedGroup() const { return codeOf(currentItem()); }

bool GroupTreeView::ungroupedSelected() const { return isUngrouped(currentItem()); }

QTreeWidgetItem* GroupTreeView::nodeOfCode(qint64 code) const
{
    for (QTreeWidgetItemIterator it(const_cast<GroupTreeView*>(this)); *it; ++it)
        if (codeOf(*it) == code)
            return *it;
    return nullptr;
}

bool GroupTreeView::selectGroup(qint64 code)
{
    std::vector<qint64> path;
    for (qint64 up = code; up > 0 && path.size() <= 64; up = groupParent(priceDb_, up))
        path.insert(path.begin(), up);
    QTreeWidgetItem* node = nullptr;
    for (qint64 step : path) {
        QTreeWidgetItem* found = nullptr;
        const int count = node ? node->childCount() : topLevelItemCount();
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem* child = node ? node->child(i) : topLevelItem(i);
            if (codeOf(child) == step)
                found = child;
        }
        if (!found)
            return false;
        found->setExpanded(true);
        node = found;
    }
    if (!node)
        return false;
    setCurrentItem(node);
    scrollToItem(node);
    return true;
}

QTreeWidgetItem* GroupTreeView::makeNode(QTreeWidgetItem* parent, qint64 code, const QString& caption, int picture,
                                         bool hasChildren)
{
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    node->setText(0, caption);
    node->setData(0, kCodeRole, code);
    node->setData(0, kPictureRole, picture);
    node->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    if (code > 0)
        node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (hasChildren)
        new QTreeWidgetItem(node, QStringList{kPlaceholder});
    return node;
}

void GroupTreeView::fillChildren(QTreeWidgetItem* parent)
{
    for (const GroupNode& g : readGroupNodes(priceDb_, codeOf(parent)))
        makeNode(parent, g.code, g.caption, g.picture, g.hasChildren);
    if (!parent && hasUngroupedGoods(priceDb_)) {
        QTreeWidgetItem* node = makeNode(nullptr, 0, kUngroupedCaption, 0, false);
        node->setData(0, kUngroupedRole, true);
    }
}

bool GroupTreeView::LoadGroupTreeRoot()
{
    clear();
    try {
        fillChildren(nullptr);
        return true;
    } catch (const db::DbError&) {
    }
    if (!ask(kTreeLoadFailedQuestion))
        return false;
    try {
        if (!restoreCatalogueFromHistory(priceDb_)) {
            report(kRestoreEmptyMessage);
            return false;
        }
    } catch (const db::DbError& e) {
        report(e.message());
        return false;
    }
    report(kRestoreDoneMessage);
    emit programEndRequested();
    return false;
}

void GroupTreeView::TreeView1Expanded(QTreeWidgetItem* node)
{
    if (!node || node->childCount() == 0 || !isPlaceholder(node->child(0)))
        return;
    delete node->takeChild(0);
    try {
        fillChildren(node);
    } catch (const db::DbError& e) {
        report(e.message());
    }
}

QTreeWidgetItem* GroupTreeView::AddNode(QTreeWidgetItem* parent, int picture, const QString& caption)
{
    qint64 code = 0;
    try {
        code = addGroup(priceDb_, codeOf(parent), caption, picture);
    } catch (const db::DbError& e) {
        report(e.message());
        return nullptr;
    }
    QTreeWidgetItem* node = nullptr;
    if (parent && parent->childCount() > 0 && isPlaceholder(parent->child(0))) {
        // Expanding reads the children, the new group among them.
        parent->setExpanded(true);
        node = nodeOfCode(code);
    }
    if (!node) {
        node = makeNode(parent, code, caption, picture, false);
        if (parent)
            parent->setExpanded(true);
    }
    setCurrentItem(node);
    scrollToItem(node);
    return node;
}

void GroupTreeView::AddUpGroupClick() { AddNode(nullptr, kNewGroupPicture, QStringLiteral("Новая категория")); }

void GroupTreeView::AddGroupClick()
{
    if (ungroupedSelected())
        return;
    // Without a selected node the new group is a category.
    AddNode(currentItem(), kNewGroupPicture, QStringLiteral("Новая группа"));
}

bool GroupTreeView::TreeView1Editing(const QTreeWidgetItem* node) const
{
    // Only a group's node has a name to edit: not the placeholder, not the
    // goods of no group.
    return codeOf(node) > 0;
}

bool GroupTreeView::TreeView1Change(QTreeWidgetItem* node, const QString& text)
{
    if (!TreeView1Editing(node))
        return false;
    GroupRename result = GroupRename::NoSuchGroup;
    try {
        result = renameGroup(priceDb_, codeOf(node), text);
    } catch (const db::DbError& e) {
        reportLater(e.message());
        return false;
    }
    if (result == GroupRename::EmptyName)
        reportLater(kEmptyGroupNameMessage);
    if (result != GroupRename::Renamed)
        return false;
    node->setText(0, groupName(priceDb_, codeOf(node)));
    return true;
}

void GroupTreeView::RenameGroupClick()
{
    QTreeWidgetItem* node = currentItem();
    if (!TreeView1Editing(node))
        return;
    scrollToItem(node);
    editItem(node);
}

bool GroupTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!TreeView1Editing(itemFromIndex(index)))
        return false;
    return QTreeWidget::edit(index, trigger, event);
}

void GroupTreeView::DelGroupClick()
{
    QTreeWidgetItem* node = currentItem();
    if (!node || isUngrouped(node) || !ask(QStringLiteral("Удалить выбранную группу?")))
        return;
    GroupDeletion result = GroupDeletion::NoSuchGroup;
    try {
        result = deleteGroup(priceDb_, codeOf(node));
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    if (result == GroupDeletion::HasSubgroups || result == GroupDeletion::HasGoods) {
        report(groupDeletionMessage(result));
        return;
    }
    delete node;
    emit goodsChanged();
}

void GroupTreeView::SortClick()
{
    QTreeWidgetItem* node = currentItem();
    if (isUngrouped(node))
        return;
    qint64 parent = 0;
    if (node && node->childCount() > 0) {
        node->setExpanded(true);
        parent = codeOf(node);
    } else if (node && node->parent()) {
        parent = codeOf(node->parent());
    }
    try {
        sortGroupsByName(priceDb_, parent);
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    reload(codeOf(node));
}

void GroupTreeView::SpeedButton_TreeClick()
{
    collapseAll();
    emit collapsedAll();
}

void GroupTreeView::runGroupCommand(const std::function<void(const GroupCommandHooks&, qint64)>& command)
{
    const qint64 group = selectedGroup();
    if (group <= 0 || !hooks_)
        return;
    command(hooks_(), group);
}

void GroupTreeView::NacenGroupClick()
{
    runGroupCommand([](const GroupCommandHooks& h, qint64 g) {
        if (h.OpenGroupValue)
            h.OpenGroupValue(g, QStringLiteral("Nacen"));
    });
}

void GroupTreeView::GarantGroupClick()
{
    runGroupCommand([](const GroupCommandHooks& h, qint64 g) {
        if (h.OpenGroupValue)
            h.OpenGroupValue(g, QStringLiteral("Garant"));
    });
}

void GroupTreeView::DopNacenGroupClick()
{
    runGroupCommand([](const GroupCommandHooks& h, qint64 g) {
        if (h.OpenMarkupThresholds)
            h.OpenMarkupThresholds(g);
    });
}

void GroupTreeView::KatMinPriceClick()
{
    runGroupCommand([](const GroupCommandHooks& h, qint64 g) {
        if (h.RecalcMinPrices)
            h.RecalcMinPrices(g);
    });
}

void GroupTreeView::KatAutoKritClick()
{
    runGroupCommand([](const GroupCommandHooks& h, qint64 g) {
        if (h.FindMatchesInGroup)
            h.FindMatchesInGroup(g);
    });
}

void GroupTreeView::reload(qint64 selectCode)
{
    QSet<qint64> expanded;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->isExpanded())
            expanded.insert(codeOf(*it));
    const QSignalBlocker quiet(this);
    clear();
    try {
        fillChildren(nullptr);
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    // Expanding reads the children, whose expanded ones come after them.
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (expanded.contains(codeOf(*it)))
            (*it)->setExpanded(true);
    if (QTreeWidgetItem* node = nodeOfCode(selectCode)) {
        setCurrentItem(node);
        scrollToItem(node);
    }
}

void GroupTreeView::TreeView1MouseDown(QMouseEvent* event)
{
    asChild_ = event->modifiers().testFlag(Qt::ShiftModifier);
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    if (!node) {
        setCurrentItem(nullptr);
        clearSelection();
        dragSource_ = 0;
        return;
    }
    setCurrentItem(node);
    dragSource_ = event->button() == Qt::LeftButton ? codeOf(node) : 0;
    pressPos_ = event->position().toPoint();
}

void GroupTreeView::mousePressEvent(QMouseEvent* event)
{
    // The expand arrow works as the view makes it; the rest is ours.
    QTreeWidget::mousePressEvent(event);
    TreeView1MouseDown(event);
}

void GroupTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || dragSource_ <= 0
        || (event->position().toPoint() - pressPos_).manhattanLength() < kDragStartPixels) {
        QTreeWidget::mouseMoveEvent(event);
        return;
    }
    auto* data = new QMimeData;
    data->setData(kGroupMime, QByteArray::number(dragSource_));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    dragSource_ = 0;
    drag->exec(Qt::MoveAction);
}

void GroupTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this && event->mimeData()->hasFormat(kGroupMime))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool GroupTreeView::TreeView1DragOver(QDragMoveEvent* event)
{
    const QPoint at = event->position().toPoint();
    // At the edges the view scrolls by one node.
    const QModelIndex top = indexAt(QPoint(1, 1));
    if (at.y() >= viewport()->height() - 5) {
        const QModelIndex below = indexBelow(top);
        if (below.isValid())
            scrollTo(below, QAbstractItemView::PositionAtTop);
    } else if (at.y() < 6 && top.isValid()) {
        const QModelIndex above = indexAbove(top);
        scrollTo(above.isValid() ? above : top, QAbstractItemView::PositionAtTop);
    }
    if (event->source() != this || !event->mimeData()->hasFormat(kGroupMime))
        return false;
    const QTreeWidgetItem* target = itemAt(at);
    return target && codeOf(target) > 0 && codeOf(target) != event->mimeData()->data(kGroupMime).toLongLong();
}

void GroupTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    if (TreeView1DragOver(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void GroupTreeView::TreeView1DragDrop(QDropEvent* event)
{
    const qint64 moved = event->mimeData()->data(kGroupMime).toLongLong();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    const bool asChild = asChild_ || event->modifiers().testFlag(Qt::ShiftModifier);
    asChild_ = false;
    if (!target || moved <= 0)
        return;
    bool done = false;
    try {
        done = moveGroup(priceDb_, moved, codeOf(target), asChild ? GroupDrop::AsFirstChild : GroupDrop::BeforeTarget);
    } catch (const db::DbError& e) {
        report(e.message());
        return;
    }
    if (!done)
        return;
    if (asChild)
        target->setExpanded(true);
    reload(moved);
}

void GroupTreeView::dropEvent(QDropEvent* event)
{
    if (event->source() != this || !event->mimeData()->hasFormat(kGroupMime)) {
        event->ignore();
        return;
    }
    // The tree is rebuilt from the database: the view moves no node itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    TreeView1DragDrop(event);
}

void GroupTreeView::contextMenuEvent(QContextMenuEvent* event) { menu_->popup(event->globalPos()); }

void GroupTreeView::report(const QString& text) const
{
    if (messages_)
        messages_(text);
}

void GroupTreeView::reportLater(const QString& text)
{
    // The editor is closing when its name is refused: the message waits
    // until it has gone, so that taking the focus from it does not commit it
    // a second time.
    QMetaObject::invokeMethod(this, [this, text] { report(text); }, Qt::QueuedConnection);
}

bool GroupTreeView::ask(const QString& question) const { return ask_ && ask_(question); }

} // namespace velmora::catalogue
