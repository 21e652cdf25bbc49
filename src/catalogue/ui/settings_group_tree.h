#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QTreeWidget>

namespace velmora::catalogue {

// TreeView_Group of the group settings and Shop-Script windows: every
// child row of a group, read when its node is expanded; reading a level
// closes the gaps in its positions (1, 2, 4 become 1, 2, 3). A click
// chooses the group.
class SettingsGroupTree : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kCodeRole = Qt::UserRole;

    SettingsGroupTree(db::Connection& priceDb, MessageSink errors, QWidget* parent = nullptr);

    // The top level afresh.
    void fill();
    qint64 codeOf(const QTreeWidgetItem* node) const;

signals:
    void groupClicked(qint64 code);

private:
    void TreeView_GroupExpanding(QTreeWidgetItem* node);
    void fillChildren(QTreeWidgetItem* parent);

    db::Connection& priceDb_;
    MessageSink errors_;
};

} // namespace velmora::catalogue
