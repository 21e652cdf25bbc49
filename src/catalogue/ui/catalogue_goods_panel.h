#pragma once

#include "catalogue/goods_list.h"

#include <QWidget>

class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;

namespace velmora::catalogue {

// Panel_PriceMain: the own goods of the chosen group in DBGrid_PriceMain
// (rows read as they are scrolled to), the name filter Edit_TovarFilter
// with SpeedButton_TovarFilter and SpeedButton_TovarAll, the buttons
// "Добавить", "Редактировать", "Удалить", the hidden "в Заказ" (the good
// into the order list, run by whoever wires the orders) and the grid's
// pop-up menu PopupMenu_Tovar. The panel only shows; the catalogue runs
// the commands.
class CatalogueGoodsPanel : public QWidget {
    Q_OBJECT
public:
    explicit CatalogueGoodsPanel(db::Connection& priceDb, QWidget* parent = nullptr);

    CatalogueGoodsModel* model() const { return model_; }
    QTableView* grid() const { return grid_; }
    QLineEdit* filterEdit() const { return filter_; }
    QMenu* popupMenu() const { return menu_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* addZakazButton() const { return addZakaz_; }
    QToolButton* filterButton() const { return filterButton_; }
    QToolButton* allButton() const { return allButton_; }

    // The current row's good; 0 when the list is empty.
    qint64 currentCode() const;
    // The codes of the rows marked in the grid (the current one when fewer
    // than two are marked); empty for an empty list.
    QList<qint64> chosenCodes() const;
    // The codes of the marked rows only.
    QList<qint64> markedCodes() const;
    // Makes the good's row current (reading on to it); false when the list
    // does not hold it.
    bool moveToCode(qint64 code);
    // Makes a row current (the last one when beyond the end).
    void moveToRow(int row);

signals:
    // The current row moved to another good (0: none), by the user or by
    // a reopened list.
    void currentGoodChanged(qint64 code);

private:
    CatalogueGoodsModel* model_;
    QTableView* grid_;
    QLineEdit* filter_;
    QToolButton* filterButton_;
    QToolButton* allButton_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
    QPushButton* addZakaz_;
    QMenu* menu_;
};

} // namespace velmora::catalogue
