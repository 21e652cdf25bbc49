#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace velmora {

struct PriceListRow;

// LoadQueueNames: the names the load queue works through. The supplier tree
// builds it from AllPostavSetup: entry Id holds the name of the price list
// with that Id, entry 0 and Ids without a list stay empty, and the size is
// the highest Id + 1 (1 for no lists). The queue may then rewrite it (from
// index 0 when it is refilled with updated lists).
//
// The queue list box always shows names(): the non-empty entries in index
// order. A price list that is deleted leaves the queue (remove()). The tree
// drags a node to the queue as plain text holding the list's name, from a
// widget named "TreeView1".
//
// A queue widget that keeps its own list of names follows the tree through
// SupplierTree's signals: loadQueueRebuilt(names) after BuildSupplierTree
// (every list in Id order), priceListDeleted(name) (drop it), and
// PriceListSetupTab::priceListRenamed(id, old, new) (rename the entry).
class LoadQueueNames {
public:
    LoadQueueNames() = default;
    explicit LoadQueueNames(int size) { resize(size); }

    static LoadQueueNames fromPriceLists(const std::vector<PriceListRow>& rows);

    int size() const { return int(entries_.size()); }
    // Grows with empty entries or cuts at the end.
    void resize(int size);
    void clear() { entries_.clear(); }

    // "" outside the array.
    QString at(int index) const;
    // Grows the array when index is beyond its end.
    void set(int index, const QString& name);

    // The non-empty entries in index order, as the queue box lists them.
    QStringList names() const;
    bool contains(const QString& name) const;
    // Puts the name after the last non-empty entry (growing the array when
    // needed); a name already queued is left where it is. Returns its
    // position in names().
    int append(const QString& name);
    // Empties every entry holding this name; true when one was found.
    bool remove(const QString& name);

private:
    QStringList entries_;
};

} // namespace velmora
