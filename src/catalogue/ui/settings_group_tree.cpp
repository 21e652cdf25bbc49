#include "settings_group_tree.h"

#include "catalogue/group_tree.h"

#include "platform/db/db_error.h"

#include <QStyle>

namespace velmora::catalogue {

SettingsGroupTree::SettingsGroupTree(db::Connection& priceDb, MessageSink errors, QWidget* parent)
    : QTreeWidget(parent), priceDb_(priceDb), errors_(std::move(errors))
{
    setObjectName(QStringLiteral("TreeView_Group"));
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::itemExpanded, this, &SettingsGroupTree::TreeView_GroupExpanding);
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { emit groupClicked(codeOf(node)); });
}

qint64 SettingsGroupTree::codeOf(const QTreeWidgetItem* node) const
{
    return node ? node->data(0, kCodeRole).toLongLong() : 0;
}

void SettingsGroupTree::fill()
{
    clear();
    fillChildren(nullptr);
}

void SettingsGroupTree::fillChildren(QTreeWidgetItem* parent)
{
    std::vector<GroupNode> nodes;
    try {
        nodes = readGroupNodesRepairingPositions(priceDb_, codeOf(parent));
    } catch (const db::DbError& e) {
        if (errors_)
            errors_(e.message());
        return;
    }
    for (const GroupNode& g : nodes) {
        auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        node->setText(0, g.caption);
        node->setData(0, kCodeRole, g.code);
        node->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        if (g.hasChildren)
            node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
}

void SettingsGroupTree::TreeView_GroupExpanding(QTreeWidgetItem* node)
{
    // The children are read afresh each time the node opens.
    qDeleteAll(node->takeChildren());
    fillChildren(node);
    if (node->childCount() == 0)
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

} // namespace velmora::catalogue
