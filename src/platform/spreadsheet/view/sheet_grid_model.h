#pragma once

#include "platform/spreadsheet/reader.h"

#include <QAbstractTableModel>

namespace velmora::sheet {

// The cells of one read sheet for a QTableView: column letters and row
// numbers as headers, each cell's text as it shows, hyperlinks drawn as
// links.
class SheetGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SheetGridModel(QObject* parent = nullptr);

    void setSheet(SheetData data);
    const SheetData& sheet() const { return data_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    SheetData data_;
};

} // namespace velmora::sheet
