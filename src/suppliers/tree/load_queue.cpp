#include "suppliers/tree/load_queue.h"

#include "suppliers/tree/price_lists.h"

#include <algorithm>

namespace velmora {

LoadQueueNames LoadQueueNames::fromPriceLists(const std::vector<PriceListRow>& rows)
{
    qint64 highest = 0;
    for (const PriceListRow& row : rows)
        highest = std::max(highest, row.Id);
    LoadQueueNames queue(int(highest) + 1);
    for (const PriceListRow& row : rows) {
        if (row.Id > 0)
            queue.set(int(row.Id), row.Postavshik);
    }
    return queue;
}

void LoadQueueNames::resize(int size)
{
    size = std::max(size, 0);
    while (entries_.size() > size)
        entries_.removeLast();
    while (entries_.size() < size)
        entries_.append(QString());
}

QString LoadQueueNames::at(int index) const
{
    return index >= 0 && index < entries_.size() ? entries_.at(index) : QString();
}

void LoadQueueNames::set(int index, const QString& name)
{
    if (index < 0)
        return;
    if (index >= entries_.size())
        resize(index + 1);
    entries_[index] = name;
}

QStringList LoadQueueNames::names() const
{
    QStringList out;
    for (const QString& entry : entries_) {
        if (!entry.isEmpty())
            out << entry;
    }
    return out;
}

bool LoadQueueNames::contains(const QString& name) const
{
    return !name.isEmpty() && entries_.contains(name);
}

int LoadQueueNames::append(const QString& name)
{
    if (name.isEmpty())
        return -1;
    if (!contains(name)) {
        int last = int(entries_.size()) - 1;
        while (last >= 0 && entries_.at(last).isEmpty())
            --last;
        set(last + 1, name);
    }
    return int(names().indexOf(name));
}

bool LoadQueueNames::remove(const QString& name)
{
    bool found = false;
    for (QString& entry : entries_) {
        if (!name.isEmpty() && entry == name) {
            entry.clear();
            found = true;
        }
    }
    return found;
}

} // namespace velmora
