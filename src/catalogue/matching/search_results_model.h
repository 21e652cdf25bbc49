#pragma once

#include "criteria_search.h"

#include <QAbstractTableModel>

#include <memory>
#include <optional>

namespace velmora::catalogue {

// The model of DBCtrlGrid1_Sootv: the items of one criteria search, read a
// chunk at a time as the view scrolls to them. Column 0 is the tick box
// (DBCheckBox_SootvTovar1, bound to Check_sootv); a tick is stored as the
// box is released, and refused (the box stays clear, tickRefused is
// emitted) when another name of the same supplier is ticked already.
class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SearchResultsModel(db::Connection& priceDb, QObject* parent = nullptr);

    // Shows a new result starting with its first chunk; none closes the list.
    void open(CriteriaSearchResult result);
    void close();
    bool isOpen() const { return result_.has_value(); }
    const RemainderItem* itemAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void tickRefused();

private:
    db::Connection& priceDb_;
    std::optional<CriteriaSearchResult> result_;
    QList<RemainderItem> items_;
};

} // namespace velmora::catalogue
