#pragma once

#include "platform/spreadsheet/reader.h"

#include <QAbstractTableModel>

namespace velmora::sheet {

// The cells of one read sheet for a QTableView: column letters and row
// numbers as headers, each cell's text as it shows with its fill, font
// colour and bold, italic and underline, hyperlinks drawn as links.
class SheetGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SheetGridModel(QObject* parent = nullptr);

    void setSheet(SheetData data, SheetLook look = {});
    // Empty rows and columns shown past the sheet's used cells.
    void setSpareCells(int rows, int columns);
    const SheetData& sheet() const { return data_; }
    const SheetLook& look() const { return look_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    SheetData data_;
    SheetLook look_;
    int spareRows_ = 0;
    int spareColumns_ = 0;
};

} // namespace velmora::sheet
