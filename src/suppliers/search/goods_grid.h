#pragma once

#include <QTableView>

namespace velmora::search {

class SupplierGoodsModel;

// DBGrid_Tovar: whole rows selected, read-only, titles clicked to sort.
class GoodsGrid : public QTableView {
    Q_OBJECT
public:
    explicit GoodsGrid(QWidget* parent = nullptr);

    void setGoodsModel(SupplierGoodsModel* model);
    // Makes the row current and selected (after a search).
    void showRow(int row);
    int currentRowIndex() const;

signals:
    void titleClicked(int column);
    void currentRowChanged(int row);
    // Double-click or Enter: show the goods card.
    void cardRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

} // namespace velmora::search
